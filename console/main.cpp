#include <unistd.h>

#include <istream>
#include <memory>
#include <ostream>

#include "console/console.h"
#include "console/fd_streams.h"
#include "console/line_editor.h"

int main() {
  // On a terminal every line is written as soon as it is complete; into a
  // pipe or file the output is gathered and written when the program is
  // about to wait for input, before an error line, and at exit, which no
  // reader can tell apart from writing every line at once.
  FdInputBuffer inBuffer(STDIN_FILENO);
  FdOutputBuffer outBuffer(STDOUT_FILENO, /*deferred=*/isatty(STDOUT_FILENO) == 0);
  FdOutputBuffer errBuffer(STDERR_FILENO, /*deferred=*/false, 1024);
  errBuffer.flushFirst(&outBuffer);

  std::istream in(&inBuffer);
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  // Declared after the buffers so that it is ended first, handing the
  // terminal back in its own settings before the last output is written.
  std::unique_ptr<LineEditor> editor = makeTerminalLineEditor();
  return runConsole(in, out, err, editor.get());
}
