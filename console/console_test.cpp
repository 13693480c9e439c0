#include "console/console.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "console/screens.h"

namespace {

struct ConsoleRun {
  std::string out;
  std::string err;
  int status;
};

ConsoleRun runOn(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  int status = runConsole(in, out, err);
  return {out.str(), err.str(), status};
}

std::string banner() {
  std::ostringstream out;
  printBanner(out);
  return out.str();
}

TEST(ConsoleTest, DialogueOverInMemoryStreams) {
  struct Case {
    const char* input;
    const char* out;  // after the banner
    const char* err;
  } cases[] = {
      {"", "> ", ""},
      {"exit\n", "> ", ""},
      {"Exit\n1\n", "> ", ""},
      {"1+2\nexit\n", "> = 3\n> ", ""},
      {"1+2", "> = 3\n> ", ""},
      {"\n", "> = 0\n> ", ""},
      {"1/3\npi\n10/4\n", "> = 0.333333\n> = 3.14159\n> = 2.5\n> ", ""},
      {"x=4\nx*2\n", "> = 4\n> = 8\n> ", ""},
      {"exit \n", "> = 0\n> ", "Error: Variable 'exit' is undeclared. It is used as 0.0 .\n"},
      {"  help\n", "> = 0\n> ", "Error: Variable 'help' is undeclared. It is used as 0.0 .\n"},
      {"showvars\n", "> \n\t\t0\npi\t\t3.14159\nrad\t\t0\n\n> ", ""},
      {"x=0.0000001\nshowvars\n", "> = 0\n> \n\t\t0\npi\t\t3.14159\nrad\t\t0\nx\t\t1e-07\n\n> ", ""},
      {"10^400\n-(10^400)\n", "> = inf\n> = -inf\n> ", ""},
      {"1e20*10\n", "> = 0\n> ", "Error: Variable 'e' is undeclared. It is used as 0.0 .\n"},
      {"100000000000000000000*10\n", "> = 1e+21\n> ", ""},
  };
  for (const auto& c : cases) {
    ConsoleRun run = runOn(c.input);
    EXPECT_EQ(run.out, banner() + c.out) << c.input;
    EXPECT_EQ(run.err, c.err) << c.input;
    EXPECT_EQ(run.status, 0) << c.input;
  }
}

TEST(ConsoleTest, CommandsPrintScreensAndNoResult) {
  std::ostringstream help;
  printHelpScreen(help);
  std::ostringstream functions;
  printFunctionsScreen(functions);
  ConsoleRun run = runOn("help\nSHOWFUNCS\nexit\n");
  EXPECT_EQ(run.out, banner() + "> " + help.str() + "> " + functions.str() + "> ");
}

}  // namespace
