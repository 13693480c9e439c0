#include "text/portable.h"

#include <cstdio>
#include <cstring>

#if defined(__EMSCRIPTEN__)
#include <unistd.h>
#else
#include <sys/random.h>
#endif

namespace portable {

uint64_t bitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

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

bool fillRandom(void* data, std::size_t size) {
  return getrandom(data, size, GRND_NONBLOCK) == static_cast<ssize_t>(size);
}

#endif

}  // namespace portable
