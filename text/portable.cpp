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

}  // namespace portable

// The program's pow is the C library's pow, which on a processor with fused
// multiply-add (every current x86-64 and arm64) is compiled with its
// multiply-adds fused: each a * b + c is rounded once. WebAssembly has no
// such instruction, and the same code with the two roundings gives another
// last bit for about one result in a thousand, which the six-decimal text
// of a large power shows. So the page's build compiles the C library's own
// pow again with every multiply-add a call to the function below, and the
// page's pow is that build's (web/CMakeLists.txt).
extern "C" double zorvex_fused_pow(double x, double y);

// Every step below is one rounding: no multiply-add may be fused.
#pragma clang fp contract(off)

namespace {

/// Whether `value` is far enough from the limits of the format that the
/// exact sums and products below can neither overflow nor underflow.
bool wellScaled(double value) {
  const double size = std::fabs(value);
  return size >= 0x1p-400 && size <= 0x1p400;
}

/// A value cut into a high half of 26 bits and the low rest, each of
/// which multiplies another half exactly.
struct Halves {
  double high;
  double low;
};

Halves split(double value) {
  constexpr double SPLITTER = 134217729.0;  // 2^27 + 1
  const double scaled = SPLITTER * value;
  const double high = scaled - (scaled - value);
  return {high, value - high};
}

/// A sum rounded to nearest and what the rounding left out, exactly.
struct ExactSum {
  double sum;
  double error;
};

ExactSum exactSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  return {sum, (a - (sum - bPart)) + (b - bPart)};
}

}  // namespace

/// Returns a * b + c rounded once, to nearest, ties to even. Outside the
/// well-scaled range (zeros, huge and tiny values, infinities, NaNs) it is
/// the C library's fma, exact but slow; inside, pure double arithmetic:
/// a * b is split exactly into uh + ul (the product of the halves is
/// exact), c + uh exactly into th + tl, tl + ul is rounded to odd (rounded
/// to nearest, then moved one unit to the neighbour with an odd last bit
/// if the rounding was inexact and left it even), and th plus that is
/// rounded to nearest. Rounding the small part to odd keeps the
/// information a second rounding needs, so the result is the correctly
/// rounded a * b + c (a known, machine-proved result about rounding to odd
/// in binary formats of at least five bits).
extern "C" double zorvex_exact_fma(double a, double b, double c) {
  if (!wellScaled(a) || !wellScaled(b) || !wellScaled(c)) {
    return std::fma(a, b, c);
  }
  const Halves x = split(a);
  const Halves y = split(b);
  const double uh = a * b;
  const double ul = ((x.high * y.high - uh) + x.high * y.low + x.low * y.high) + x.low * y.low;
  const ExactSum t = exactSum(c, uh);
  const ExactSum small = exactSum(t.error, ul);
  double odd = small.sum;
  if (small.error != 0.0 && (portable::bitsOf(odd) & 1) == 0) {
    odd = std::nextafter(odd, small.error > 0.0 ? HUGE_VAL : -HUGE_VAL);
  }
  return t.sum + odd;
}

namespace portable {

double pow(double x, double y) { return zorvex_fused_pow(x, y); }

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
