#ifndef ZORVEX_CONSOLE_POSIX_IO_H_
#define ZORVEX_CONSOLE_POSIX_IO_H_

#include <sys/types.h>

#include <cstddef>

// Reading and writing file descriptors as the program needs it everywhere:
// a call that a signal interrupts is made again, and a descriptor that
// whoever shares it has made non-blocking is waited for as if it blocked.

/// What one read gave: `count` bytes (0 at the end of the file), or the
/// errno of its failure in `error`.
struct ReadOutcome {
  std::size_t count = 0;
  int error = 0;
};

/// Reads up to `size` bytes of `fd` into `data` from where the file stands.
/// An interrupted read is made again unless `giveUp` is given and returns
/// true, which ends it with the error EINTR.
ReadOutcome readSome(int fd, char* data, std::size_t size, bool (*giveUp)() = nullptr);

/// Reads up to `size` bytes of `fd` into `data` from `offset`, leaving the
/// file's position where it is.
ReadOutcome readAt(int fd, char* data, std::size_t size, off_t offset);

/// Writes all `size` bytes of `data` to `fd`, going on after a short write;
/// returns 0, or the errno of the write that failed.
int writeAll(int fd, const char* data, std::size_t size);

/// Opens /dev/null on each of standard input, output and error that is
/// closed: for reading on output and error and for writing on input, so
/// that using one still fails as it would have, while no file the program
/// opens later can take its number.
void openClosedStandardDescriptors();

#endif  // ZORVEX_CONSOLE_POSIX_IO_H_
