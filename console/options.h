#ifndef ZORVEX_CONSOLE_OPTIONS_H_
#define ZORVEX_CONSOLE_OPTIONS_H_

#include <string>
#include <string_view>
#include <vector>

/// What the command line asks the program to do.
struct Options {
  enum class Action { RUN, HELP, VERSION, USAGE_ERROR };
  Action action = Action::RUN;
  bool quiet = false;                    // -q: no banner, no prompts
  std::vector<std::string> expressions;  // -e, in the order given
  std::vector<std::string> files;        // operands; "-" is standard input
  std::string usageError;                // for USAGE_ERROR: what was wrong
};

/// Reads the command line. Never fails: a command line that cannot be
/// understood gives USAGE_ERROR with the reason.
Options parseOptions(int argc, char* argv[]);

/// Returns the text of --help.
std::string_view usageText();
/// Returns the text of --version.
std::string versionText();

#endif  // ZORVEX_CONSOLE_OPTIONS_H_
