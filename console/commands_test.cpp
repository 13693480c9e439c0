#include "console/commands.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(CommandsTest, ACommandIsTheWholeLineInAnyCase) {
  struct Case {
    std::string line;
    std::optional<Command> command;
  } cases[] = {
      {"exit", Command::EXIT},
      {"EXIT", Command::EXIT},
      {"eXiT", Command::EXIT},
      {"help", Command::HELP},
      {"ShowVars", Command::SHOWVARS},
      {"SHOWFUNCS", Command::SHOWFUNCS},
      {"", std::nullopt},
      {"exi", std::nullopt},
      {"exits", std::nullopt},
      {"exit ", std::nullopt},  // blanks are part of the line
      {" help", std::nullopt},
      {"show vars", std::nullopt},
      {std::string("exit\0", 5), std::nullopt},
      {"\xC5xit", std::nullopt},  // a byte whose low bits would make a letter
  };
  for (const Case& c : cases) {
    const WideString line = WideString::fromBytes(c.line.data(), c.line.size());
    EXPECT_EQ(findCommand(line), c.command) << c.line;
  }
}

TEST(CommandsTest, EveryWordIsFoundAsItIsListed) {
  ASSERT_EQ(commandWords().size(), 4u);
  for (const CommandWord& word : commandWords()) {
    const WideString line = WideString::fromBytes(word.word.data(), word.word.size());
    EXPECT_EQ(findCommand(line), word.command) << word.word;
  }
}

}  // namespace
