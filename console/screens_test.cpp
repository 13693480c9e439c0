#include "console/screens.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "console/console_test_util.h"

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

}  // namespace
