#include "settings_file/file_system.h"

#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orv {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
constexpr char kSeparator = '\\';
#else
constexpr std::string_view kSeparators = "/";
constexpr char kSeparator = '/';
#endif

// The descriptor calls, named once for both platforms.
long read_part(int fd, char* buffer, size_t size) {
#ifdef _WIN32
  return _read(fd, buffer, static_cast<unsigned>(size));
#else
  return static_cast<long>(::read(fd, buffer, size));
#endif
}

void close_file(int fd) {
#ifdef _WIN32
  _close(fd);
#else
  ::close(fd);
#endif
}

}  // namespace

FilePath FilePath::operator/(std::string_view name) const {
  if (text_.empty()) return FilePath(std::string(name));
  std::string joined = text_;
  if (kSeparators.find(joined.back()) == std::string_view::npos) joined += kSeparator;
  return FilePath(joined.append(name));
}

std::string too_large_reason(const FilePath& path, size_t limit) {
  return path.text() + " is larger than " + std::to_string(limit >> 10) + " KB";
}

FilePath FilePath::folder() const {
  const size_t last = text_.find_last_of(kSeparators);
  if (last == std::string::npos) return {};
  return FilePath(text_.substr(0, last == 0 ? 1 : last));
}

FileRead read_whole_file(const FilePath& path, std::string& text, std::string& error,
                         size_t limit) {
  const int fd = open_for_reading(path);
  if (fd < 0) {
    error = "cannot open " + path.text() + ": " + std::strerror(errno);
    return FileRead::unreadable;
  }
  text.clear();
  char chunk[8192];
  FileRead result = FileRead::read;
  for (auto n = read_part(fd, chunk, sizeof chunk); n != 0;
       n = read_part(fd, chunk, sizeof chunk)) {
    if (n < 0) {  // a read that fails part way must not pass for the end of the file
      error = "cannot read " + path.text() + ": " + std::strerror(errno);
      result = FileRead::unreadable;
      break;
    }
    text.append(chunk, static_cast<size_t>(n));
    if (text.size() > limit) {
      error = too_large_reason(path, limit);
      result = FileRead::too_large;
      break;
    }
  }
  close_file(fd);
  if (result != FileRead::read) text.clear();
  return result;
}

#ifndef _WIN32

int open_for_reading(const FilePath& path) {
  return ::open(path.text().c_str(), O_RDONLY | O_CLOEXEC);
}

int create_new_file(const FilePath& path) {
  return ::open(path.text().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

int open_for_appending(const FilePath& path) {
  return ::open(path.text().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
}

bool write_and_close(int file, std::string_view text) {
  bool written = true;
  while (written && !text.empty()) {
    const ssize_t n = ::write(file, text.data(), text.size());
    written = n > 0;
    if (written) text.remove_prefix(static_cast<size_t>(n));
  }
  const bool synced = ::fsync(file) == 0;
  return ::close(file) == 0 && synced && written;
}

bool replace_file(const FilePath& from, const FilePath& to, std::string& error) {
  if (::rename(from.text().c_str(), to.text().c_str()) == 0) return true;
  error = "cannot replace " + to.text() + ": " + std::strerror(errno);
  return false;
}

void remove_file(const FilePath& path) {
  ::unlink(path.text().c_str());
}

bool file_exists(const FilePath& path) {
  struct stat status {};
  return ::stat(path.text().c_str(), &status) == 0;
}

long long file_size(const FilePath& path) {
  struct stat status {};
  return ::stat(path.text().c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

std::vector<std::string> files_in(const FilePath& folder) {
  std::vector<std::string> names;
  DIR* listing = ::opendir(folder.text().c_str());
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing)) {
    struct stat status {};
    const std::string name = entry->d_name;
    if (::stat((folder / name).text().c_str(), &status) == 0 && S_ISREG(status.st_mode))
      names.push_back(name);
  }
  ::closedir(listing);
  return names;
}

bool make_folders(const FilePath& path, std::string& error) {
  struct stat status {};
  if (path.empty() || ::stat(path.text().c_str(), &status) == 0) return true;
  const FilePath above = path.folder();
  if (!above.empty() && above != path && !make_folders(above, error)) return false;
  if (::mkdir(path.text().c_str(), 0755) == 0 || errno == EEXIST) return true;
  error = "cannot make the folder " + path.text() + ": " + std::strerror(errno);
  return false;
}

#endif

}  // namespace orv
