#include <iconv.h>
#include <signal.h>
#include <unistd.h>

#include "cli/terminal.h"

namespace orv::cli {

bool is_terminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

// A converter that closes the connection makes the next write fail with
// EPIPE, reported as a link failure, instead of ending the process silently.
void prepare_terminal() {
  ::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::string terminal_text(std::string_view shift_jis) {
  iconv_t converter = ::iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(shift_jis);
  std::string in(shift_jis), out(4 * shift_jis.size() + 4, '\0');
  char* from = in.data();
  char* to = out.data();
  size_t from_left = in.size(), to_left = out.size();
  while (from_left > 0) {
    if (::iconv(converter, &from, &from_left, &to, &to_left) != static_cast<size_t>(-1)) break;
    *to++ = '?';  // a byte that does not convert
    --to_left;
    ++from;
    --from_left;
  }
  ::iconv_close(converter);
  out.resize(out.size() - to_left);
  return out;
}

}  // namespace orv::cli
