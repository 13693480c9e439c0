#include "text/wide_string.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string bytesOf(const WideString& text) {
  std::ostringstream out;
  text.writeTo(out);
  return out.str();
}

WideString readOne(std::istream& in) {
  WideString line("stale");
  readLine(in, line);
  return line;
}

TEST(WideStringTest, EmptyFormsBehaveAlike) {
  WideString none;
  WideString fromEmpty("");
  EXPECT_EQ(none.length(), 0);
  EXPECT_EQ(fromEmpty.length(), 0);
  EXPECT_EQ(none.capacity(), 0);
  EXPECT_EQ(fromEmpty.capacity(), 1);
  EXPECT_TRUE(none.equals(fromEmpty));
  EXPECT_EQ(bytesOf(none), "");
  EXPECT_EQ(fromEmpty.toNumber(), 0.0);
  EXPECT_EQ(none.at(0), 0);
}

TEST(WideStringTest, AtOutsideTheTextReadsZero) {
  WideString text("abc");
  EXPECT_EQ(text.at(-1), 0);
  EXPECT_EQ(text.at(3), 0);
  EXPECT_EQ(text.at(1), u'b');
  EXPECT_TRUE(text.equals(WideString("abc")));
}

TEST(WideStringTest, BytesAreSignExtendedAndWrittenBackAsLowBytes) {
  WideString fromChar(static_cast<char>(0xE9));
  EXPECT_EQ(fromChar.at(0), 0xFFE9);
  EXPECT_EQ(bytesOf(fromChar), "\xE9");
  WideString fromUnit(static_cast<char16_t>(0x00E9));
  EXPECT_EQ(fromUnit.at(0), 0x00E9);
  EXPECT_FALSE(fromChar.equals(fromUnit));
  const char raw[] = {'a', '\0', static_cast<char>(0x80), 'z'};
  WideString withZero = WideString::fromBytes(raw, sizeof raw);
  EXPECT_EQ(withZero.length(), 4);
  EXPECT_EQ(withZero.at(2), 0xFF80);
  EXPECT_EQ(bytesOf(withZero), std::string(raw, sizeof raw));
}

TEST(WideStringTest, NumberText) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {3.0, "3.000000"},         {0.5, "0.500000"},
      {-3.0, "-3.000000"},       {2.0 / 3.0, "0.666667"},
      {1.0 / 3.0, "0.333333"},   {-2.5, "-2.500000"},
      {-0.0000004, "-0.000000"}, {1e20, "100000000000000000000.000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytesOf(WideString(c.value)), c.text) << c.value;
  }
  // Huge values keep every integer digit, so they survive the round trip.
  WideString huge(1e300);
  EXPECT_EQ(huge.length(), 301 + 7);
  EXPECT_EQ(huge.toNumber(), 1e300);
}

TEST(WideStringTest, ToNumber) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"12.5.3", 12.5}, {".", 0.0},     {"", 0.0},      {"-3.000000", -3.0}, {"007", 7.0},
      {"1.5x", 1.5},    {"  42", 42.0}, {"+2", 2.0},    {"1e3", 1000.0},     {"1e", 1.0},
      {"abc", 0.0},     {"-", 0.0},     {"0x10", 16.0}, {"-.5", -0.5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideString(c.text).toNumber(), c.value) << c.text;
  }
  EXPECT_TRUE(std::isinf(WideString("inf").toNumber()));
  EXPECT_TRUE(std::isnan(WideString("-nan").toNumber()));
  EXPECT_TRUE(std::signbit(WideString("-nan").toNumber()));
}

TEST(WideStringTest, Substring) {
  struct Case {
    const char* text;
    int from;
    int to;
    const char* expected;
  } cases[] = {
      {"abcdef", 1, 3, "bc"}, {"abcdef", 2, -1, "cdef"}, {"abcdef", 2, 2, ""},
      {"abcdef", 3, 1, ""},   {"abc", 0, 4, ""},         {"abc", -1, 2, ""},
      {"abc", 0, -1, "abc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytesOf(WideString(c.text).substring(c.from, c.to)), c.expected)
        << c.text << " " << c.from << " " << c.to;
  }
}

TEST(WideStringTest, InsertAndErase) {
  struct Case {
    const char* text;
    bool insert;
    int position;
    const char* expected;
  } cases[] = {
      {"abc", true, 0, "Xabc"},  {"abc", true, 3, "abcX"}, {"", true, 0, "X"},
      {"abc", true, 1, "aXbc"},  {"abc", false, 1, "ac"},  {"abc", false, 3, "abc"},
      {"abc", false, -1, "abc"},
  };
  for (const Case& c : cases) {
    WideString text(c.text);
    if (c.insert) {
      text.insertAt(c.position, WideString("X"));
    } else {
      text.eraseAt(c.position);
    }
    EXPECT_EQ(bytesOf(text), c.expected) << c.text << " " << c.position;
  }
}

TEST(WideStringTest, AppendAndConcat) {
  WideString ab("ab");
  ab.append(WideString(""));
  EXPECT_EQ(bytesOf(ab), "ab");
  WideString empty;
  empty.append(WideString("cd"));
  EXPECT_EQ(bytesOf(empty), "cd");
  ab.append(WideString("cd"));
  EXPECT_EQ(bytesOf(ab), "abcd");
  EXPECT_EQ(ab.capacity(), 5);
  ab.append(ab);
  EXPECT_EQ(bytesOf(ab), "abcdabcd");
  WideString left("x");
  WideString joined = left.concat(WideString("y"));
  EXPECT_EQ(bytesOf(joined), "xy");
  EXPECT_EQ(bytesOf(left), "x");
}

TEST(WideStringTest, ReplaceAllRescans) {
  struct Case {
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* expected;
  } cases[] = {
      {"a{b{{c", "{", "(", "a(b((c"}, {"aab", "ab", "b", "b"}, {"++-", "+-", "-", "-"},
      {"xyz", "q", "r", "xyz"},       {"abab", "ab", "", ""},
  };
  for (const Case& c : cases) {
    WideString text(c.text);
    text.replaceAll(WideString(c.pattern), WideString(c.replacement));
    EXPECT_EQ(bytesOf(text), c.expected) << c.text;
  }
}

TEST(WideStringTest, RemoveAllRescans) {
  struct Case {
    const char* text;
    const char* pattern;
    int start;
    const char* expected;
  } cases[] = {
      {"p  q\t r", " ", 0, "pq\tr"},
      {"aabb", "ab", 0, ""},
      {"ab", "", 0, "ab"},
      {"a a a", " ", 2, "a aa"},
      {"xaabb", "ab", 2, "x"},  // a removal may step back before the
                                // start
      {"ab", "ab", 1, "ab"},
  };
  for (const Case& c : cases) {
    WideString text(c.text);
    text.removeAll(WideString(c.pattern), c.start);
    EXPECT_EQ(bytesOf(text), c.expected) << c.text;
  }
}

TEST(WideStringTest, CaseFoldingTouchesOnlyAsciiLetters) {
  WideString upper("showVars1");
  upper.toUpper();
  EXPECT_EQ(bytesOf(upper), "SHOWVARS1");
  WideString lower("Pi[X]");
  lower.toLower();
  EXPECT_EQ(bytesOf(lower), "pi[x]");
  WideString high(static_cast<char>(0xE9));
  high.toUpper();
  EXPECT_EQ(high.at(0), 0xFFE9);
}

TEST(WideStringTest, Equals) {
  EXPECT_FALSE(WideString("EXIT").equals(WideString("EXIT ")));
  EXPECT_FALSE(WideString("exit").equals(WideString("EXIT")));
  EXPECT_TRUE(WideString("EXIT").equals(WideString("EXIT")));
}

TEST(WideStringTest, ReadLine) {
  std::istringstream in("  12 + 3\n\nlast\r\nx\ry\r\nend");
  WideString first = readOne(in);
  EXPECT_EQ(first.length(), 8);
  EXPECT_EQ(bytesOf(first), "  12 + 3");
  EXPECT_EQ(readOne(in).length(), 0);
  EXPECT_EQ(bytesOf(readOne(in)), "last");  // CR before LF dropped
  EXPECT_EQ(bytesOf(readOne(in)), "x\ry");  // CR inside stays
  EXPECT_EQ(bytesOf(readOne(in)), "end");
  EXPECT_FALSE(in.fail());
  WideString after("stale");
  EXPECT_TRUE(readLine(in, after).fail());
  EXPECT_EQ(after.length(), 0);
}

TEST(WideStringTest, ReadLineDropsCarriageReturnOfFinalLine) {
  std::istringstream in("2*3\r");
  EXPECT_EQ(bytesOf(readOne(in)), "2*3");
}

}  // namespace

namespace {

// A string written from a number remembers its value and may put off
// writing its text; every way of changing the text must make both the
// text and its value those of the new text.
TEST(WideStringTest, ChangedTextIsReadAgain) {
  struct Case {
    const char* name;
    void (*change)(WideString&);
    const char* expected;
  } cases[] = {
      {"write through at", [](WideString& s) { s.at(0) = u'2'; }, "2.500000"},
      {"append", [](WideString& s) { s.append(WideString("5")); }, "1.5000005"},
      {"append unit", [](WideString& s) { s.appendUnit(u'7'); }, "1.5000007"},
      {"append bytes", [](WideString& s) { s.appendBytes("e2", 2); }, "1.500000e2"},
      {"erase", [](WideString& s) { s.eraseAt(0); }, ".500000"},
      {"insert", [](WideString& s) { s.insertAt(0, WideString("-")); }, "-1.500000"},
      {"keep range", [](WideString& s) { s.keepRange(2, 4); }, "50"},
      {"replace", [](WideString& s) { s.replaceAll(WideString('1'), WideString('3')); },
       "3.500000"},
      {"remove", [](WideString& s) { s.removeAll(WideString('1'), 0); }, ".500000"},
      {"upper", [](WideString& s) { s.toUpper(); }, "1.500000"},
      {"lower", [](WideString& s) { s.toLower(); }, "1.500000"},
      {"assign", [](WideString& s) { s.assign(WideString("4")); }, "4"},
      {"copy", [](WideString& s) { s = WideString("4.5"); }, "4.5"},
      {"move",
       [](WideString& s) {
         WideString other("-8");
         s = std::move(other);
       },
       "-8"},
      {"clear", [](WideString& s) { s.clear(); }, ""},
      {"bytes", [](WideString& s) { s.assignBytes("8", 1); }, "8"},
      {"units", [](WideString& s) { s.assignUnits(u"9.25"); }, "9.25"},
      {"rewrite",
       [](WideString& s) {
         s.rewriteUnits([](char16_t u) -> int { return u == u'1' ? u'6' : u; });
       },
       "6.500000"},
      {"rewrite dropping",
       [](WideString& s) {
         s.rewriteUnits([](char16_t u) -> int { return u == u'0' ? WideString::NO_UNIT : u; }, u'0',
                        [](uint64_t) { return false; });
       },
       "1.5"},
  };
  for (const Case& c : cases) {
    WideString text(1.5);
    EXPECT_EQ(text.toNumber(), 1.5);
    c.change(text);
    EXPECT_EQ(bytesOf(text), c.expected) << c.name;
    EXPECT_EQ(text.toNumber(), std::strtod(c.expected, nullptr)) << c.name;
  }
  WideString source(2.25);
  WideString copy(source);
  EXPECT_EQ(copy.toNumber(), 2.25);
  WideString moved(std::move(copy));
  EXPECT_EQ(moved.toNumber(), 2.25);
  EXPECT_EQ(copy.toNumber(), 0.0);
}

TEST(WideStringTest, UnitsBeyondOneByteReadByTheirLowByte) {
  WideString text("1");
  text.appendUnit(static_cast<char16_t>(0x0135));  // low byte '5'
  EXPECT_EQ(text.toNumber(), 15.0);
  WideString minus(static_cast<char16_t>(0x012D));  // low byte '-'
  minus.appendUnit(u'2');
  EXPECT_EQ(minus.toNumber(), -2.0);
}

}  // namespace

namespace {

// Every reader of lines (streams, the line editor, the history file) takes
// the line end off the same way: a line feed, with the carriage return
// before it, or a carriage return alone; nothing inside the line.
TEST(WideStringTest, WithoutLineEndTakesOffOneLineEnd) {
  struct Case {
    std::string_view bytes;
    std::string_view line;
  } cases[] = {
      {"1+2\n", "1+2"}, {"1+2\r\n", "1+2"}, {"1+2\r", "1+2"}, {"1+2", "1+2"}, {"\r\n", ""},
      {"", ""},         {"1\r\r\n", "1\r"}, {"1\n\n", "1\n"}, {"\n\r", "\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(withoutLineEnd(c.bytes), c.line) << c.bytes.size();
  }
}

// Lines longer than any buffer the reader starts with, and lines that end
// exactly where a buffer would fill, arrive whole.
TEST(WideStringTest, ReadLineOfAnyLength) {
  for (std::size_t length : {4094u, 4095u, 4096u, 4097u, 8191u, 65534u, 65535u, 65536u, 100000u}) {
    std::string input(length, 'x');
    input += "\n";
    input += std::string(length, 'y');  // a last line without a line feed
    std::istringstream in(input);
    WideString line;
    ASSERT_FALSE(readLine(in, line).fail()) << length;
    EXPECT_EQ(line.length(), static_cast<int>(length));
    EXPECT_EQ(line.at(static_cast<int>(length) - 1), u'x');
    ASSERT_FALSE(readLine(in, line).fail()) << length;
    EXPECT_EQ(line.length(), static_cast<int>(length));
    EXPECT_EQ(line.at(0), u'y');
    EXPECT_TRUE(readLine(in, line).fail());
    // A carriage return before the line feed goes, wherever it falls.
    std::istringstream crlf(std::string(length - 1, 'z') + "\r\nw");
    ASSERT_FALSE(readLine(crlf, line).fail()) << length;
    EXPECT_EQ(line.length(), static_cast<int>(length) - 1);
    EXPECT_EQ(line.at(static_cast<int>(length) - 2), u'z');
    ASSERT_FALSE(readLine(crlf, line).fail()) << length;
    EXPECT_EQ(bytesOf(line), "w");
  }
}

}  // namespace
