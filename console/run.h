#ifndef ZORVEX_CONSOLE_RUN_H_
#define ZORVEX_CONSOLE_RUN_H_

struct Options;
class OutputBuffer;

/// Where the lines of a run come from.
enum class LineOrigin {
  EXPRESSIONS,      // the -e expressions of the command line
  FILES,            // the FILE operands
  TERMINAL,         // a person at a terminal: edited when libedit can be had
  STANDARD_STREAM,  // standard input as a pipe or a file, read plainly
};

/// Returns where a run with `options` reads its lines, `atTerminal` saying
/// whether standard input and standard output are both terminals.
LineOrigin lineOrigin(const Options& options, bool atTerminal);

/// Runs the dialogue `options` ask for, reading its lines where lineOrigin
/// says, with results on `out` and messages on `err`; at a terminal it owns
/// the run's signals for as long as it runs. Returns the exit status.
int runSession(const Options& options, OutputBuffer& out, OutputBuffer& err);

#endif  // ZORVEX_CONSOLE_RUN_H_
