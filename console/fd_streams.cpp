#include "console/fd_streams.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

/// True when a call failed only because the descriptor is in non-blocking
/// mode (set by whoever shares it with us) and is not ready yet.
bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

/// Waits until `fd` is ready for `events`, as a blocking descriptor would.
void waitUntilReady(int fd, short events) {
  pollfd ready{fd, events, 0};
  while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
  }
}

}  // namespace

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
  return (failedName_.empty() ? std::string("read error") : failedName_) + ": " +
         std::strerror(error_);
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
  for (;;) {
    const ssize_t got = ::read(current_.fd, buffer_.get(), size_);
    if (got >= 0) {
      return static_cast<long>(got);
    }
    if (errno == EINTR) {
      if (interrupt_ != nullptr && interrupt_()) {
        givenUp_ = true;
        return 0;
      }
      continue;
    }
    if (wouldBlock(errno)) {
      // Not the end of the input: the next line has not arrived yet.
      waitUntilReady(current_.fd, POLLIN);
      continue;
    }
    if (reportFailure_ != nullptr) {
      // Only this file is lost: what it still held of its last line goes
      // with it, and the next file starts a fresh line.
      reportFailure_(current_.name, errno);
      closeCurrent();
      givenUp_ = true;
      return 0;
    }
    error_ = errno;
    failedName_ = current_.name;
    return -1;
  }
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
    writeAll(pbase(), pending);
    setp(buffer_.get(), buffer_.get() + size_);
  }
  return error_ == 0;
}

std::string FdOutputBuffer::failure() const { return error_ == 0 ? "" : std::strerror(error_); }

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
    return writeAll(data, count) ? size : 0;
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

bool FdOutputBuffer::writeAll(const char* data, std::size_t size) {
  if (error_ != 0) {
    return false;  // after a failure nothing more is attempted
  }
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      if (wouldBlock(errno)) {
        // A full pipe in non-blocking mode is not a failure: its reader
        // has only fallen behind.
        waitUntilReady(fd_, POLLOUT);
        continue;
      }
      error_ = errno;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void FdOutputBuffer::pushOther() {
  if (pushFirst_ != nullptr) {
    pushFirst_->push();
  }
}
