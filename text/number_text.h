#ifndef ZORVEX_TEXT_NUMBER_TEXT_H_
#define ZORVEX_TEXT_NUMBER_TEXT_H_

#include <cstddef>
#include <optional>
#include <string_view>

/// Room for the longest "%f" text of a double: 309 integer digits, a sign,
/// the point and six decimals, with margin.
constexpr std::size_t NUMBER_TEXT_CAPACITY = 400;

/// Writes the "%f" text of `value` into `buffer` (NUMBER_TEXT_CAPACITY bytes)
/// and returns a view of it: fixed notation, six decimals, never truncated;
/// non-finite values as the C library writes them (inf, -inf, nan, -nan).
std::string_view formatFixed(double value, char* buffer);

/// Returns the value that reading back the "%f" text of `value` gives, when
/// it can be found without writing the text; nothing otherwise.
std::optional<double> readBackOfFixed(double value);

/// Writes `value` as the C library's "%.15g" does into `buffer`
/// (NUMBER_TEXT_CAPACITY bytes) and returns a view of it.
std::string_view formatGeneral(double value, char* buffer);

/// Reads the longest decimal prefix of `text` by the C library's rules for
/// atof (leading white space, sign, digits with one point, exponent, and the
/// library's inf and nan forms); returns 0.0 when there is none.
double parseDecimal(std::string_view text);

/// Reads the low bytes of 16-bit units as parseDecimal reads bytes; returns
/// the value.
double parseUnits(std::u16string_view units);

#endif  // ZORVEX_TEXT_NUMBER_TEXT_H_
