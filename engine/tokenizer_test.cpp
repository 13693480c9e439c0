#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_test_util.h"

namespace {

using Slots = std::vector<std::string>;

struct TokenizeCase {
  const char* line;
  Slots slots;
};

TEST(TokenizerTest, CutsLinesIntoSlots) {
  const TokenizeCase cases[] = {
      {"(5*89)+2^2", {"0:(:", "1:o:5", "2:*:", "3:o:89", "4:):", "5:+:", "6:o:2", "7:^:", "8:o:2"}},
      {"var={[67+(5+1)]-89}*pi",
       {"0:n:var", "1:=:", "2:(:", "3:(:", "4:o:67", "5:+:", "6:(:", "7:o:5", "8:+:", "9:o:1",
        "10:):", "11:):", "12:-:", "13:o:89", "14:):", "15:*:", "16:n:pi"}},
      {"2pi", {"0:o:2", "1:n:pi"}},
      {"2 PI", {"0:o:2", "1:n:pi"}},
      {"sin(90)*cos(90)",
       {"0:n:sin", "1:(:", "2:o:90", "3:):", "4:*:", "5:n:cos", "6:(:", "7:o:90", "8:):"}},
      {"|-8*56|/(56^6-789)",
       {"0:|:", "1:-:", "2:o:8", "3:*:", "4:o:56", "5:|:", "6:/:", "7:(:", "8:o:56",
        "9:^:", "10:o:6", "11:-:", "12:o:789", "13:):"}},
      {"", {}},
      {" \t \t", {}},
      {"3 + 4", {"0:o:3", "1:+:", "2:o:4"}},
      {"1 000", {"0:o:1000"}},
      {"s i n(90)", {"0:n:sin", "1:(:", "2:o:90", "3:):"}},
      {"PI", {"0:n:pi"}},
      {"{1+2}", {"0:(:", "1:o:1", "2:+:", "3:o:2", "4:):"}},
      {"[1+2]", {"0:(:", "1:o:1", "2:+:", "3:o:2", "4:):"}},
      {"1.5.2", {"0:o:1.5.2"}},
      {".", {"0:o:."}},
      {"1e5", {"0:o:1", "1:n:e", "2:o:5"}},
      {"1,5", {"0:o:1", "1:,:", "2:o:5"}},
      {"--5", {"0:-:", "1:-:", "2:o:5"}},
      {"x2y", {"0:n:x", "1:o:2", "2:n:y"}},
  };
  for (const TokenizeCase& c : cases) {
    CapturedCalculator captured;
    WideString line(c.line);
    EXPECT_TRUE(captured.calculator.tokenize(line)) << c.line;
    EXPECT_EQ(occupiedSlots(captured.calculator), c.slots) << c.line;
    EXPECT_EQ(captured.calculator.tokenCount, MAX_TOKENS);
  }
}

TEST(TokenizerTest, NormalisesTheLineInPlace) {
  CapturedCalculator captured;
  WideString line(" Var = {[ 1 ]}\t");
  captured.calculator.tokenize(line);
  std::ostringstream text;
  line.writeTo(text);
  EXPECT_EQ(text.str(), "var=((1))");

  // Each unit that changes, at each place in a line of twenty, so that it
  // falls at every place of a block of four or eight and in the tails;
  // normalised in place and straight from the bytes.
  const struct {
    char unit;
    const char* becomes;
  } changes[] = {{'A', "a"}, {'Z', "z"}, {' ', ""},  {'\t', ""},       {'{', "("},
                 {'[', "("}, {'}', ")"}, {']', ")"}, {'\x80', "\x80"}, {'\xFF', "\xFF"}};
  constexpr int LENGTH = 20;
  for (const auto& change : changes) {
    for (int at = 0; at < LENGTH; ++at) {
      std::string raw(LENGTH, 'x');
      raw[at] = change.unit;
      const std::string expected =
          std::string(at, 'x') + change.becomes + std::string(LENGTH - 1 - at, 'x');
      const WideString wanted = WideString::fromBytes(expected.data(), expected.size());
      WideString changed = WideString::fromBytes(raw.data(), raw.size());
      captured.calculator.tokenize(changed);
      EXPECT_TRUE(changed.equals(wanted)) << static_cast<int>(change.unit) << " at " << at;
      WideString fromBytes("stale");
      Calculator::normalizeBytes(raw, fromBytes);
      EXPECT_TRUE(fromBytes.equals(wanted)) << static_cast<int>(change.unit) << " at " << at;
    }
  }
  // Runs of blanks of every length around a block of eight, from the bytes.
  for (int blanks = 0; blanks <= 17; ++blanks) {
    const std::string raw = std::string(blanks, ' ') + "Ab" + std::string(blanks, '\t');
    WideString line;
    Calculator::normalizeBytes(raw, line);
    EXPECT_TRUE(line.equals(WideString("ab"))) << blanks;
    Calculator::normalizeBytes(std::string(blanks, ' '), line);
    EXPECT_EQ(line.length(), 0) << blanks;
  }
}

TEST(TokenizerTest, ZeroUnitTakesASlotAsAnEmptyToken) {
  CapturedCalculator captured;
  const char raw[] = {'1', '2', '\0', '3'};
  WideString line = WideString::fromBytes(raw, sizeof raw);
  captured.calculator.tokenize(line);
  EXPECT_EQ(occupiedSlots(captured.calculator), (Slots{"0:o:12", "2:o:3"}));
}

TEST(TokenizerTest, HighBytesBecomeTheirOwnKinds) {
  CapturedCalculator captured;
  const char raw[] = {'a', static_cast<char>(0xE9), 'b'};
  WideString line = WideString::fromBytes(raw, sizeof raw);
  captured.calculator.tokenize(line);
  EXPECT_EQ(captured.calculator.tokens[0].kind, TOKEN_NAME);
  EXPECT_EQ(captured.calculator.tokens[1].kind, 0xFFE9);
  EXPECT_EQ(captured.calculator.tokens[2].kind, TOKEN_NAME);
}

TEST(TokenizerTest, FillsTheTableToTheLastSlotAndNoFurther) {
  std::string exactly;  // 64 numbers and 64 operators
  for (int i = 0; i < 64; ++i) exactly += "1+";
  CapturedCalculator captured;
  WideString line(exactly.c_str());
  EXPECT_TRUE(captured.calculator.tokenize(line));
  EXPECT_EQ(captured.calculator.tokens[127].kind, '+');

  WideString longer((exactly + "1").c_str());
  EXPECT_FALSE(captured.calculator.tokenize(longer));
  EXPECT_EQ(captured.calculator.tokens[127].kind, '+');
}

TEST(TokenizerTest, ResetsWhatThePreviousLineLeft) {
  CapturedCalculator captured;
  WideString first("1+2+3+4");
  captured.calculator.tokenize(first);
  WideString second("7");
  captured.calculator.tokenize(second);
  EXPECT_EQ(occupiedSlots(captured.calculator), (Slots{"0:o:7"}));
}

// A run of a million units or more moves into its token instead of being
// copied, when it is at least as long as the rest of the line; the line
// keeps what follows it, and the tokens are those of any line.
TEST(TokenizerTest, LongRunsMoveIntoTheirTokens) {
  const std::string digits(std::size_t{1} << 20, '7');
  const std::string letters((std::size_t{1} << 20) + 1, 'Q');
  struct Case {
    std::string line;
    Slots slots;
    std::string rest;
  } cases[] = {
      {"1+" + digits + " * 2", {"0:o:1", "1:+:", "2:o:" + digits, "3:*:", "4:o:2"}, "*2"},
      {digits + "x" + letters, {"0:o:" + digits, "1:n:x" + std::string(letters.size(), 'q')}, ""},
      {"(" + digits.substr(1) + ")",
       {"0:(:", "1:o:" + digits.substr(1), "2:):"},
       "(" + digits.substr(1) + ")"},
  };
  for (const Case& c : cases) {
    CapturedCalculator captured;
    WideString line(c.line.c_str());
    EXPECT_TRUE(captured.calculator.tokenize(line));
    EXPECT_TRUE(occupiedSlots(captured.calculator) == c.slots) << c.line.substr(0, 20);
    std::ostringstream rest;
    line.writeTo(rest);
    EXPECT_TRUE(rest.str() == c.rest) << c.line.substr(0, 20);
  }
}

}  // namespace
