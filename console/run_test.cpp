#include "console/run.h"

#include <gtest/gtest.h>

#include "console/options.h"

namespace {

TEST(RunTest, ChoosesWhereTheLinesComeFrom) {
  struct Case {
    const char* what;
    std::vector<std::string> expressions;
    std::vector<std::string> files;
    bool atTerminal;
    LineOrigin origin;
  } cases[] = {
      {"expressions before all", {"1+2"}, {"a.txt"}, true, LineOrigin::EXPRESSIONS},
      {"files at a terminal", {}, {"a.txt"}, true, LineOrigin::FILES},
      {"files from a pipe", {}, {"-"}, false, LineOrigin::FILES},
      {"a person at a terminal", {}, {}, true, LineOrigin::TERMINAL},
      {"a pipe or a file", {}, {}, false, LineOrigin::STANDARD_STREAM},
  };
  for (const auto& c : cases) {
    Options options;
    options.expressions = c.expressions;
    options.files = c.files;
    EXPECT_EQ(lineOrigin(options, c.atTerminal), c.origin) << c.what;
  }
}

}  // namespace
