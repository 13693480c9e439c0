#ifndef ZORVEX_CONSOLE_MEMORY_STREAMS_H_
#define ZORVEX_CONSOLE_MEMORY_STREAMS_H_

#include <cstddef>
#include <string>
#include <utility>

#include "console/console_io.h"

/// Input held in memory as a whole: every line is waiting from the start.
class MemoryInputBuffer : public InputBuffer {
 public:
  /// An input of exactly the bytes of `text`.
  explicit MemoryInputBuffer(std::string text) : text_(std::move(text)) {
    setg(text_.data(), text_.data(), text_.data() + text_.size());
  }

 private:
  std::string text_;
};

/// Output gathered in memory. It never fails; it remembers how much of it
/// had been pushed, which is what a reader on the other end could see.
class MemoryOutputBuffer : public OutputBuffer {
 public:
  bool push() override {
    pushed_ = text_.size();
    return true;
  }
  bool failed() const override { return false; }
  std::string failure() const override { return ""; }

  /// Returns everything written so far.
  const std::string& text() const { return text_; }
  /// Returns what had been written when `push` was last called.
  std::string pushedText() const { return text_.substr(0, pushed_); }

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      text_.push_back(traits_type::to_char_type(c));
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* data, std::streamsize size) override {
    text_.append(data, static_cast<std::size_t>(size));
    return size;
  }

 private:
  std::string text_;
  std::size_t pushed_ = 0;
};

#endif  // ZORVEX_CONSOLE_MEMORY_STREAMS_H_
