#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/engine_test_util.h"

namespace {

struct ValueCase {
  const char* line;
  double value;
  const char* errors;
};

const char* const DIVIDE = "Error: Divide by zero!\n";

// Every value here passes through six-decimal number text at each step, so
// exact comparisons are the point: they pin the rounding and the order.
TEST(EvaluatorTest, ReducesInTheFixedOrder) {
  const ValueCase cases[] = {
      {"(5*89)+2^2", 449, ""},
      {"8-3-2", 3, ""},
      {"2^3^2", 64, ""},
      {"|-8*56|/(56^6-789)", 0, ""},
      {"var={[67+(5+1)]-89}*pi", -50.26544, ""},
      {"x=3", 3, ""},
      {"5/0", 5, DIVIDE},
      {"1+5/0", 6, DIVIDE},
      {"2*5/0", 10, DIVIDE},
      {"8/4/2", 1, ""},
      {"8:4/2", 4, ""},
      {"8/4:2", 1, ""},
      {"1/3*3", 0.111111, ""},
      {"(1/3)*3", 0.999999, ""},
      {"1/3+1/3+1/3", 0.999999, ""},
      {"-2^2", 4, ""},
      {"2^-1", 0.5, ""},
      {"8-3+2", 7, ""},
      {"8-(3)+2", 3, ""},
      {"0.1234567", 0.1234567, ""},
      {"(0.1234567)", 0.123457, ""},
      {"0.1234567*1", 0.123457, ""},
      {"1/3000000", 0, ""},
      {"5/(1/3000000)", 5, DIVIDE},
      {"(sqrt(4)+1)*2", 6, ""},
      {"(sqrt(4))+1", 3, ""},
      {"sqrt(sqrt(16)+9)", 3.605551, ""},
      {"2*cos(-60)", 1.000002, ""},
      {"||-3|+2|", -3, ""},
      {"x=y=2", 2, ""},
      {"=5", 5, ""},
      {"x=0.1234567", 0.123457, ""},
      {"2x=5", 2, ""},
      {"", 0, ""},
      {"+5", 5, ""},
      {"5+", 5, ""},
      {"*5", 0, ""},
      {"-(2)", -2, ""},
      {"(5+3", 8, ""},
      {"|-5", 5, ""},
      {"2*(3+4", 14, ""},
      {")5", 0, ""},
      {"5)", 5, ""},
      {"()", 0, ""},
      {"+-*", 0, ""},
      {"+-*/", 0, DIVIDE},
      {"5!", 5, ""},
      {"2,5", 2, ""},
      {"1+2", 3, ""},
      {"10/4", 2.5, ""},
      {"pi", 3.14159, ""},
      {"pi*2", 6.28318, ""},
      {"2pi", 6.28318, ""},
      {"5:0", 5, DIVIDE},
      {"5/-0", 5, DIVIDE},
  };
  for (const ValueCase& c : cases) {
    CapturedCalculator captured;
    EXPECT_EQ(captured.evaluate(c.line), c.value) << c.line;
    EXPECT_EQ(captured.err.str(), c.errors) << c.line;
    EXPECT_EQ(captured.calculator.tokenCount, MAX_TOKENS);
  }
}

TEST(EvaluatorTest, AssignmentsStoreTheValueTheyTook) {
  struct Case {
    const char* line;
    const char* name;
    double stored;
  } cases[] = {
      {"x=y=2", "x", 2}, {"x=y=2", "y", 0},
      {"=5", "", 5},     {"x=0.1234567", "x", 0.1234567},
      {"2x=5", "x", 5},  {"x=1/3", "x", 0.333333},
      {"x=3+4", "x", 7}, {"X=2", "x", 2},
  };
  for (const auto& c : cases) {
    CapturedCalculator captured;
    captured.evaluate(c.line);
    Variable* variable = captured.calculator.findVariable(WideString(c.name));
    ASSERT_NE(variable, nullptr) << c.line;
    EXPECT_EQ(variable->value, c.stored) << c.line;
  }
}

TEST(EvaluatorTest, OperandSearches) {
  CapturedCalculator captured;
  WideString line("(1+2)*3");
  captured.calculator.tokenize(line);
  captured.calculator.resolveNames();
  Calculator& calc = captured.calculator;
  EXPECT_EQ(calc.findKind('*', -1, -1), 5);
  EXPECT_EQ(calc.findKind('/', -1, -1), -1);
  EXPECT_EQ(calc.findKind('+', 3, -1), -1);
  EXPECT_EQ(calc.findMatchingClose(')', 1, -1), 4);
  // Leftwards from the '+' the search stops at the opening bracket.
  EXPECT_EQ(calc.takeOperand(0, true), 0.0);
  EXPECT_EQ(calc.takeOperand(2, true), 1.0);
  EXPECT_EQ(calc.tokens[1].kind, TOKEN_EMPTY);
  // Rightwards it stops at the closing bracket.
  EXPECT_EQ(calc.takeOperand(4, false), 0.0);
  EXPECT_EQ(calc.takeOperand(5, false), 3.0);
}

TEST(EvaluatorTest, BarsDoNotNestButBracketsAndHeadsDo) {
  CapturedCalculator captured;
  WideString line("|1|+|2|+sin(f(1))");
  captured.calculator.tokenize(line);
  captured.calculator.resolveNames();
  Calculator& calc = captured.calculator;
  EXPECT_EQ(calc.findMatchingClose('|', 1, -1), 2);
  EXPECT_EQ(calc.findMatchingClose(')', 9, -1), 14);
  WideString nameOnly("a=");
  calc.tokenize(nameOnly);
  EXPECT_TRUE(calc.takeAssignedName(1).equals(WideString("a")));
  EXPECT_EQ(calc.takeAssignedName(1).length(), 0);
}

TEST(EvaluatorTest, NonFiniteValuesPassThroughText) {
  CapturedCalculator captured;
  EXPECT_TRUE(std::isinf(captured.evaluate("10^400")));
  EXPECT_TRUE(std::isinf(captured.evaluate("(10^400)*2")));
  EXPECT_EQ(captured.evaluate("-(10^400)"), -INFINITY);
  EXPECT_TRUE(std::isnan(captured.evaluate("asin(2)")));
  EXPECT_TRUE(std::isnan(captured.evaluate("asin(2)+1")));
  EXPECT_EQ(captured.err.str(), "");
  // A divisor that is not a number is unusable, as zero is.
  EXPECT_EQ(captured.evaluate("5/asin(2)"), 5);
  EXPECT_EQ(captured.err.str(), DIVIDE);
}

TEST(EvaluatorTest, HugeValuesKeepEveryDigit) {
  CapturedCalculator captured;
  EXPECT_EQ(captured.evaluate("10^300*1"), 1e300);
  EXPECT_EQ(captured.evaluate("10^308*10"), INFINITY);
}

}  // namespace
