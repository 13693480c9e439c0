#include "engine/session.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(SessionTest, EachLineKeepsOnlyItsOwnErrorLines) {
  CalculatorSession session;
  EXPECT_EQ(session.evaluate("1/0+nope"), 1.0);
  EXPECT_EQ(session.errors(),
            "Error: Variable 'nope' is undeclared. It is used as 0.0 .\n"
            "Error: Divide by zero!\n");
  EXPECT_EQ(session.errorCount(), 2u);
  EXPECT_EQ(session.evaluate("x=2*(3+4)"), 14.0);
  EXPECT_EQ(session.errors(), "");
  EXPECT_EQ(session.errorCount(), 0u);
  EXPECT_EQ(session.totalErrorCount(), 2u);
  EXPECT_EQ(session.variable("X"), 14.0);
}

TEST(SessionTest, VariablesByNameInTheListingsOrder) {
  CalculatorSession session;
  EXPECT_TRUE(session.setVariable("Rate", 1.25));
  EXPECT_EQ(session.evaluate("rate*8"), 10.0);
  for (const char* bad : {"", "a1", "a b", "_"}) {
    EXPECT_FALSE(session.setVariable(bad, 1.0)) << bad;
    EXPECT_EQ(session.variable(bad), std::nullopt) << bad;
  }
  std::vector<std::pair<std::string, double>> listed;
  session.forEachVariable([&](std::string_view name, double value) {
    listed.emplace_back(name, value);
    return false;
  });
  const std::vector<std::pair<std::string, double>> expected = {
      {"", 0.0}, {"pi", 3.14159}, {"rad", 0.0}, {"rate", 1.25}};
  EXPECT_EQ(listed, expected);
  std::ostringstream out;
  session.writeVariables(out);
  EXPECT_EQ(out.str(), "\n\t\t0\npi\t\t3.14159\nrad\t\t0\nrate\t\t1.25\n\n");
}

}  // namespace
