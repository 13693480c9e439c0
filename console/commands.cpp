#include "console/commands.h"

namespace {

constexpr CommandWord COMMANDS[] = {
    {"exit", Command::EXIT},
    {"help", Command::HELP},
    {"showfuncs", Command::SHOWFUNCS},
    {"showvars", Command::SHOWVARS},
};

/// Returns true when `units` spell `word` with letters in any case.
bool spells(std::u16string_view units, std::string_view word) {
  if (units.size() != word.size()) {
    return false;
  }
  for (std::size_t i = 0; i < word.size(); ++i) {
    char16_t unit = units[i];
    if (unit >= u'A' && unit <= u'Z') {
      unit = static_cast<char16_t>(unit - u'A' + u'a');
    }
    if (unit != static_cast<char16_t>(word[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::span<const CommandWord> commandWords() { return COMMANDS; }

std::optional<Command> findCommand(const WideString& line) {
  const std::u16string_view units = line.view();
  for (const CommandWord& command : COMMANDS) {
    if (spells(units, command.word)) {
      return command.command;
    }
  }
  return std::nullopt;
}
