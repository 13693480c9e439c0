#ifndef ZORVEX_CONSOLE_LINE_EDITOR_H_
#define ZORVEX_CONSOLE_LINE_EDITOR_H_

#include <cstdio>
#include <memory>

#include "text/wide_string.h"

/// Reads input lines at a terminal with editing and a history of the run.
/// Unlike a plain stream it shows the prompt itself, since it redraws the
/// prompt with the line whenever the line changes.
class LineEditor {
 public:
  virtual ~LineEditor() = default;

  /// Shows `prompt`, lets the user edit one line and fills `line` with it,
  /// without the line end. Returns false at end of input (Ctrl-D on an
  /// empty line, or a terminal that can no longer be read).
  virtual bool readLine(const char* prompt, WideString& line) = 0;
};

/// Returns an editor over the given terminal streams, or nullptr when the
/// program was built without line editing.
std::unique_ptr<LineEditor> makeLineEditor(std::FILE* in, std::FILE* out, std::FILE* err);

/// Returns an editor over the standard streams when both standard input and
/// standard output are terminals and the program was built with line
/// editing; nullptr otherwise, so that pipes and files are read plainly.
std::unique_ptr<LineEditor> makeTerminalLineEditor();

#endif  // ZORVEX_CONSOLE_LINE_EDITOR_H_
