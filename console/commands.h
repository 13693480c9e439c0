#ifndef ZORVEX_CONSOLE_COMMANDS_H_
#define ZORVEX_CONSOLE_COMMANDS_H_

#include <optional>
#include <span>
#include <string_view>

#include "text/wide_string.h"

/// What a command word of the dialogue does.
enum class Command { EXIT, HELP, SHOWVARS, SHOWFUNCS };

/// One command word: as the help screen spells it (lower case) and what it does.
struct CommandWord {
  std::string_view word;
  Command command;
};

/// Returns every command word of the dialogue, in alphabetical order: the
/// one list the dialogue and Tab completion both read.
std::span<const CommandWord> commandWords();

/// Returns the command that `line` is, in any letter case and nothing else
/// around it, or nothing when it is none.
std::optional<Command> findCommand(const WideString& line);

#endif  // ZORVEX_CONSOLE_COMMANDS_H_
