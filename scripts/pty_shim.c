/* Makes a Linux pseudo-terminal behave like a serial port whose lines are
 * all asserted, for Wine's serial code: preloaded (LD_PRELOAD) by the run and
 * test scripts only, never part of the program.
 *
 * On a pty (device major 136..143) the kernel refuses even parity, and the
 * modem-line queries fail, which makes Wine abort every overlapped
 * WaitCommEvent at once. Here a refused tcsetattr is retried without the
 * parity and size flags, TIOCMGET answers CTS, DSR, CD, DTR and RTS, and
 * setting the modem lines succeeds. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

static int is_pty(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  const unsigned int device_major = major(st.st_rdev);
  return device_major >= 136 && device_major <= 143;
}

int tcsetattr(int fd, int action, const struct termios* wanted) {
  static int (*real_tcsetattr)(int, int, const struct termios*);
  if (!real_tcsetattr)
    real_tcsetattr = (int (*)(int, int, const struct termios*))dlsym(RTLD_NEXT, "tcsetattr");
  const int result = real_tcsetattr(fd, action, wanted);
  if (result == 0 || !is_pty(fd)) return result;

  struct termios plain = *wanted;
  plain.c_cflag &= ~(tcflag_t)(PARENB | PARODD | CMSPAR | CSIZE | CRTSCTS);
  plain.c_cflag |= CS8;
  if (real_tcsetattr(fd, action, &plain) == 0) return 0;

  struct termios current;
  if (tcgetattr(fd, &current) == 0 && current.c_iflag == plain.c_iflag &&
      current.c_oflag == plain.c_oflag && current.c_lflag == plain.c_lflag &&
      (current.c_cflag & ~(tcflag_t)CBAUD) == (plain.c_cflag & ~(tcflag_t)CBAUD))
    return 0;
  errno = EINVAL;
  return -1;
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*real_ioctl)(int, unsigned long, ...);
  if (!real_ioctl) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);

  if ((request == TIOCMGET || request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET) &&
      is_pty(fd)) {
    if (request == TIOCMGET && argument)
      *(int*)argument = TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_DTR | TIOCM_RTS;
    return 0;
  }
  return real_ioctl(fd, request, argument);
}
