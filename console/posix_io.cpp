#include "console/posix_io.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace {

/// True when a call failed only because the descriptor is in non-blocking
/// mode and is not ready yet.
bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

/// Waits until `fd` is ready for `events`, as a blocking descriptor would.
void waitUntilReady(int fd, short events) {
  pollfd ready{fd, events, 0};
  while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
  }
}

/// Makes the read `attempt` (returning what read or pread returns) until it
/// gives bytes, the end of the file, or a failure that is not a signal's or
/// a non-blocking descriptor's.
template <typename Attempt>
ReadOutcome readRetrying(int fd, bool (*giveUp)(), Attempt attempt) {
  for (;;) {
    const ssize_t got = attempt();
    if (got >= 0) {
      return {static_cast<std::size_t>(got), 0};
    }
    if (errno == EINTR) {
      if (giveUp != nullptr && giveUp()) {
        return {0, EINTR};
      }
      continue;
    }
    if (wouldBlock(errno)) {
      // Not the end of the input: the next bytes have not arrived yet.
      waitUntilReady(fd, POLLIN);
      continue;
    }
    return {0, errno};
  }
}

}  // namespace

ReadOutcome readSome(int fd, char* data, std::size_t size, bool (*giveUp)()) {
  return readRetrying(fd, giveUp, [&] { return ::read(fd, data, size); });
}

ReadOutcome readAt(int fd, char* data, std::size_t size, off_t offset) {
  return readRetrying(fd, nullptr, [&] { return ::pread(fd, data, size, offset); });
}

int writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      if (wouldBlock(errno)) {
        // A full pipe in non-blocking mode is not a failure: its reader
        // has only fallen behind.
        waitUntilReady(fd, POLLOUT);
        continue;
      }
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

void openClosedStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) {
      continue;
    }
    // The lowest free number is this one, as those below it are open.
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (opened >= 0 && opened != fd) {
      ::close(opened);
    }
  }
}
