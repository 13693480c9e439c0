#include "console/screens.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ScreensTest, BannerFrameAndFixedLines) {
  std::ostringstream out;
  printBanner(out);
  std::vector<std::string> lines = linesOf(out.str());
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], std::string(48, '-'));
  EXPECT_EQ(lines[1], "            Zorvex v0.5");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3].substr(0, 2).front(), ' ');
  EXPECT_NE(lines[3][1], ' ');
  EXPECT_EQ(lines[4].front(), ' ');
  EXPECT_NE(lines[4][1], ' ');
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], " Type 'help' for a detailed help screen");
  EXPECT_EQ(lines[7], "   It is recommened to take a look at ");
  EXPECT_EQ(lines[8], "   this screen to see the basic funct.");
  EXPECT_EQ(lines[9], " Type 'exit' to close Zorvex");
  EXPECT_EQ(lines[10], std::string(48, '-'));
  EXPECT_EQ(lines[11], "");
}

TEST(ScreensTest, HelpAndFunctionScreensKeepTheirTrailingBlanks) {
  std::ostringstream help;
  printHelpScreen(help);
  std::vector<std::string> lines = linesOf(help.str());
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[4], "    |-8*56|/(56^6-789) ");
  EXPECT_EQ(lines[6], "    var^(-67) ");
  EXPECT_EQ(lines[14], "    | , () , ^ , * , / , + , - , = ");
  EXPECT_EQ(lines[19], "  Predefined and user-defined variables: ");
  EXPECT_EQ(lines[20], "    type 'showvars'     ");
  EXPECT_EQ(lines.front(), "");
  EXPECT_EQ(lines.back(), "");

  std::ostringstream functions;
  printFunctionsScreen(functions);
  lines = linesOf(functions.str());
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[1], "** Zorvex Functions");
  EXPECT_EQ(lines[12], "   sin(pi)");
}

}  // namespace
