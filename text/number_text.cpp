#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

std::string_view formatFixed(double value, char* buffer) {
  if (!std::isfinite(value)) {
    // The library's own spelling of infinities and NaNs, sign included.
    int size = std::snprintf(buffer, NUMBER_TEXT_CAPACITY, "%f", value);
    return {buffer, static_cast<std::size_t>(size)};
  }
  // std::to_chars writes exactly what printf's "%f" writes, only faster.
  auto result = std::to_chars(buffer, buffer + NUMBER_TEXT_CAPACITY, value,
                              std::chars_format::fixed, 6);
  return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

std::string_view formatGeneral(double value, char* buffer) {
  if (!std::isfinite(value)) {
    int size = std::snprintf(buffer, NUMBER_TEXT_CAPACITY, "%.15g", value);
    return {buffer, static_cast<std::size_t>(size)};
  }
  auto result = std::to_chars(buffer, buffer + NUMBER_TEXT_CAPACITY, value,
                              std::chars_format::general, 15);
  return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// True for texts that start like a plain decimal number: an optional minus,
/// then a digit or a point, and no hexadecimal prefix.
bool startsPlainDecimal(std::string_view text) {
  std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
  if (i >= text.size() || !(isDigit(text[i]) || text[i] == '.')) {
    return false;
  }
  bool hexPrefix = text[i] == '0' && i + 1 < text.size() &&
                   (text[i + 1] == 'x' || text[i + 1] == 'X');
  return !hexPrefix;
}

}  // namespace

double parseDecimal(std::string_view text) {
  // Plain decimal texts (the only kind the engine writes and the tokenizer
  // cuts) go through std::from_chars, which reads them exactly as strtod
  // does. Everything else, and every text from_chars declines (no digits,
  // out of range), goes to strtod itself.
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (startsPlainDecimal(text)) {
    double value = 0.0;
    auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec == std::errc()) {
      return value;
    }
  }
  std::string terminated(text);
  return std::strtod(terminated.c_str(), nullptr);
}
