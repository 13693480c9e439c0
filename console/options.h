#ifndef ZORVEX_CONSOLE_OPTIONS_H_
#define ZORVEX_CONSOLE_OPTIONS_H_

#include <string>
#include <string_view>
#include <vector>

/// Why a command line cannot be run.
struct UsageError {
  enum class Kind {
    UNKNOWN_OPTION,          // an option the program does not have
    MISSING_ARGUMENT,        // an option without the argument it needs
    UNWANTED_VALUE,          // a long option that takes none given a value
    EXPRESSIONS_WITH_FILES,  // -e and FILE operands together
  };
  Kind kind = Kind::UNKNOWN_OPTION;
  std::string option;  // the option as the user wrote it, for the first three
};

/// What the command line asks the program to do.
struct Options {
  enum class Action { RUN, HELP, VERSION, USAGE_ERROR };
  Action action = Action::RUN;
  bool quiet = false;                    // -q: no banner, no prompts
  std::vector<std::string> expressions;  // -e, in the order given
  std::vector<std::string> files;        // operands; "-" is standard input
  UsageError usageError;                 // for USAGE_ERROR: what was wrong
};

/// Reads the command line. Never fails: a command line that cannot be
/// understood gives USAGE_ERROR with what was wrong, for the caller to
/// report.
Options parseOptions(int argc, char* argv[]);

/// Returns the text of --help.
std::string_view usageText();
/// Returns the text of --version.
std::string versionText();

#endif  // ZORVEX_CONSOLE_OPTIONS_H_
