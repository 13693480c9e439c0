#include "console/completion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const CompletionWords WORDS = {{"exit", "help", "showfuncs", "showvars"},
                               {"sqrt(", "sin(", "asin(", "arcsin(", "x", "xx", "speed"}};

TEST(CompletionTest, CompletesTheWordBeforeTheCursor) {
  struct Case {
    std::string line;
    std::size_t cursor;
    std::size_t start;
    std::vector<std::string> matches;
    std::string insert;
  } cases[] = {
      {"sq", 2, 0, {"sqrt("}, "rt("},
      {"1+sq", 4, 2, {"sqrt("}, "rt("},
      {"SQ", 2, 0, {"sqrt("}, "RT("},
      {"s", 1, 0, {"showfuncs", "showvars", "sin(", "speed", "sqrt("}, ""},
      {"sho", 3, 0, {"showfuncs", "showvars"}, "w"},
      {"  he", 4, 2, {"help"}, "lp"},
      {"2*he", 4, 2, {}, ""},        // a command only begins a line
      {"x", 1, 0, {"x", "xx"}, ""},  // whole already, with a longer one
      {"a", 1, 0, {"arcsin(", "asin("}, ""},
      {"ar+1", 2, 0, {"arcsin("}, "csin("},  // the cursor inside the line
      {"2*", 2, 2, {}, ""},                  // no word: nothing to complete
      {"q", 1, 0, {}, ""},
      {"2sq", 3, 1, {"sqrt("}, "rt("},
  };
  for (const auto& c : cases) {
    const Completion got = complete(c.line, c.cursor, WORDS);
    EXPECT_EQ(got.start, c.start) << c.line;
    EXPECT_EQ(got.matches, c.matches) << c.line;
    EXPECT_EQ(got.insert, c.insert) << c.line;
  }
}

TEST(CompletionTest, TakesTabsAsBlanksAndOffersEachWordOnce) {
  // A variable may bear the name of a command: both lists then hold it.
  const CompletionWords both = {{"exit", "help"}, {"exit", "ex", "sin("}};
  struct Case {
    std::string line;
    std::vector<std::string> matches;
    std::string insert;
  } cases[] = {
      {"\the", {"help"}, "lp"},      // a tab before the first word
      {" \t he", {"help"}, "lp"},    // blanks and tabs mixed
      {"exi", {"exit"}, "t"},        // in both lists, offered once
      {"\tex", {"ex", "exit"}, ""},  // a command after a tab, and the name
  };
  for (const auto& c : cases) {
    const Completion got = complete(c.line, c.line.size(), both);
    EXPECT_EQ(got.matches, c.matches) << c.line;
    EXPECT_EQ(got.insert, c.insert) << c.line;
  }
}

TEST(CompletionTest, ListsMatchesInColumnsReadDown) {
  const std::vector<std::string> five = {"a", "bb", "ccc", "dd", "e"};
  EXPECT_EQ(listInColumns(five, 80), "a    bb   ccc  dd   e\n");
  EXPECT_EQ(listInColumns(five, 12), "a    dd\nbb   e\nccc\n");
  EXPECT_EQ(listInColumns(five, 3), "a\nbb\nccc\ndd\ne\n");
}

}  // namespace
