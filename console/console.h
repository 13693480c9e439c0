#ifndef ZORVEX_CONSOLE_CONSOLE_H_
#define ZORVEX_CONSOLE_CONSOLE_H_

#include <string_view>

class LineSource;
class OutputBuffer;

/// The exit statuses of the program.
enum ExitStatus {
  EXIT_OK = 0,
  EXIT_FAILED = 1,            // a read, write, memory or file failure
  EXIT_USAGE = 2,             // the command line could not be understood
  EXIT_EXPRESSION_ERROR = 3,  // an expression of the command line wrote an error line
};

/// How a run presents itself.
struct ConsoleStyle {
  bool banner = true;                    // print the banner first
  std::string_view prompt = "> ";        // shown before each line
  std::string_view resultPrefix = "= ";  // written before each value
  bool errorLinesFail = false;           // any error line makes the status EXIT_EXPRESSION_ERROR
};

/// Runs one whole dialogue: the banner, then for each line of `lines` a
/// command or an evaluation, until EXIT or the end of the lines. Results
/// and screens go to `out`, error lines to `err`. Returns the exit status:
/// EXIT_OK, EXIT_FAILED after reporting on `err` that reading, writing or
/// memory failed (every result computed before is written), or
/// EXIT_EXPRESSION_ERROR when the style asks for it.
int runConsole(LineSource& lines, OutputBuffer& out, OutputBuffer& err,
               const ConsoleStyle& style = {});

#endif  // ZORVEX_CONSOLE_CONSOLE_H_
