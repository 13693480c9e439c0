#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace {

std::string printfText(const char* format, double value) {
  char buffer[NUMBER_TEXT_CAPACITY];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// The fast conversions must give exactly what the C library gives, on
// values drawn from every range the engine meets.
TEST(NumberTextTest, MatchesTheCLibraryOnRandomValues) {
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> exponent(-12.0, 30.0);
  char buffer[NUMBER_TEXT_CAPACITY];
  for (int i = 0; i < 200000; ++i) {
    double value = std::pow(10.0, exponent(random));
    if (random() % 2) value = -value;
    if (random() % 7 == 0) value = std::round(value * 1e6) / 1e6;
    if (random() % 11 == 0) value = static_cast<double>(random() % 100000) / 128.0;
    ASSERT_EQ(formatFixed(value, buffer), printfText("%f", value)) << value;
    ASSERT_EQ(formatGeneral(value, buffer), printfText("%.15g", value)) << value;
    std::string text = printfText("%f", value);
    ASSERT_EQ(parseDecimal(text), std::strtod(text.c_str(), nullptr)) << text;
  }
}

TEST(NumberTextTest, SpecialValues) {
  char buffer[NUMBER_TEXT_CAPACITY];
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {0.0,       -0.0,  inf,    -inf,   std::nan(""), -std::nan(""),
                           0.0078125, 1e308, -1e308, 5e-324, 1e-7,         123456789012345678.0};
  for (double value : values) {
    EXPECT_EQ(formatFixed(value, buffer), printfText("%f", value)) << value;
    EXPECT_EQ(formatGeneral(value, buffer), printfText("%.15g", value)) << value;
  }
  EXPECT_EQ(formatFixed(1e308, buffer).size(), 309u + 7u);
}

TEST(NumberTextTest, ParsesLikeStrtod) {
  const char* texts[] = {"1.5.2",  ".",    "",    "-",    "1e400", "-1e400",
                         "1e-400", "0.5e", "1.",  "..5",  "00012", "9999999999999999999999999",
                         "inf",    "-inf", "nan", "-nan", " 7",    "+3",
                         "0x1p4",  "1,5"};
  for (const char* text : texts) {
    double expected = std::strtod(text, nullptr);
    double actual = parseDecimal(text);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(actual)) << text;
      EXPECT_EQ(std::signbit(actual), std::signbit(expected)) << text;
    } else {
      EXPECT_EQ(actual, expected) << text;
    }
  }
  std::string longDigits(400, '9');
  EXPECT_EQ(parseDecimal(longDigits), std::strtod(longDigits.c_str(), nullptr));
}

}  // namespace

namespace {

// Values around the boundaries of the exact shortcuts: ties at the sixth
// decimal, the largest magnitudes handled exactly, the longest mantissas.
TEST(NumberTextTest, ShortcutBoundariesMatchTheCLibrary) {
  char buffer[NUMBER_TEXT_CAPACITY];
  std::mt19937_64 random(99);
  for (int i = 0; i < 100000; ++i) {
    const double tie = static_cast<double>(random() % 20000000) / 128.0 + 0.0078125;
    const double nearLimit =
        std::nextafter(1e13, 0.0) - static_cast<double>(random() % 1000) / 64.0;
    const double tiny =
        std::ldexp(static_cast<double>(random() % 1000000), -static_cast<int>(random() % 90));
    for (double value : {tie, -tie, nearLimit, -nearLimit, tiny, 1e13, 9007199254740993.0}) {
      ASSERT_EQ(formatFixed(value, buffer), printfText("%f", value)) << value;
    }
    std::string digits = std::to_string(random() % 100000000000000000ull);
    const std::size_t point = random() % (digits.size() + 1);
    std::string text = digits.substr(0, point) + "." + digits.substr(point);
    if (random() % 2) text = "-" + text;
    ASSERT_EQ(parseDecimal(text), std::strtod(text.c_str(), nullptr)) << text;
    std::string withExponent = text + "e" + std::to_string(random() % 40);
    ASSERT_EQ(parseDecimal(withExponent), std::strtod(withExponent.c_str(), nullptr))
        << withExponent;
  }
}

}  // namespace

namespace {

TEST(NumberTextTest, GeneralFormatMatchesTheCLibraryAcrossItsStyles) {
  char buffer[NUMBER_TEXT_CAPACITY];
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-7.0, 17.0);
  for (int i = 0; i < 200000; ++i) {
    double value = std::pow(10.0, exponent(random));
    switch (random() % 4) {
      case 0:
        value = std::round(value * 1e6) / 1e6;
        break;  // six-decimal results
      case 1:
        value = std::nextafter(std::pow(10.0, static_cast<int>(random() % 22) - 6), 0.0);
        break;
      case 2:
        value = std::pow(10.0, static_cast<int>(random() % 22) - 6);
        break;
      default:
        break;
    }
    if (random() % 2) value = -value;
    ASSERT_EQ(formatGeneral(value, buffer), printfText("%.15g", value)) << value;
  }
  for (double value : {999999999999999.9, 99999.99999999999, 0.000099999999999999999, 1e-5,
                       0.00001000000000000001, 123456789012345.6, 0.1234567, 999999999.999999,
                       0.0001, 0.00010000000000000002, 99999999.9999999, 0.000999999}) {
    EXPECT_EQ(formatGeneral(value, buffer), printfText("%.15g", value)) << value;
  }
}

TEST(NumberTextTest, ReadBackValueIsWhatParsingTheTextGives) {
  char buffer[NUMBER_TEXT_CAPACITY];
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> exponent(-8.0, 24.0);
  const double edges[] = {0x1p33, 0x1p34, 0x1p53, 1e13, 1.7976931348623157e308};
  for (int i = 0; i < 300000; ++i) {
    double value = std::pow(10.0, exponent(random)) * ((random() % 2) ? -1 : 1);
    if (i % 100 == 0) {
      // A large value on or next to a power of two, where the spacing of
      // the doubles below halves, or the largest double.
      value = edges[(i / 100) % std::size(edges)];
      value = (i % 300 == 0) ? value : std::nextafter(value, (i % 200 == 0) ? 0.0 : 1e300);
    } else if (i % 3 == 1) {
      // On or next to a rounding tie of the sixth decimal.
      value = static_cast<double>(random() % 100000000) / 128.0 + 0.0078125;
      value = (i % 2) ? std::nextafter(value, 0.0) : std::nextafter(value, 1e300);
    } else if (i % 3 == 2) {
      value = static_cast<double>(random() % 1000000000) / 1e6;  // typical six-decimal result
    }
    const std::optional<double> readBack = readBackOfFixed(value);
    if (std::isfinite(value)) {
      ASSERT_TRUE(readBack.has_value()) << value;  // the shortcut covers every finite value
    }
    if (readBack) {
      const std::string text(formatFixed(value, buffer));
      const double parsed = std::strtod(text.c_str(), nullptr);
      ASSERT_EQ(*readBack, parsed) << text;
      ASSERT_EQ(std::signbit(*readBack), std::signbit(parsed)) << text;
    }
  }
}

}  // namespace

namespace {

// Long texts are read from a shortened form; the value must still be what
// the C library makes of the whole text, including a tie that only a digit
// far down the text breaks.
TEST(NumberTextTest, LongTextsReadAsTheCLibraryReadsThem) {
  const std::string zeros(5000, '0');
  const std::string digits(5000, '7');
  // 2^53 + 1 lies halfway between two doubles: the digits after it decide.
  const std::string tie = "9007199254740993";
  const std::string cases[] = {
      digits,
      "-" + digits + "." + digits,
      "0." + zeros + "123",
      zeros + "42.5e-3",
      "   \t+" + digits + "e-4990",
      tie + "." + zeros,
      tie + "." + zeros + "1",
      "1." + digits + "e400",
      "1." + digits + "e-400",
      digits + "e-99999999999999999999",
      "-" + zeros,
      "." + zeros + "5x",
      zeros + "e",
      "-." + zeros,
      "0x1p3" + zeros,
      "inf" + digits,
      "x" + digits,
  };
  for (const std::string& text : cases) {
    const std::u16string units(text.begin(), text.end());
    const double expected = std::strtod(text.c_str(), nullptr);
    const double actual = parseUnits(units);
    EXPECT_EQ(std::signbit(actual), std::signbit(expected)) << text.substr(0, 40);
    EXPECT_EQ(actual, expected) << text.substr(0, 40);
  }
}

// A number's run read unit by unit as the tokenizer cuts it gives what the
// C library reads from the same text, and does so without the library up
// to the limits where an integer and a power of ten stop being exact.
TEST(NumberTextTest, DigitRunsReadAsTheCLibraryReadsThem) {
  struct Case {
    const char* run;
    bool withoutTheLibrary;
  } cases[] = {
      {"13.6", true},
      {"007", true},
      {"5.", true},
      {".5", true},
      {"1.5.2", true},
      {"1..5", true},
      {"9007199254740992", true},  // 2^53
      {"9007199254740993", false},
      {"0000000000000000001", true},  // 19 digits
      {"00000000000000000001", false},
      {".0000000000000000001", true},  // 19 digits, all decimals
      {"0.0000000000000000001", false},
      {".", false},
      {"..", false},
  };
  for (const Case& c : cases) {
    DecimalReader reader;
    for (const char* unit = c.run; *unit != '\0'; ++unit) {
      reader.take(static_cast<char16_t>(*unit));
    }
    const std::optional<double> value = reader.value();
    EXPECT_EQ(value.has_value(), c.withoutTheLibrary) << c.run;
    if (value) {
      EXPECT_EQ(*value, std::strtod(c.run, nullptr)) << c.run;
    }
  }
}

}  // namespace
