#ifndef ZORVEX_CONSOLE_FD_STREAMS_H_
#define ZORVEX_CONSOLE_FD_STREAMS_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "console/console_io.h"

/// One file the input is read from.
struct InputFile {
  int fd = -1;
  std::string name;    // as the user gave it; "" for standard input
  bool owned = false;  // closed by the buffer when it is done with it
};

/// Reads file descriptors in large blocks, one after another as one input.
/// A failed read ends the input and is remembered, so that it is not
/// mistaken for the end of the input.
class FdInputBuffer : public InputBuffer {
 public:
  /// Reads `first` (none when its fd is -1) and then, at each end, the
  /// file `next` gives, until it gives none.
  explicit FdInputBuffer(InputFile first, std::function<std::optional<InputFile>()> next = nullptr,
                         std::size_t size = 1 << 16);
  ~FdInputBuffer() override;
  FdInputBuffer(const FdInputBuffer&) = delete;
  FdInputBuffer& operator=(const FdInputBuffer&) = delete;

  /// Returns what failed and why once a read has failed ("read error:
  /// REASON" for standard input, "NAME: REASON" for a named file), or "".
  std::string failure() const override;
  /// From now on a read interrupted by a signal for which `interrupt`
  /// returns true is given up instead of retried.
  void stopOnInterrupt(bool (*interrupt)()) { interrupt_ = interrupt; }
  /// From now on a file whose read fails is left, with what failed and
  /// why ("NAME: REASON") passed to `fileFailed`; the line it cut short is
  /// given up, and the input goes on with the next file instead of ending.
  void goOnAfterFailure(std::function<void(const std::string&)> fileFailed) {
    fileFailed_ = std::move(fileFailed);
  }

 protected:
  int_type underflow() override;

 private:
  /// Reads one block of the current file; returns the count, 0 at its end,
  /// or -1 after a failure.
  long readBlock();
  void closeCurrent();

  InputFile current_;
  std::function<std::optional<InputFile>()> next_;
  // Left uninitialised: pages are touched only as data passes through.
  std::unique_ptr<char[]> buffer_;
  std::size_t size_;
  std::string failedName_;
  bool (*interrupt_)() = nullptr;
  std::function<void(const std::string&)> fileFailed_;
};

/// Writes to a file descriptor from a buffer and remembers the first write
/// failure. In deferred mode flushing keeps the data until `push`, so a
/// pipe or file receives large writes; in immediate mode (a terminal, or
/// standard error) every flush writes at once.
class FdOutputBuffer : public OutputBuffer {
 public:
  FdOutputBuffer(int fd, bool deferred, std::size_t size = 1 << 16);
  ~FdOutputBuffer() override;

  bool push() override;
  bool failed() const override { return error_ != 0; }
  /// Returns "write error: REASON" once a write has failed, or "".
  std::string failure() const override;
  /// Makes `other` be pushed before this buffer writes anything, so its
  /// output comes first (standard output before an error line).
  void pushFirst(OutputBuffer* other) { pushFirst_ = other; }
  /// Returns the errno of the first failed write, or 0.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;
  int sync() override;

 private:
  bool send(const char* data, std::size_t size);
  void pushOther();

  int fd_;
  bool deferred_;
  // Left uninitialised: pages are touched only as data passes through.
  std::unique_ptr<char[]> buffer_;
  std::size_t size_;
  OutputBuffer* pushFirst_ = nullptr;
  int error_ = 0;
};

#endif  // ZORVEX_CONSOLE_FD_STREAMS_H_
