#ifndef ZORVEX_CONSOLE_FD_STREAMS_H_
#define ZORVEX_CONSOLE_FD_STREAMS_H_

#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <memory>

/// Reads a file descriptor in large blocks. Besides the usual stream
/// buffer duties it can tell whether a whole line is already waiting, so
/// that the console knows when reading on would block.
class FdInputBuffer : public std::streambuf {
 public:
  explicit FdInputBuffer(int fd, std::size_t size = 1 << 16);

  /// Returns true when the buffered input holds a complete line.
  bool hasCompleteLine() const;

 protected:
  int_type underflow() override;

 private:
  int fd_;
  // Left uninitialised: pages are touched only as data passes through.
  std::unique_ptr<char[]> buffer_;
  std::size_t size_;
};

/// Writes to a file descriptor from a buffer and remembers the first write
/// failure. In deferred mode a flush request keeps the data until
/// `flushNow`, so a pipe or file receives large writes; in immediate mode
/// (a terminal) every flush writes at once.
class FdOutputBuffer : public std::streambuf {
 public:
  FdOutputBuffer(int fd, bool deferred, std::size_t size = 1 << 16);
  ~FdOutputBuffer() override;

  /// Writes everything buffered; returns false once any write has failed.
  bool flushNow();
  /// Makes `other` be flushed before this buffer writes anything, so its
  /// output comes first (standard output before an error line).
  void flushFirst(FdOutputBuffer* other) { flushFirst_ = other; }
  /// Returns the errno of the first failed write, or 0.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int sync() override;

 private:
  bool writeAll(const char* data, std::size_t size);

  int fd_;
  bool deferred_;
  // Left uninitialised: pages are touched only as data passes through.
  std::unique_ptr<char[]> buffer_;
  std::size_t size_;
  FdOutputBuffer* flushFirst_ = nullptr;
  int error_ = 0;
};

/// Returns true when `in` holds a complete line that can be read without
/// waiting for more input.
bool lineWaiting(std::istream& in);

/// Makes everything written to `out` so far reach its destination.
void pushOutput(std::ostream& out);

/// Returns the reason why writing to `out` failed, or "" when it has not.
std::string writeFailure(std::ostream& out);

#endif  // ZORVEX_CONSOLE_FD_STREAMS_H_
