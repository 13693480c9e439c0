#include <unistd.h>

#include <memory>

#include "console/console.h"
#include "console/fd_streams.h"
#include "console/line_editor.h"
#include "console/line_sources.h"

int main() {
  // On a terminal every line is written as soon as it is complete; into a
  // pipe or file the output is gathered and written when the program is
  // about to wait for input, before an error line, and at exit, which no
  // reader can tell apart from writing every line at once.
  FdInputBuffer input(InputFile{STDIN_FILENO, "", false});
  FdOutputBuffer out(STDOUT_FILENO, /*deferred=*/isatty(STDOUT_FILENO) == 0);
  FdOutputBuffer err(STDERR_FILENO, /*deferred=*/false, 1024);
  err.pushFirst(&out);

  // Declared after the buffers so that it is ended first, handing the
  // terminal back in its own settings before the last output is written.
  std::unique_ptr<LineEditor> editor = makeTerminalLineEditor();
  if (editor != nullptr) {
    EditorLineSource lines(*editor, out);
    return runConsole(lines, out, err);
  }
  StreamLineSource lines(input, out);
  return runConsole(lines, out, err);
}
