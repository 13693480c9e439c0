#include "engine/calculator.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/engine_test_util.h"

namespace {

TEST(CalculatorTest, StartsWithAnEmptyTableAndThreeVariables) {
  CapturedCalculator captured;
  const Calculator& calc = captured.calculator;
  EXPECT_EQ(calc.tokenCount, 0);
  EXPECT_TRUE(occupiedSlots(calc).empty());
  const Variable* node = calc.variables.first();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->name.length(), 0);
  EXPECT_EQ(node->value, 0.0);
  node = node->next;
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(node->name.equals(WideString("pi")));
  EXPECT_EQ(node->value, 3.14159);
  node = node->next;
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(node->name.equals(WideString("rad")));
  EXPECT_EQ(node->value, 0.0);
  EXPECT_EQ(node->next, nullptr);
}

TEST(CalculatorTest, EveryEvaluationCoversTheWholeTable) {
  CapturedCalculator captured;
  captured.evaluate("");
  EXPECT_EQ(captured.calculator.tokenCount, MAX_TOKENS);
}

TEST(CalculatorTest, LinesBeyondTheTableAreNotEvaluated) {
  std::string exactly;
  for (int i = 0; i < 64; ++i) exactly += "1+";  // 128 tokens
  CapturedCalculator captured;
  EXPECT_EQ(captured.evaluate(exactly.c_str()), 64);
  EXPECT_EQ(captured.err.str(), "");

  // One more token: no assignment happens, one error line, value 0.
  std::string tooLong = "x=" + exactly;
  EXPECT_EQ(captured.evaluate(tooLong.c_str()), 0);
  EXPECT_EQ(captured.err.str(), "Error: Expression has more than 128 tokens. Returns 0.0 .\n");
  EXPECT_EQ(captured.calculator.findVariable(WideString("x")), nullptr);
}

TEST(CalculatorTest, UndeclaredNamesAreReportedAndCountedButNotCreated) {
  CapturedCalculator captured;
  Calculator& calc = captured.calculator;
  calc.setVariable(WideString("a"), 2.5);
  EXPECT_EQ(calc.getVariable(WideString("a")), 2.5);
  EXPECT_EQ(calc.errorLineCount(), 0u);
  EXPECT_EQ(calc.getVariable(WideString("y")), 0.0);
  EXPECT_EQ(calc.getVariable(WideString("A")), 0.0);  // names are case-sensitive here
  EXPECT_EQ(captured.err.str(),
            "Error: Variable 'y' is undeclared. It is used as 0.0 .\n"
            "Error: Variable 'A' is undeclared. It is used as 0.0 .\n");
  EXPECT_EQ(calc.findVariable(WideString("y")), nullptr);
  captured.evaluate("1/0+sqrt(-1)+f(2)");
  EXPECT_EQ(calc.errorLineCount(), 5u);
}

TEST(CalculatorTest, NestingAsDeepAsTheTableAllows) {
  std::string nested(127, '(');
  nested += "7";
  CapturedCalculator captured;
  EXPECT_EQ(captured.evaluate(nested.c_str()), 7);
  // Bars never nest: the first 126 form empty pairs, the last holds the 7,
  // and the line's value is the first pair's 0.
  std::string bars(127, '|');
  bars += "7";
  EXPECT_EQ(captured.evaluate(bars.c_str()), 0);
}

}  // namespace

namespace {

// Each line's value (or the variable it assigns) depends on which of two
// neighbouring kinds in the reduction order goes first; the expected values
// are worked out by hand for the documented order and would differ for the
// opposite one.
TEST(CalculatorTest, KindsAreReducedInTheirFixedOrder) {
  const struct {
    const char* line;
    double value;
  } cases[] = {
      {"sqrt(4)^2", 4},          // a function head before ^ (swapped: 0)
      {"2*3^2", 18},             // ^ before * (swapped: 36)
      {"8/2*2", 2},              // * before / (swapped: 8)
      {"2*3/2*3", 1},            // every * before any / (left to right: 9)
      {"8:4/2", 4},              // / before : (swapped: 1)
      {"12/2:3/2", 4},           // every / before any : (left to right: 1)
      {"1+4:2", 3},              // : before + (swapped: 2.5)
      {"8-(3)+2", 3},            // + before - (swapped: 7)
      {"9-(1)+(1)-(1)+(1)", 5},  // every + before any - (left to right: 9)
  };
  for (const auto& c : cases) {
    CapturedCalculator captured;
    EXPECT_EQ(captured.evaluate(c.line), c.value) << c.line;
  }
  // - before =: the variable takes the difference, not the first operand.
  CapturedCalculator captured;
  EXPECT_EQ(captured.evaluate("x=5-(1)"), 4);
  EXPECT_EQ(captured.evaluate("x"), 4);
}

}  // namespace
