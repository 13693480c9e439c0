#include "console/screens.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

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
  // The screen writes a function as "name(x)": these, in this order, and
  // no other. It leaves out the square root and the long names of the
  // inverse functions. Each is a function the library evaluates.
  const std::vector<std::string> shown = {"sin", "cos", "tan", "cot", "asin", "acos", "atan"};
  std::ostringstream out;
  printFunctionsScreen(out);
  const std::string screen = out.str();
  std::vector<std::string> found;
  for (std::size_t at = screen.find("(x)"); at != std::string::npos;
       at = screen.find("(x)", at + 1)) {
    std::size_t start = at;
    while (start > 0 && std::isalpha(static_cast<unsigned char>(screen[start - 1]))) --start;
    found.push_back(screen.substr(start, at - start));
  }
  EXPECT_EQ(found, shown);
  for (const std::string& name : shown) {
    EXPECT_NE(findFunction(std::u16string(name.begin(), name.end()) + u"("), nullptr) << name;
  }
}

}  // namespace
