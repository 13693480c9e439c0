#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_test_util.h"

namespace {

using Slots = std::vector<std::string>;

struct ResolveCase {
  const char* setup;  // evaluated first, to define variables; may be empty
  const char* line;
  Slots slots;
  const char* errors;
};

const char* const UNDECLARED_E = "Error: Variable 'e' is undeclared. It is used as 0.0 .\n";
const char* const UNDECLARED_X = "Error: Variable 'x' is undeclared. It is used as 0.0 .\n";

TEST(NameResolverTest, RewritesTheTable) {
  const ResolveCase cases[] = {
      {"",
       "(5*89)+2^2",
       {"0:(:", "1:o:5", "2:*:", "3:o:89", "4:):", "5:+:", "6:o:2", "7:^:", "8:o:2"},
       ""},
      {"",
       "var={[67+(5+1)]-89}*pi",
       {"0:n:var", "1:=:", "2:(:", "3:(:", "4:o:67", "5:+:", "6:(:", "7:o:5", "8:+:", "9:o:1",
        "10:):", "11:):", "12:+:", "13:o:-89.000000", "14:):", "15:*:", "16:o:3.141590"},
       ""},
      {"", "2pi", {"1:o:6.283180"}, ""},
      {"", "pi2", {"0:o:6.283180"}, ""},
      {"", "pi*2", {"0:o:3.141590", "1:*:", "2:o:2"}, ""},
      {"",
       "sin(90)*cos(90)",
       {"0:f:sin(", "2:o:90", "3:):", "4:*:", "5:f:cos(", "7:o:90", "8:):"},
       ""},
      {"",
       "|-8*56|/(56^6-789)",
       {"0:|:", "1:+:", "2:o:-8.000000", "3:*:", "4:o:56", "5:|:", "6:/:", "7:(:", "8:o:56",
        "9:^:", "10:o:6", "11:+:", "12:o:-789.000000", "13:):"},
       ""},
      {"x=4", "-2x", {"0:+:", "2:o:-8.000000"}, ""},
      {"", "5-3", {"0:o:5", "1:+:", "2:o:-3.000000"}, ""},
      {"", "--5", {"0:-:", "1:+:", "2:o:-5.000000"}, ""},
      {"", "-1.5.2", {"0:+:", "1:o:-1.500000"}, ""},
      {"", "-pi", {"0:-:", "1:o:3.141590"}, ""},
      {"", "x=-5", {"0:n:x", "1:=:", "2:+:", "3:o:-5.000000"}, ""},
      {"", "y=x", {"0:n:y", "1:=:", "2:o:0.000000"}, UNDECLARED_X},
      {"x=3\ny=5", "x2y", {"0:o:6.000000", "2:o:5.000000"}, ""},
      {"x=4", "2x3", {"1:o:8.000000", "2:o:3"}, ""},
      {"", "sqrt(16)", {"0:f:sqrt(", "2:o:16", "3:):"}, ""},
      {"", "foo(2)", {"0:f:foo(", "2:o:2", "3:):"}, ""},
      {"", "2sin(30)", {"0:o:2", "1:f:sin(", "3:o:30", "4:):"}, ""},
      {"", "1e5", {"1:o:0.000000", "2:o:5"}, UNDECLARED_E},
      {"", "2x=5", {"0:o:2", "1:n:x", "2:=:", "3:o:5"}, ""},
      {"x=0.0000001", "x", {"0:o:0.000000"}, ""},
  };
  for (const ResolveCase& c : cases) {
    CapturedCalculator captured;
    std::string setup = c.setup;
    for (std::size_t start = 0; start < setup.size();) {
      std::size_t end = setup.find('\n', start);
      if (end == std::string::npos) end = setup.size();
      captured.evaluate(setup.substr(start, end - start).c_str());
      start = end + 1;
    }
    WideString line(c.line);
    captured.calculator.tokenize(line);
    captured.calculator.resolveNames();
    EXPECT_EQ(occupiedSlots(captured.calculator), c.slots) << c.line;
    EXPECT_EQ(captured.err.str(), c.errors) << c.line;
  }
}

TEST(NameResolverTest, NameInTheLastSlotIsNotVisited) {
  std::string line;
  for (int i = 0; i < 127; ++i) line += "+";
  line += "x";
  CapturedCalculator captured;
  WideString text(line.c_str());
  ASSERT_TRUE(captured.calculator.tokenize(text));
  captured.calculator.resolveNames();
  EXPECT_EQ(captured.calculator.tokens[127].kind, TOKEN_NAME);
  EXPECT_EQ(captured.err.str(), "");
}

TEST(NameResolverTest, EachUndeclaredOccurrenceReportsOnce) {
  CapturedCalculator captured;
  captured.evaluate("q+q");
  EXPECT_EQ(captured.err.str(),
            "Error: Variable 'q' is undeclared. It is used as 0.0 .\n"
            "Error: Variable 'q' is undeclared. It is used as 0.0 .\n");
}

}  // namespace
