#include "console/fd_streams.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

FdInputBuffer::FdInputBuffer(int fd, std::size_t size)
    : fd_(fd), buffer_(std::make_unique_for_overwrite<char[]>(size)), size_(size) {
  setg(buffer_.get(), buffer_.get(), buffer_.get());
}

bool FdInputBuffer::hasCompleteLine() const {
  return std::memchr(gptr(), '\n', static_cast<std::size_t>(egptr() - gptr())) != nullptr;
}

FdInputBuffer::int_type FdInputBuffer::underflow() {
  if (gptr() < egptr()) {
    return traits_type::to_int_type(*gptr());
  }
  ssize_t got;
  for (;;) {
    got = ::read(fd_, buffer_.get(), size_);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0 && wouldBlock(errno)) {
      // Not the end of the input: the next line has not arrived yet.
      waitUntilReady(fd_, POLLIN);
      continue;
    }
    break;
  }
  if (got <= 0) {
    // End of input, and also an input that cannot be read at all (a closed
    // descriptor): either way nothing more will arrive.
    setg(buffer_.get(), buffer_.get(), buffer_.get());
    return traits_type::eof();
  }
  setg(buffer_.get(), buffer_.get(), buffer_.get() + got);
  return traits_type::to_int_type(*gptr());
}

FdOutputBuffer::FdOutputBuffer(int fd, bool deferred, std::size_t size)
    : fd_(fd), deferred_(deferred), buffer_(std::make_unique_for_overwrite<char[]>(size)), size_(size) {
  setp(buffer_.get(), buffer_.get() + size_);
}

FdOutputBuffer::~FdOutputBuffer() { flushNow(); }

bool FdOutputBuffer::flushNow() {
  const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
  if (pending > 0) {
    if (flushFirst_ != nullptr) {
      flushFirst_->flushNow();
    }
    writeAll(pbase(), pending);
    setp(buffer_.get(), buffer_.get() + size_);
  }
  return error_ == 0;
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (!flushNow()) {
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
  if (!flushNow()) {
    return 0;
  }
  if (count >= size_) {
    // Too big to be worth copying: write it straight through.
    if (flushFirst_ != nullptr) {
      flushFirst_->flushNow();
    }
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
  return flushNow() ? 0 : -1;
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

bool lineWaiting(std::istream& in) {
  if (auto* buffer = dynamic_cast<FdInputBuffer*>(in.rdbuf())) {
    return buffer->hasCompleteLine();
  }
  // In-memory input never makes the reader wait.
  return in.rdbuf() != nullptr && in.rdbuf()->in_avail() > 0;
}

void pushOutput(std::ostream& out) {
  if (auto* buffer = dynamic_cast<FdOutputBuffer*>(out.rdbuf())) {
    if (!buffer->flushNow()) {
      out.setstate(std::ios::badbit);
    }
    return;
  }
  out.flush();
}

std::string writeFailure(std::ostream& out) {
  if (auto* buffer = dynamic_cast<FdOutputBuffer*>(out.rdbuf())) {
    if (buffer->error() != 0) {
      return std::strerror(buffer->error());
    }
  }
  return out.bad() ? "output stream failed" : "";
}
