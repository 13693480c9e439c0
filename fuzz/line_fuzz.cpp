// Fuzz target: lines fed one after another to one long-lived Calculator, so
// that variables created by earlier inputs meet later ones, as they do in a
// long session.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <streambuf>

#include "engine/calculator.h"
#include "text/wide_string.h"

namespace {

/// Takes every byte written and keeps none, so that a long run's error lines
/// and listings cost no memory.
class DiscardBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize size) override { return size; }
};

Calculator& sharedCalculator() {
  static DiscardBuffer discard;
  static std::ostream out(&discard);
  static std::ostream err(&discard);
  static Calculator calculator(out, err);
  return calculator;
}

/// True when `line` is in the tokenizer's normal form: no blanks or tabs, no
/// square or curly brackets, no upper-case letters.
bool isNormalised(const WideString& line) {
  for (char16_t unit : line.view()) {
    if (unit == u' ' || unit == u'\t' || unit == u'[' || unit == u']' || unit == u'{' ||
        unit == u'}' || (unit >= u'A' && unit <= u'Z')) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Calculator& calculator = sharedCalculator();
  const char* bytes = reinterpret_cast<const char*>(data);
  // Each piece between line feeds is one line, as the console would read it.
  std::size_t start = 0;
  for (;;) {
    const void* feed = size > start ? std::memchr(bytes + start, '\n', size - start) : nullptr;
    const std::size_t stop =
        feed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(feed) - bytes) : size;
    WideString line = WideString::fromBytes(bytes + start, stop - start);
    calculator.evaluateLine(line);
    // The line is normalised in place whether or not it fitted the table.
    if (!isNormalised(line)) {
      std::abort();
    }
    if (stop == size) {
      break;
    }
    start = stop + 1;
  }
  return 0;
}
