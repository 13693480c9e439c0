#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// Powers of ten that a double holds exactly.
constexpr double EXACT_POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

/// Writes the decimal digits of `value` at `out`; returns the end.
char* writeDigits(uint64_t value, char* out) {
  char reversed[20];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) {
    *out++ = reversed[--count];
  }
  return out;
}

/// The "%f" text of values below 1e13 in magnitude, computed exactly: the
/// value is m * 2^e, so value * 10^6 = m * 10^6 * 2^e fits 128 bits and is
/// rounded to an integer half-to-even, as the C library rounds. Returns
/// null for values outside that range.
char* formatFixedExactly(double value, char* out) {
  const double magnitude = std::fabs(value);
  if (!(magnitude < 1e13)) {
    return nullptr;
  }
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);
  const uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  const int shift = 53 - exponent;  // magnitude = mantissa / 2^shift, shift > 0
  const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 1000000u;
  uint64_t micros = 0;
  if (shift < 75) {  // at 75 and beyond the scaled value is below one half
    micros = static_cast<uint64_t>(scaled >> shift);
    const unsigned __int128 remainder = scaled & ((static_cast<unsigned __int128>(1) << shift) - 1);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (micros & 1) != 0)) {
      ++micros;
    }
  }
  if (std::signbit(value)) {
    *out++ = '-';
  }
  out = writeDigits(micros / 1000000, out);
  *out++ = '.';
  uint64_t decimals = micros % 1000000;
  for (int i = 5; i >= 0; --i) {
    out[i] = static_cast<char>('0' + decimals % 10);
    decimals /= 10;
  }
  return out + 6;
}

/// Reads texts of the form [-]digits[.digits] whose digits make an integer
/// of at most 2^53 and that have at most 22 decimals: such a value is that
/// integer divided by an exact power of ten, and one correctly rounded
/// division gives exactly what strtod gives. Returns false for any other
/// text, including one whose number goes on with an exponent.
bool parseDecimalExactly(std::string_view text, double& value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) {
    ++i;
  }
  uint64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool point = false;
  bool sawDigit = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (isDigit(c)) {
      sawDigit = true;
      if (mantissa != 0 || c != '0') {
        if (++digits > 16) {
          return false;
        }
      }
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      if (point) {
        ++decimals;
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!sawDigit || mantissa > (uint64_t{1} << 53) || decimals > 22) {
    return false;
  }
  if (i < text.size()) {
    const char next = text[i];
    if (next == 'e' || next == 'E' || next == 'x' || next == 'X') {
      return false;  // an exponent or a hexadecimal number: leave it to strtod
    }
  }
  double result = static_cast<double>(mantissa) / EXACT_POWERS_OF_TEN[decimals];
  value = negative ? -result : result;
  return true;
}

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

std::string_view formatFixed(double value, char* buffer) {
  if (char* end = formatFixedExactly(value, buffer)) {
    return {buffer, static_cast<std::size_t>(end - buffer)};
  }
  if (!std::isfinite(value)) {
    // The library's own spelling of infinities and NaNs, sign included.
    int size = std::snprintf(buffer, NUMBER_TEXT_CAPACITY, "%f", value);
    return {buffer, static_cast<std::size_t>(size)};
  }
  // std::to_chars writes exactly what printf's "%f" writes, never truncated.
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

double parseDecimal(std::string_view text) {
  double value = 0.0;
  if (parseDecimalExactly(text, value)) {
    return value;
  }
  // Other plain decimal texts go through std::from_chars, which reads them
  // as strtod does. Everything else, and every text from_chars declines (no
  // digits, out of range), goes to strtod itself.
  if (startsPlainDecimal(text)) {
    auto result = std::from_chars(text.data(), text.data() + text.size(), value,
                                  std::chars_format::general);
    if (result.ec == std::errc()) {
      return value;
    }
  }
  std::string terminated(text);
  return std::strtod(terminated.c_str(), nullptr);
}
