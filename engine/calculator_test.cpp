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

TEST(CalculatorTest, OperatorBitsFollowTheReductionOrder) {
  for (std::size_t i = 0; i < operatorOrder.size(); ++i) {
    EXPECT_EQ(operatorBit(operatorOrder[i]), 1u << i);
  }
  EXPECT_EQ(operatorBit(TOKEN_NUMBER), 0u);
  EXPECT_EQ(operatorBit(')'), 0u);
}

}  // namespace
