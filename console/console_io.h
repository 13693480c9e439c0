#ifndef ZORVEX_CONSOLE_CONSOLE_IO_H_
#define ZORVEX_CONSOLE_CONSOLE_IO_H_

#include <cstring>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

#include "text/wide_string.h"

class CalculatorSession;

/// What asking a line source for a line gave.
enum class ReadResult {
  LINE,    // a line was read
  END,     // the input has ended, or the output can take nothing more
  FAILED,  // the input could not be read; `failure()` says why
};

/// Where the dialogue's lines come from. A source decides how the prompt is
/// shown and when the output gathered so far must be sent, since only it
/// knows whether reading the next line will make the reader wait.
class LineSource {
 public:
  virtual ~LineSource() = default;

  /// Shows `prompt` (nothing when empty) and reads one line into `line`,
  /// without its line end. Returns LINE, END, or FAILED; a line cut short
  /// by a read failure is not returned.
  virtual ReadResult nextLine(std::string_view prompt, WideString& line) = 0;
  /// Returns what failed and why ("read error: Is a directory") after
  /// FAILED, or "" before any failure.
  virtual std::string failure() const { return ""; }
  /// Lets the source see the dialogue's calculator, for a source that
  /// offers the names of its functions and variables while a line is typed.
  virtual void follow(const CalculatorSession& session) { (void)session; }
};

/// An input buffer that can tell whether a whole line is already waiting,
/// so that a source knows when reading on would make it wait, and why the
/// input stopped.
class InputBuffer : public std::streambuf {
 public:
  /// Returns the next line, its line end included, and moves past it when
  /// the buffered input holds it whole; nothing otherwise. The view lasts
  /// until the buffer is next read.
  std::optional<std::string_view> takeBufferedLine() {
    const char* lineFeed = static_cast<const char*>(
        std::memchr(gptr(), '\n', static_cast<std::size_t>(egptr() - gptr())));
    if (lineFeed == nullptr) {
      return std::nullopt;
    }
    const std::string_view line(gptr(), static_cast<std::size_t>(lineFeed + 1 - gptr()));
    setg(eback(), gptr() + line.size(), egptr());
    return line;
  }
  /// Returns true once reading has failed (the end of the input is no
  /// failure).
  bool failed() const { return error_ != 0; }
  /// Returns what failed and why once reading has failed, or "".
  virtual std::string failure() const { return ""; }
  /// Returns true when the line being read was given up, for Ctrl-C or
  /// because the file it came from failed (the input then looks ended
  /// until read again), and forgets it.
  bool takeGivenUp() {
    const bool was = givenUp_;
    givenUp_ = false;
    return was;
  }

 protected:
  int error_ = 0;         // the errno of the failed read, or 0
  bool givenUp_ = false;  // the line being read was given up
};

/// An output buffer that gathers what is written to it. Flushing a stream
/// over it marks the end of a piece of output, which the buffer may still
/// keep; `push` is the one operation that sends everything gathered.
class OutputBuffer : public std::streambuf {
 public:
  /// Sends everything written so far; returns false once any write failed.
  virtual bool push() = 0;
  /// Returns true once a write has failed.
  virtual bool failed() const = 0;
  /// Returns the reason of the first failed write, or "".
  virtual std::string failure() const = 0;
};

#endif  // ZORVEX_CONSOLE_CONSOLE_IO_H_
