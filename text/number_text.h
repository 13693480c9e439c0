#ifndef ZORVEX_TEXT_NUMBER_TEXT_H_
#define ZORVEX_TEXT_NUMBER_TEXT_H_

#include <cstddef>
#include <cstdint>
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

/// Reads a number from a run of digits and points one unit at a time, with
/// the value parseUnits would give the run when it can be found without the
/// C library (see value()).
class DecimalReader {
 public:
  /// Takes the run's next unit, a digit or a point. The number ends at the
  /// run's second point; what follows it is passed over.
  void take(char16_t unit) {
    const unsigned digit = static_cast<unsigned>(unit) - '0';
    if (digit < 10) {
      if (!ended_) {
        mantissa_ = mantissa_ * 10 + digit;  // past 19 digits value() gives up anyway
        ++digits_;
        decimals_ += point_;
      }
    } else if (point_ == 0) {
      point_ = 1;
    } else {
      ended_ = true;
    }
  }
  /// Takes a whole run of digits and points into a reader that has taken
  /// nothing, from the run's first unit up to the first unit that is
  /// neither; returns the run's length. The same as taking its units one by
  /// one, in one loop per part of the number.
  std::size_t takeRun(std::u16string_view units) {
    std::size_t i = takeDigits(units, 0);
    if (i < units.size() && units[i] == u'.') {
      const std::size_t firstDecimal = i + 1;
      i = takeDigits(units, firstDecimal);
      decimals_ = static_cast<int>(i - firstDecimal);
      point_ = 1;
      if (i < units.size() && units[i] == u'.') {
        ended_ = true;  // the second point ends the number, not the run
        ++i;
        while (i < units.size() &&
               (units[i] == u'.' || static_cast<unsigned>(units[i]) - '0' < 10)) {
          ++i;
        }
      }
    }
    return i;
  }
  /// Returns true when a point has been taken.
  bool hasPoint() const { return point_ != 0; }
  /// Returns the value of the digits taken so far, or nothing when it needs
  /// the C library's conversion.
  std::optional<double> value() const;

 private:
  /// Takes the digits of `units` from `from` on; returns where they end.
  std::size_t takeDigits(std::u16string_view units, std::size_t from) {
    uint64_t mantissa = mantissa_;
    std::size_t i = from;
    for (const std::size_t size = units.size(); i < size; ++i) {
      const unsigned digit = static_cast<unsigned>(units[i]) - '0';
      if (digit >= 10) {
        break;
      }
      mantissa = mantissa * 10 + digit;  // past 19 digits value() gives up anyway
    }
    mantissa_ = mantissa;
    digits_ += static_cast<int>(i - from);
    return i;
  }

  uint64_t mantissa_ = 0;
  int digits_ = 0;
  int decimals_ = 0;
  int point_ = 0;
  bool ended_ = false;
};

#endif  // ZORVEX_TEXT_NUMBER_TEXT_H_
