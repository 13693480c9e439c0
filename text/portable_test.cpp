#include "text/portable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(PortableTest, BitsOfADoubleAreItsEncoding) {
  const struct {
    double value;
    uint64_t bits;
  } cases[] = {
      {1.0, 0x3ff0000000000000u},  {-2.0, 0xc000000000000000u},   {0.1, 0x3fb999999999999au},
      {-0.0, 0x8000000000000000u}, {5e-324, 0x0000000000000001u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(portable::bitsOf(c.value), c.bits) << c.value;
  }
}

TEST(PortableTest, ToCharsWritesThePrintfTexts) {
  const struct {
    double value;
    std::chars_format format;
    const char* text;
  } cases[] = {
      {0.1, std::chars_format::fixed, "0.100000"},
      {2.5e-7, std::chars_format::fixed, "0.000000"},
      {1e20, std::chars_format::fixed, "100000000000000000000.000000"},
      {1e20, std::chars_format::general, "1e+20"},
      {1.0 / 3.0, std::chars_format::general, "0.333333333333333"},
      {123456789012345678.0, std::chars_format::general, "1.23456789012346e+17"},
  };
  for (const auto& c : cases) {
    char buffer[400];
    const int precision = c.format == std::chars_format::fixed ? 6 : 15;
    const auto result =
        portable::to_chars(buffer, buffer + sizeof buffer, c.value, c.format, precision);
    ASSERT_EQ(result.ec, std::errc());
    EXPECT_EQ(std::string(buffer, result.ptr), c.text);
  }
}

TEST(PortableTest, StrtodKeepsTheSignOfANan) {
  const struct {
    const char* text;
    bool negative;
  } cases[] = {{"-nan", true}, {"  -nan", true}, {"nan", false}, {"+nan", false}, {"-NAN", true}};
  for (const auto& c : cases) {
    const double value = portable::strtod(c.text, nullptr);
    EXPECT_TRUE(std::isnan(value)) << c.text;
    EXPECT_EQ(std::signbit(value), c.negative) << c.text;
  }
  EXPECT_EQ(portable::strtod("-2.5e3x", nullptr), -2500.0);
}

TEST(PortableTest, ArcSineAndCosineBeyondTheirDomainGiveANanWithoutASign) {
  const double infinity = HUGE_VAL;
  for (const double x : {2.0, -2.0, infinity, -infinity}) {
    EXPECT_TRUE(std::isnan(portable::asin(x)) && !std::signbit(portable::asin(x))) << x;
    EXPECT_TRUE(std::isnan(portable::acos(x)) && !std::signbit(portable::acos(x))) << x;
  }
  EXPECT_EQ(portable::asin(1.0), std::asin(1.0));
  EXPECT_EQ(portable::acos(-1.0), std::acos(-1.0));
}

TEST(PortableTest, RandomBytesDifferFromDrawToDraw) {
  uint64_t first[2] = {};
  uint64_t second[2] = {};
  ASSERT_TRUE(portable::fillRandom(first, sizeof first));
  ASSERT_TRUE(portable::fillRandom(second, sizeof second));
  EXPECT_FALSE(first[0] == second[0] && first[1] == second[1]);
}

}  // namespace
