#include "console/fd_streams.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "console/messages.h"
#include "console/posix_io.h"

FdInputBuffer::FdInputBuffer(InputFile first, std::function<std::optional<InputFile>()> next,
                             std::size_t size)
    : current_(std::move(first)),
      next_(std::move(next)),
      buffer_(std::make_unique_for_overwrite<char[]>(size)),
      size_(size) {
  setg(buffer_.get(), buffer_.get(), buffer_.get());
}

FdInputBuffer::~FdInputBuffer() { closeCurrent(); }

std::string FdInputBuffer::failure() const {
  if (error_ == 0) {
    return "";
  }
  return failedName_.empty() ? readFailure(error_) : fileFailure(failedName_, error_);
}

FdInputBuffer::int_type FdInputBuffer::underflow() {
  if (gptr() < egptr()) {
    return traits_type::to_int_type(*gptr());
  }
  long got = readBlock();
  while (got == 0 && !givenUp_ && next_ != nullptr) {
    // One file is done: the input goes on with the next one, if any.
    // Closed before the next is opened, so that a run short of
    // descriptors still reads every file.
    closeCurrent();
    std::optional<InputFile> following = next_();
    if (!following) {
      break;
    }
    current_ = std::move(*following);
    got = readBlock();
  }
  if (got <= 0) {
    setg(buffer_.get(), buffer_.get(), buffer_.get());
    return traits_type::eof();
  }
  setg(buffer_.get(), buffer_.get(), buffer_.get() + got);
  return traits_type::to_int_type(*gptr());
}

long FdInputBuffer::readBlock() {
  if (error_ != 0) {
    return -1;  // a failed input stays failed: nothing after it is read
  }
  if (current_.fd < 0) {
    return 0;  // no file yet: go on to the first one
  }
  const ReadOutcome read = readSome(current_.fd, buffer_.get(), size_, interrupt_);
  if (read.error == 0) {
    return static_cast<long>(read.count);
  }
  if (read.error == EINTR) {
    givenUp_ = true;  // Ctrl-C: the line being typed is dropped
    return 0;
  }
  if (fileFailed_ != nullptr) {
    // Only this file is lost: what it still held of its last line goes
    // with it, and the next file starts a fresh line.
    fileFailed_(fileFailure(current_.name, read.error));
    closeCurrent();
    givenUp_ = true;
    return 0;
  }
  error_ = read.error;
  failedName_ = current_.name;
  return -1;
}

void FdInputBuffer::closeCurrent() {
  if (current_.owned && current_.fd >= 0) {
    ::close(current_.fd);
  }
  current_ = InputFile();
}

FdOutputBuffer::FdOutputBuffer(int fd, bool deferred, std::size_t size)
    : fd_(fd),
      deferred_(deferred),
      buffer_(std::make_unique_for_overwrite<char[]>(size)),
      size_(size) {
  setp(buffer_.get(), buffer_.get() + size_);
}

FdOutputBuffer::~FdOutputBuffer() { push(); }

bool FdOutputBuffer::push() {
  const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
  if (pending > 0) {
    pushOther();
    send(pbase(), pending);
    setp(buffer_.get(), buffer_.get() + size_);
  }
  return error_ == 0;
}

std::string FdOutputBuffer::failure() const { return error_ == 0 ? "" : writeFailure(error_); }

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (!push()) {
    return traits_type::eof();
  }
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

std::streamsize FdOutputBuffer::xsputn(const char* data, std::streamsize size) {
  const std::size_t count = static_cast<std::size_t>(size);
  if (count <= static_cast<std::size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), data, count);
    pbump(static_cast<int>(count));
    return size;
  }
  if (!push()) {
    return 0;
  }
  if (count >= size_) {
    // Too big to be worth copying: write it straight through, after what
    // must come before it.
    pushOther();
    return send(data, count) ? size : 0;
  }
  std::memcpy(pptr(), data, count);
  pbump(static_cast<int>(count));
  return size;
}

int FdOutputBuffer::sync() {
  if (deferred_) {
    return error_ == 0 ? 0 : -1;
  }
  return push() ? 0 : -1;
}

bool FdOutputBuffer::send(const char* data, std::size_t size) {
  if (error_ == 0) {  // after a failure nothing more is attempted
    error_ = writeAll(fd_, data, size);
  }
  return error_ == 0;
}

void FdOutputBuffer::pushOther() {
  if (pushFirst_ != nullptr) {
    pushFirst_->push();
  }
}
