#include "text/portable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#if defined(__EMSCRIPTEN__)
#include <unistd.h>
#else
#include <sys/random.h>
#endif

namespace portable {

#if defined(__EMSCRIPTEN__)

// The WebAssembly C library formats and reads decimals exactly (correctly
// rounded, ties to even), as the native C++ library's conversions do; the
// browser test compares the page's results with the program's to prove it.

std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision) {
  const char* pattern = format == std::chars_format::fixed ? "%.*f" : "%.*g";
  const int size =
      std::snprintf(first, static_cast<std::size_t>(last - first), pattern, precision, value);
  if (size < 0 || size >= last - first) {
    return {last, std::errc::value_too_large};
  }
  return {first + size, std::errc()};
}

std::from_chars_result from_chars(const char* first, const char*, double&, std::chars_format) {
  return {first, std::errc::invalid_argument};
}

double strtod(const char* text, char** end) {
  const double value = std::strtod(text, end);
  if (!std::isnan(value)) {
    return value;
  }
  // The native library keeps the sign written before "nan", and the
  // program prints it ("-nan"): a NaN read back from a number's text must
  // keep it here too.
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
    ++text;
  }
  return std::copysign(value, *text == '-' ? -1.0 : 1.0);
}

double asin(double x) {
  return std::fabs(x) > 1.0 ? std::numeric_limits<double>::quiet_NaN() : std::asin(x);
}

double acos(double x) {
  return std::fabs(x) > 1.0 ? std::numeric_limits<double>::quiet_NaN() : std::acos(x);
}

bool fillRandom(void* data, std::size_t size) {
  // getentropy takes at most 256 bytes at a time; a key is far smaller.
  return size <= 256 && getentropy(data, size) == 0;
}

#else

std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision) {
  return std::to_chars(first, last, value, format, precision);
}

std::from_chars_result from_chars(const char* first, const char* last, double& value,
                                  std::chars_format format) {
  return std::from_chars(first, last, value, format);
}

double strtod(const char* text, char** end) { return std::strtod(text, end); }

double asin(double x) { return std::asin(x); }

double acos(double x) { return std::acos(x); }

bool fillRandom(void* data, std::size_t size) {
  return getrandom(data, size, GRND_NONBLOCK) == static_cast<ssize_t>(size);
}

#endif

}  // namespace portable
