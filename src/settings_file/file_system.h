// Files by path: the settings, glyph and title files and the backup
// folders. A path is kept as the UTF-8 text the operator gave (names in any
// script); only the platform half turns it into what its calls take
// (UTF-16 on Windows). The POSIX half is in the core; the Win32 half is
// win/base/file_system_win.cpp, built into both Windows executables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv {

class FilePath {
 public:
  FilePath() = default;
  explicit FilePath(std::string utf8) : text_(std::move(utf8)) {}

  const std::string& text() const { return text_; }  // UTF-8
  bool empty() const { return text_.empty(); }
  void clear() { text_.clear(); }
  bool operator==(const FilePath&) const = default;

  // `name` inside the folder this path names.
  FilePath operator/(std::string_view name) const;
  // The folder that holds this file; empty for a bare name.
  FilePath folder() const;
  // This path with `tail` added to its last name ("a.dat" -> "a.dat.tmp").
  FilePath plus(std::string_view tail) const { return FilePath(text_ + std::string(tail)); }

 private:
  std::string text_;
};

// Every file the program and its tools read (settings, glyph, title and
// configuration files) is small: a settings file is under 100 KB. A larger
// one is not what it claims to be, and an endless one (a device) must not
// be read without end.
inline constexpr size_t kLargestFileRead = size_t{1} << 20;

enum class FileRead { read, unreadable, too_large };

// The platform half. Each failure says why in `error` (English, for the
// command-line tool and the traffic log) where it asks for one.
// Reads in bounded pieces and stops as soon as the file is larger than `limit`.
FileRead read_whole_file(const FilePath& path, std::string& text, std::string& error,
                         size_t limit = kLargestFileRead);
// "PATH is larger than 1024 KB", for a file refused as too large.
std::string too_large_reason(const FilePath& path, size_t limit = kLargestFileRead);
// Opens an existing file to read: its descriptor, or -1 with errno set.
int open_for_reading(const FilePath& path);
// A new file made exclusively (never through a link placed there): its
// descriptor, or -1 with errno set (EEXIST when the name is taken).
int create_new_file(const FilePath& path);
// A file opened to add to its end, made when missing: its descriptor, or -1.
int open_for_appending(const FilePath& path);
// Writes all of `text`, forces it to the disk and closes the file; false if
// any of it failed (a full disk may only show at the close).
bool write_and_close(int file, std::string_view text);
// Puts `from` in place of `to` in one step, replacing what `to` held.
bool replace_file(const FilePath& from, const FilePath& to, std::string& error);
void remove_file(const FilePath& path);
bool file_exists(const FilePath& path);
// A file's size in bytes, or -1 when it cannot be told.
long long file_size(const FilePath& path);
// The names of the files in a folder (not its folders), in no order; none
// when it cannot be read.
std::vector<std::string> files_in(const FilePath& folder);
// The folder and every missing folder above it.
bool make_folders(const FilePath& path, std::string& error);

}  // namespace orv
