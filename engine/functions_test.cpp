#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_test_util.h"

namespace {

struct FunctionCase {
  const char* line;
  double value;
};

TEST(FunctionsTest, DegreeModeUsesTheSixDigitAngleConstant) {
  const FunctionCase cases[] = {
      {"sin(30)", 0.5},        {"sin(90)", 1},
      {"sin(180)", 0.000003},  {"cos(60)", 0.500001},
      {"cos(90)", 0.000001},   {"tan(45)", 0.999999},
      {"cot(45)", 1.000001},   {"tan(90)", 753695.995141},
      {"cot(90)", 0.000001},   {"asin(0.5)", 30.000025},
      {"asin(1)", 90.000076},  {"arcsin(1)", 90.000076},
      {"acos(0)", 90.000076},  {"arccos(0.5)", 60.000051},
      {"atan(1)", 45.000038},  {"arctan(1)", 45.000038},
      {"sqrt(16)", 4},         {"sqrt(2)", 1.414214},
      {"sqrt(2)^2", 2.000001}, {"sqrt()", 0},
      {"SIN(30)", 0.5},        {"sin[30]", 0.5},
      {"sin{30}", 0.5},        {"sin(90)*cos(90)", 0.000001},
  };
  for (const FunctionCase& c : cases) {
    CapturedCalculator captured;
    EXPECT_EQ(captured.evaluate(c.line), c.value) << c.line;
    EXPECT_EQ(captured.err.str(), "") << c.line;
  }
}

TEST(FunctionsTest, RadianModeFollowsTheVariableRad) {
  CapturedCalculator captured;
  captured.evaluate("rad=1");
  const FunctionCase cases[] = {
      {"sin(30)", -0.988032},
      {"asin(1)", 1.570796},
      {"atan(1)", 0.785398},
      {"sin(pi/2)", 1},
  };
  for (const FunctionCase& c : cases) {
    EXPECT_EQ(captured.evaluate(c.line), c.value) << c.line;
  }
  captured.evaluate("rad=0");
  EXPECT_EQ(captured.evaluate("sin(90)"), 1);
}

TEST(FunctionsTest, AngleConstantsDeriveFrom314159) {
  CapturedCalculator captured;
  EXPECT_EQ(captured.calculator.applyFunction(WideString("sin("), 1.0),
            std::sin(0.017453277777777776));
  EXPECT_EQ(captured.calculator.applyFunction(WideString("asin("), 1.0),
            std::asin(1.0) * 57.295827908797776);
}

TEST(FunctionsTest, ErrorLines) {
  struct Case {
    const char* line;
    double value;
    const char* errors;
  } cases[] = {
      {"sqrt(-4)", 0, "Error: Parameter of sqrt() can't be negative.\n"},
      {"foo(2)", 0, "Error: Undefined function 'foo()'. Returns 0.0 .\n"},
      {"pi(2)", 0, "Error: Undefined function 'pi()'. Returns 0.0 .\n"},
      {"foo(1/0)", 0, "Error: Divide by zero!\nError: Undefined function 'foo()'. Returns 0.0 .\n"},
      {"sqrt(asin(2))", 0, "Error: Parameter of sqrt() can't be negative.\n"},
  };
  for (const auto& c : cases) {
    CapturedCalculator captured;
    EXPECT_EQ(captured.evaluate(c.line), c.value) << c.line;
    EXPECT_EQ(captured.err.str(), c.errors) << c.line;
  }
}

TEST(FunctionsTest, NameAssignedAsVariableStillCallsTheFunction) {
  CapturedCalculator captured;
  captured.evaluate("sin=5");
  EXPECT_EQ(captured.evaluate("sin"), 5);
  EXPECT_EQ(captured.evaluate("sin(30)"), 0.5);
}

}  // namespace
