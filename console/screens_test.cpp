#include "console/screens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>

#include "console/console_test_util.h"
#include "engine/function_table.h"

namespace {

TEST(ScreensTest, EachScreenIsTheOneTheDialogueShows) {
  // The expectations are the tests' own copies of the screens, kept apart
  // from the program's tables, blanks at line ends included.
  struct Case {
    void (*print)(std::ostream&);
    std::string expected;
  } cases[] = {
      {printBanner, expectedBanner()},
      {printHelpScreen, expectedScreen("console_help")},
      {printFunctionsScreen, expectedScreen("console_showfuncs")},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.expected.empty());
    std::ostringstream out;
    c.print(out);
    EXPECT_EQ(out.str(), c.expected);
  }
}

TEST(ScreensTest, BannerTemplateKeepsItsFrame) {
  // The banner copy above is a template filled from the project's version;
  // this pins what the template itself must look like.
  const std::string banner = expectedBanner();
  const std::string rule(48, '-');
  EXPECT_EQ(banner.substr(0, 49), rule + "\n");
  EXPECT_EQ(banner.substr(49, 20), "            Zorvex v");
  EXPECT_EQ(banner.substr(banner.size() - 50), rule + "\n\n");
}

TEST(ScreensTest, FunctionsScreenShowsTheFunctionsOfTheLibrary) {
  // The screen writes a function as "name(x)". It leaves out the square
  // root and the long names of the inverse functions; every other function
  // is on it, and it shows no function the library lacks.
  const std::string_view leftOut[] = {"sqrt", "arcsin", "arccos", "arctan"};
  std::ostringstream out;
  printFunctionsScreen(out);
  const std::string screen = out.str();
  for (const FunctionRow& row : functionTable()) {
    const bool shown = screen.find(" " + std::string(row.name) + "(x)") != std::string::npos;
    const bool omitted =
        std::find(std::begin(leftOut), std::end(leftOut), row.name) != std::end(leftOut);
    EXPECT_NE(shown, omitted) << row.name;
  }
  for (std::size_t at = screen.find("(x)"); at != std::string::npos;
       at = screen.find("(x)", at + 1)) {
    std::size_t start = at;
    while (start > 0 && std::isalpha(static_cast<unsigned char>(screen[start - 1]))) --start;
    const std::string name = screen.substr(start, at - start);
    EXPECT_NE(findFunction(std::u16string(name.begin(), name.end()) + u"("), nullptr) << name;
  }
}

}  // namespace
