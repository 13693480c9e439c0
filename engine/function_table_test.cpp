#include "engine/function_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine_test_util.h"

namespace {

// What each function gives for one argument in each angle mode, taken from
// the mathematics and not from the table. In degree mode a wrongly marked
// argument or result is off by a factor near 57; the degree values carry
// the error of the 3.14159 the conversions use, well inside the tolerance.
// Calls are typed lines, so a name no one can type fails as undefined.
struct Expectation {
  std::string_view name;
  double degreesArgument;
  double inDegrees;
  double radiansArgument;
  double inRadians;
};

constexpr Expectation EXPECTED[] = {
    {"sqrt", 16, 4, 2.25, 1.5},         {"sin", 30, 0.5, 30, -0.988032},
    {"cos", 60, 0.5, 3.14159, -1},      {"tan", 45, 1, 1, 1.557408},
    {"cot", 45, 1, 1, 0.642093},        {"asin", 0.5, 30, 0.5, 0.523599},
    {"acos", 0.5, 60, 0.5, 1.047198},   {"atan", 1, 45, 1, 0.785398},
    {"arcsin", 1, 90, 1, 1.570796},     {"arccos", 0, 90, 0, 1.570796},
    {"arctan", -1, -45, -1, -0.785398},
};

// Evaluates the line "name(x)" as typed, six-decimal rounding included.
double evaluateCall(CapturedCalculator& captured, std::string_view name, double x) {
  return captured.evaluate((std::string(name) + "(" + std::to_string(x) + ")").c_str());
}

TEST(FunctionTableTest, EveryRowConvertsTheAnglesItShould) {
  CapturedCalculator degrees;
  CapturedCalculator radians;
  radians.evaluate("rad=1");
  for (const FunctionRow& row : functionTable()) {
    const Expectation* e = std::find_if(std::begin(EXPECTED), std::end(EXPECTED),
                                        [&](const Expectation& x) { return x.name == row.name; });
    if (e == std::end(EXPECTED)) {
      ADD_FAILURE() << row.name << " has no expectation here";
      continue;
    }
    EXPECT_NEAR(evaluateCall(degrees, row.name, e->degreesArgument), e->inDegrees,
                1e-5 * std::max(1.0, std::fabs(e->inDegrees)))
        << row.name << " in degrees";
    EXPECT_NEAR(evaluateCall(radians, row.name, e->radiansArgument), e->inRadians, 2e-6)
        << row.name << " in radians";
  }
  EXPECT_EQ(degrees.err.str() + radians.err.str(), "");
  EXPECT_EQ(functionTable().size(), std::size(EXPECTED));
}

TEST(FunctionTableTest, HeadsMatchWholeNamesWithTheirBracket) {
  // A head is the whole name and one bracket, unit for unit; "" is no row.
  // Heads are compared as one integer of a byte per unit: a zero unit and
  // a ninth unit must not vanish from the comparison.
  const struct {
    std::u16string_view head;
    std::string_view found;
  } cases[] = {
      {u"sin(", "sin"},
      {u"arctan(", "arctan"},
      {u"sqrt(", "sqrt"},
      {u"sin", ""},
      {u"sinx(", ""},
      {u"si(", ""},
      {u"(", ""},
      {u"", ""},
      {u"s\u0169n(", ""},
      {u"sin)", ""},
      {u"arcsin((", ""},
      {u"arcsinab(", ""},
      {std::u16string_view(u"sin(\0", 5), ""},
      {std::u16string_view(u"\0sin(", 5), ""},
  };
  for (const auto& c : cases) {
    const FunctionRow* row = findFunction(c.head);
    EXPECT_EQ(row == nullptr ? "" : row->name, c.found) << c.found;
  }
}

}  // namespace
