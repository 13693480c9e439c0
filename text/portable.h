#ifndef ZORVEX_TEXT_PORTABLE_H_
#define ZORVEX_TEXT_PORTABLE_H_

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The few library calls that not every toolchain Zorvex is built with
// provides: the WebAssembly build's C++ library has no std::bit_cast and no
// floating-point std::to_chars / std::from_chars, and its C library has no
// getrandom; its strtod reads "-nan" as a NaN without a sign, its arc
// sine and cosine give a NaN with one, and its pow rounds a few results
// the other way. Each function here gives the same result on every build.
namespace portable {

/// Returns the bits of `value`, as std::bit_cast<uint64_t> does. Inline:
/// the number conversions call it for every value they write.
inline uint64_t bitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

/// Writes `value` as std::to_chars with `format` (fixed or general) and
/// `precision` does, which is the C library's "%.*f" or "%.*g"; returns the
/// end of the text, or `last` with an error when the text does not fit.
std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision);

/// Reads a decimal number at `first` as std::from_chars does; where the
/// library has no such reading, returns an error so that the caller reads
/// the text with strtod instead.
std::from_chars_result from_chars(const char* first, const char* last, double& value,
                                  std::chars_format format);

/// Reads a number at `text` as the native C library's strtod does, the sign
/// of a "-nan" included; stores the end of what was read in *end when `end`
/// is not null.
double strtod(const char* text, char** end);

/// Returns the arc sine of `x` as the native C library does, which gives a
/// NaN without a sign for an argument beyond [-1, 1].
double asin(double x);

/// Returns the arc cosine of `x` as the native C library does (see asin).
double acos(double x);

#if defined(__EMSCRIPTEN__)
/// Returns `x` raised to `y` as the native C library does on a processor
/// with fused multiply-add, to the last bit.
double pow(double x, double y);
#else
/// Returns `x` raised to `y` (the C library's pow). Inline: every ^ of a
/// line calls it.
inline double pow(double x, double y) { return std::pow(x, y); }
#endif

/// Fills `size` bytes at `data` from the system's random source without
/// waiting for it; returns false when it has none to give.
bool fillRandom(void* data, std::size_t size);

}  // namespace portable

#endif  // ZORVEX_TEXT_PORTABLE_H_
