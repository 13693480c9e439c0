#ifndef ZORVEX_CONSOLE_CONSOLE_H_
#define ZORVEX_CONSOLE_CONSOLE_H_

#include <iosfwd>

class LineEditor;

/// Runs one whole dialogue: the banner, then prompt, read, command or
/// evaluation, until EXIT or the end of `in`. Results and screens go to
/// `out`, error lines to `err`. Returns the exit status: 0, or 1 after
/// reporting on `err` that `out` could not be written. With an `editor`,
/// lines come from it instead of `in`, and it shows the prompt itself.
int runConsole(std::istream& in, std::ostream& out, std::ostream& err,
               LineEditor* editor = nullptr);

#endif  // ZORVEX_CONSOLE_CONSOLE_H_
