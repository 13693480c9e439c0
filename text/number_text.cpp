#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/portable.h"

// The C library's conversions are exact but slow. The shortcuts below give
// the same bytes and values for the numbers a calculator meets most, using
// integer arithmetic that is exact by construction; everything else goes to
// the library (or std::to_chars / std::from_chars, which match it).

namespace {

using uint128 = unsigned __int128;

/// Powers of ten that a double holds exactly, and as integers.
constexpr double EXACT_POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t POWERS_OF_TEN[] = {1ull,
                                      10ull,
                                      100ull,
                                      1000ull,
                                      10000ull,
                                      100000ull,
                                      1000000ull,
                                      10000000ull,
                                      100000000ull,
                                      1000000000ull,
                                      10000000000ull,
                                      100000000000ull,
                                      1000000000000ull,
                                      10000000000000ull,
                                      100000000000000ull,
                                      1000000000000000ull,
                                      10000000000000000ull,
                                      100000000000000000ull,
                                      1000000000000000000ull,
                                      10000000000000000000ull};

constexpr uint64_t MAX_EXACT_INTEGER = uint64_t{1} << 53;

bool isDigit(unsigned c) { return c >= '0' && c <= '9'; }

/// A positive finite double as mantissa * 2^-shift.
struct Binary {
  uint64_t mantissa;
  int shift;
};

Binary decompose(double magnitude) {
  const uint64_t bits = portable::bitsOf(magnitude);
  const int biased = static_cast<int>(bits >> 52);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  if (biased == 0) {
    return {fraction, 1074};  // subnormal
  }
  return {fraction | (uint64_t{1} << 52), 1075 - biased};
}

/// Returns mantissa * 10^power / 2^shift rounded to an integer, half to
/// even, as the C library rounds. The product must fit 128 bits and the
/// quotient 64 bits.
uint64_t scaleAndRound(Binary binary, int power) {
  const uint128 scaled = static_cast<uint128>(binary.mantissa) * POWERS_OF_TEN[power];
  if (binary.shift <= 0) {
    return static_cast<uint64_t>(scaled << -binary.shift);
  }
  if (binary.shift >= 127) {
    return 0;  // scaled < 2^117, so the quotient is below one half
  }
  uint64_t quotient = static_cast<uint64_t>(scaled >> binary.shift);
  const uint128 remainder = scaled & ((static_cast<uint128>(1) << binary.shift) - 1);
  const uint128 half = static_cast<uint128>(1) << (binary.shift - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) {
    ++quotient;
  }
  return quotient;
}

/// The two digits of every number below 100, "00" to "99": the digits are
/// written two at a time, with half the divisions.
constexpr auto DIGIT_PAIRS = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

/// Writes exactly `count` digits of `value`, with leading zeros.
char* writePaddedDigits(uint64_t value, int count, char* out) {
  int i = count;
  for (; i >= 2; i -= 2) {
    const std::size_t pair = static_cast<std::size_t>(value % 100);
    value /= 100;
    out[i - 2] = DIGIT_PAIRS[2 * pair];
    out[i - 1] = DIGIT_PAIRS[2 * pair + 1];
  }
  if (i == 1) {
    out[0] = static_cast<char>('0' + value % 10);
  }
  return out + count;
}

/// Writes the decimal digits of `value` at `out`; returns the end.
char* writeDigits(uint64_t value, char* out) {
  int count = 1;
  while (count < 20 && value >= POWERS_OF_TEN[count]) {
    ++count;
  }
  return writePaddedDigits(value, count, out);
}

/// Values below this magnitude have a "%f" text whose digits, read as an
/// integer (the value in millionths), fit 64 bits.
constexpr double FIXED_SHORTCUT_LIMIT = 1e13;

/// From this magnitude on, a finite value's "%f" text reads back as the
/// value itself (see readBackOfFixed).
constexpr double LARGE_READ_BACK = 0x1p33;

/// The value read back from a "%f" text of `micros` millionths, when the
/// integer is exact in a double: one correctly rounded division.
std::optional<double> readBackOfMicros(uint64_t micros, bool negative) {
  if (micros > MAX_EXACT_INTEGER) {
    return std::nullopt;
  }
  const double back = static_cast<double>(micros) / 1e6;
  return negative ? -back : back;
}

/// The "%f" text of values below FIXED_SHORTCUT_LIMIT in magnitude; returns
/// null for others.
char* formatFixedExactly(double value, char* out) {
  const double magnitude = std::fabs(value);
  if (!(magnitude < FIXED_SHORTCUT_LIMIT)) {
    return nullptr;
  }
  const uint64_t micros = scaleAndRound(decompose(magnitude), 6);
  if (std::signbit(value)) {
    *out++ = '-';
  }
  out = writeDigits(micros / 1000000, out);
  *out++ = '.';
  return writePaddedDigits(micros % 1000000, 6, out);
}

/// "%.15g" of values that are what a six-decimal number text from 0.0001
/// up to 1e9 reads back as (an engine result, nearly always); returns null
/// for others.
///
/// Such a value v is the double nearest to D = M / 10^6 for an integer M
/// below 10^15, so D has at most 15 significant digits and at most six
/// decimals. v differs from D by at most 2^-53 times v, far less than half
/// a unit of the fifteenth significant digit, so rounding v to 15 digits
/// gives D exactly (where v and D straddle a power of ten, D is that power
/// and v rounds up to it), and %.15g writes D in fixed notation without
/// trailing zeros: its integer part, and its decimals when there are any.
char* formatGeneralOfMicros(double value, char* out) {
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-4 && magnitude < 1e9)) {
    return nullptr;
  }
  const double micros = (magnitude * 1e6 + 0x1p52) - 0x1p52;  // below 2^52: a whole number
  if (micros / 1e6 != magnitude) {
    return nullptr;  // not a six-decimal number read back
  }
  const uint64_t count = static_cast<uint64_t>(micros);
  if (std::signbit(value)) {
    *out++ = '-';
  }
  out = writeDigits(count / 1000000, out);
  const uint64_t decimals = count % 1000000;
  if (decimals == 0) {
    return out;
  }
  *out++ = '.';
  out = writePaddedDigits(decimals, 6, out);
  while (out[-1] == '0') {
    --out;  // stops at the last non-zero decimal, before the point
  }
  return out;
}

/// "%.15g" of non-zero values from 1e-5 up to 1e15 in magnitude; returns
/// null for others.
char* formatGeneralExactly(double value, char* out) {
  constexpr int PRECISION = 15;
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-5 && magnitude < 1e15)) {
    return nullptr;
  }
  const Binary binary = decompose(magnitude);
  // Find the decimal exponent x with 10^14 <= magnitude * 10^(14 - x) < 10^15,
  // starting from an estimate and correcting it on the exact integers.
  const int binaryExponent = 63 - std::countl_zero(binary.mantissa) - binary.shift;
  int exponent = (binaryExponent * 1233) >> 12;  // 1233 / 4096 is just above log10(2)
  uint64_t digits = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int power = PRECISION - 1 - exponent;
    if (power < 0 || power > 19) {
      return nullptr;
    }
    const uint128 scaled = static_cast<uint128>(binary.mantissa) * POWERS_OF_TEN[power];
    const uint128 whole = binary.shift >= 128 ? 0 : scaled >> binary.shift;
    if (whole >= POWERS_OF_TEN[PRECISION]) {
      ++exponent;
    } else if (whole < POWERS_OF_TEN[PRECISION - 1]) {
      --exponent;
    } else {
      digits = scaleAndRound(binary, power);
      break;
    }
  }
  if (digits == 0) {
    return nullptr;
  }
  if (digits == POWERS_OF_TEN[PRECISION]) {
    digits /= 10;  // rounding carried into a new leading digit
    ++exponent;
  }
  if (std::signbit(value)) {
    *out++ = '-';
  }
  char text[PRECISION];
  writePaddedDigits(digits, PRECISION, text);
  int significant = PRECISION;
  while (significant > 1 && text[significant - 1] == '0') {
    --significant;  // %g drops trailing zeros
  }
  if (exponent < -4 || exponent >= PRECISION) {
    *out++ = text[0];
    if (significant > 1) {
      *out++ = '.';
      for (int i = 1; i < significant; ++i) *out++ = text[i];
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int shown = exponent < 0 ? -exponent : exponent;
    if (shown < 10) *out++ = '0';
    return writeDigits(static_cast<uint64_t>(shown), out);
  }
  if (exponent >= 0) {
    for (int i = 0; i <= exponent; ++i) *out++ = text[i];
    if (significant > exponent + 1) {
      *out++ = '.';
      for (int i = exponent + 1; i < significant; ++i) *out++ = text[i];
    }
    return out;
  }
  *out++ = '0';
  *out++ = '.';
  for (int i = 0; i < -exponent - 1; ++i) *out++ = '0';
  for (int i = 0; i < significant; ++i) *out++ = text[i];
  return out;
}

/// Reads [-]digits[.digits] by DecimalReader. Gives up (nothing) on every
/// other text, including a number that goes on with an exponent or a
/// hexadecimal prefix, and on units beyond one byte where a number could go on.
template <typename Char>
std::optional<double> parseExactly(std::basic_string_view<Char> text) {
  const std::size_t size = text.size();
  std::size_t i = 0;
  const bool negative = size != 0 && text[0] == '-';
  if (negative) {
    ++i;
  }
  DecimalReader reader;
  for (; i < size; ++i) {
    const unsigned c = static_cast<std::make_unsigned_t<Char>>(text[i]);
    if (c - '0' < 10 || (c == '.' && !reader.hasPoint())) {
      reader.take(static_cast<char16_t>(c));
    } else {
      if (c > 0xFF || c == 'e' || c == 'E' || c == 'x' || c == 'X') {
        return std::nullopt;
      }
      break;
    }
  }
  const std::optional<double> result = reader.value();
  return negative && result ? -*result : result;
}

/// True for texts that start like a plain decimal number: an optional minus,
/// then a digit or a point, and no hexadecimal prefix.
bool startsPlainDecimal(std::string_view text) {
  std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
  if (i >= text.size() || !(isDigit(static_cast<unsigned char>(text[i])) || text[i] == '.')) {
    return false;
  }
  const bool hexPrefix =
      text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X');
  return !hexPrefix;
}

/// Texts longer than this are read without a byte copy of the whole text.
constexpr std::size_t LONG_TEXT = 4096;

/// Significant digits kept by shortenDecimal. Every double and every point
/// halfway between two neighbouring doubles is a decimal of at most 767
/// significant digits, so a number cut after more digits, with one non-zero
/// digit standing for any non-zero rest, rounds to the same double.
constexpr std::size_t KEPT_DIGITS = 800;

/// Exponents beyond this magnitude are as good as infinite: the value
/// overflows or underflows whatever its digits.
constexpr int64_t EXPONENT_LIMIT = 100000;

/// The low byte of a unit, as the numeric conversion sees it.
unsigned char lowByte(char16_t unit) { return static_cast<unsigned char>(unit & 0xFF); }

/// Rewrites the decimal number at the start of `units` (low bytes, as the C
/// library reads them: leading white space, sign, digits with one point, an
/// exponent) as a short text of the same value: its sign, then 0. and at most
/// KEPT_DIGITS significant digits (and a sticky 1), then the exponent.
/// Returns nothing when the text starts with any other form (hexadecimal,
/// inf, nan), which the caller reads in full.
std::optional<std::string> shortenDecimal(std::u16string_view units) {
  const std::size_t size = units.size();
  std::size_t i = 0;
  while (i < size &&
         (lowByte(units[i]) == ' ' || (lowByte(units[i]) >= '\t' && lowByte(units[i]) <= '\r'))) {
    ++i;
  }
  std::string shortened;
  if (i < size && (lowByte(units[i]) == '-' || lowByte(units[i]) == '+')) {
    if (lowByte(units[i]) == '-') {
      shortened += '-';
    }
    ++i;
  }
  const bool hexPrefix = i + 1 < size && lowByte(units[i]) == '0' &&
                         (lowByte(units[i + 1]) == 'x' || lowByte(units[i + 1]) == 'X');
  const bool startsNumber =
      i < size && (isDigit(lowByte(units[i])) ||
                   (lowByte(units[i]) == '.' && i + 1 < size && isDigit(lowByte(units[i + 1]))));
  if (hexPrefix || !startsNumber) {
    return std::nullopt;
  }
  // The value is 0.DIGITS times ten to the power `exponent`.
  shortened += "0.";
  const std::size_t digitsStart = shortened.size();
  int64_t exponent = 0;
  bool point = false;
  bool sticky = false;
  for (; i < size; ++i) {
    const unsigned char c = lowByte(units[i]);
    if (c == '.' && !point) {
      point = true;
    } else if (!isDigit(c)) {
      break;
    } else if (shortened.size() == digitsStart && c == '0') {
      exponent -= point ? 1 : 0;  // a leading zero
    } else {
      exponent += point ? 0 : 1;
      if (shortened.size() - digitsStart < KEPT_DIGITS) {
        shortened += static_cast<char>(c);
      } else {
        sticky |= c != '0';
      }
    }
  }
  if (sticky) {
    shortened += '1';
  }
  if (i + 1 < size && (lowByte(units[i]) == 'e' || lowByte(units[i]) == 'E')) {
    std::size_t j = i + 1;
    const bool negative = lowByte(units[j]) == '-';
    if (negative || lowByte(units[j]) == '+') {
      ++j;
    }
    int64_t written = 0;
    bool any = false;
    for (; j < size && isDigit(lowByte(units[j])); ++j) {
      written = std::min<int64_t>(written * 10 + (lowByte(units[j]) - '0'), EXPONENT_LIMIT);
      any = true;
    }
    if (any) {
      exponent += negative ? -written : written;
    }
  }
  if (shortened.size() == digitsStart) {
    shortened += '0';  // only zeros: the exponent does not matter
    exponent = 0;
  }
  exponent = std::clamp<int64_t>(exponent, -EXPONENT_LIMIT, EXPONENT_LIMIT);
  shortened += 'e';
  shortened += std::to_string(exponent);
  return shortened;
}

}  // namespace

std::string_view formatFixed(double value, char* buffer) {
  if (char* end = formatFixedExactly(value, buffer)) {
    return {buffer, static_cast<std::size_t>(end - buffer)};
  }
  if (!std::isfinite(value)) {
    // The library's own spelling of infinities and NaNs, sign included.
    const int size = std::snprintf(buffer, NUMBER_TEXT_CAPACITY, "%f", value);
    return {buffer, static_cast<std::size_t>(size)};
  }
  const auto end =
      portable::to_chars(buffer, buffer + NUMBER_TEXT_CAPACITY, value, std::chars_format::fixed, 6);
  return {buffer, static_cast<std::size_t>(end.ptr - buffer)};
}

std::optional<double> readBackOfFixed(double value) {
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e-6 && magnitude < 4e9) {
    // Most values are far from a rounding tie: the product with 10^6, a
    // bound on its rounding error (half a unit in its last place, at most
    // product * 2^-53) and its nearest integer settle the count of
    // millionths without wide arithmetic. Near a tie, fall through.
    const double product = magnitude * 1e6;
    const double rounded = (product + 0x1p52) - 0x1p52;  // product < 2^52: half to even
    const double fraction = product - rounded;           // exact
    if (std::fabs(fraction) + product * 0x1p-53 < 0.4999) {
      const double back = rounded / 1e6;
      return std::copysign(back, value);  // back >= +0: -back for a negative value
    }
  }
  if (!(magnitude < LARGE_READ_BACK)) {
    // From 2^33 up, neighbouring doubles lie at least 2^-19 (about 1.9e-6)
    // apart, so the six-decimal text, which is within 0.5e-6 of the value,
    // reads back as the value itself; at a power of two, where the spacing
    // below halves, the value is an integer and its text exact. Only
    // infinities and NaNs (which reach here too), whose text is a word, go
    // the long way.
    if (std::isfinite(value)) {
      return value;
    }
    return std::nullopt;
  }
  return readBackOfMicros(scaleAndRound(decompose(magnitude), 6), std::signbit(value));
}

std::string_view formatGeneral(double value, char* buffer) {
  if (char* end = formatGeneralOfMicros(value, buffer)) {
    return {buffer, static_cast<std::size_t>(end - buffer)};
  }
  if (char* end = formatGeneralExactly(value, buffer)) {
    return {buffer, static_cast<std::size_t>(end - buffer)};
  }
  if (!std::isfinite(value)) {
    const int size = std::snprintf(buffer, NUMBER_TEXT_CAPACITY, "%.15g", value);
    return {buffer, static_cast<std::size_t>(size)};
  }
  const auto end = portable::to_chars(buffer, buffer + NUMBER_TEXT_CAPACITY, value,
                                      std::chars_format::general, 15);
  return {buffer, static_cast<std::size_t>(end.ptr - buffer)};
}

double parseDecimal(std::string_view text) {
  if (std::optional<double> value = parseExactly(text)) {
    return *value;
  }
  if (startsPlainDecimal(text)) {
    double value = 0.0;
    const auto result = portable::from_chars(text.data(), text.data() + text.size(), value,
                                             std::chars_format::general);
    if (result.ec == std::errc()) {
      return value;
    }
  }
  const std::string terminated(text);
  return portable::strtod(terminated.c_str(), nullptr);
}

double parseUnits(std::u16string_view units) {
  if (std::optional<double> value = parseExactly(units)) {
    return *value;
  }
  if (units.size() > LONG_TEXT) {
    if (std::optional<std::string> shortened = shortenDecimal(units)) {
      return parseDecimal(*shortened);
    }
  }
  // The low bytes as a byte string, read by the C rules.
  std::string bytes(units.size(), '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[i] = static_cast<char>(units[i] & 0xFF);
  }
  return parseDecimal(bytes);
}

std::optional<double> DecimalReader::value() const {
  // The digits read as one integer (leading zeros count as digits: more
  // than 19 could have overflowed it) of at most 2^53, with at most 19
  // decimals (there are no more decimals than digits): the integer and the
  // power of ten are both exact doubles, so their quotient, one correctly
  // rounded division, is exactly what strtod gives for the text.
  if (static_cast<unsigned>(digits_ - 1) >= 19 || mantissa_ > MAX_EXACT_INTEGER) {
    return std::nullopt;  // no digit, or too many
  }
  return static_cast<double>(mantissa_) / EXACT_POWERS_OF_TEN[decimals_];
}
