#include <unistd.h>

#include <memory>
#include <string>

#include "console/console.h"
#include "console/fd_streams.h"
#include "console/history_file.h"
#include "console/input_files.h"
#include "console/interrupts.h"
#include "console/line_editor.h"
#include "console/line_sources.h"
#include "console/messages.h"
#include "console/options.h"

namespace {

/// Writes `text` to `out` and sends it; returns the exit status.
int printText(OutputBuffer& out, OutputBuffer& err, std::string_view text) {
  out.sputn(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out.push()) {
    reportFailure(err, WRITE_ERROR, out.failure());
    return EXIT_FAILED;
  }
  return EXIT_OK;
}

/// Reads the FILE operands in order as one input, as a quiet run does.
int runFiles(const Options& options, OutputBuffer& out, OutputBuffer& err) {
  InputFiles files(options.files, err);
  FdInputBuffer input(InputFile{-1, "", false}, [&files] { return files.next(); });
  StreamLineSource lines(input, out);
  const int status = runConsole(lines, out, err, {false, "", "= ", false});
  return status == EXIT_OK && files.anyFailed() ? EXIT_FAILED : status;
}

/// The dialogue on standard input: edited at a terminal, plain otherwise.
int runStandardInput(const Options& options, OutputBuffer& out, OutputBuffer& err) {
  if (readsOwnOutput(STDIN_FILENO)) {
    reportFailure(err, INPUT_IS_OUTPUT);
    return EXIT_FAILED;
  }
  ConsoleStyle style;
  if (options.quiet) {
    style.banner = false;
    style.prompt = "";
  }
  FdInputBuffer input(InputFile{STDIN_FILENO, "", false});
  // Only a person at a terminal edits lines, interrupts them and keeps a
  // history; a pipe or a file gets the plain dialogue, byte for byte, and
  // pays nothing for what it does not use.
  if (!atTerminal()) {
    StreamLineSource lines(input, out);
    return runConsole(lines, out, err, style);
  }
  catchInterrupts();
  std::string unavailable;
  // Declared after the buffers so that it is ended first, handing the
  // terminal back in its own settings before the last output is written.
  std::unique_ptr<LineEditor> editor = makeTerminalLineEditor(unavailable);
  if (editor == nullptr) {
    if (!unavailable.empty()) {
      reportFailure(err, LINE_EDITING_UNAVAILABLE, unavailable);
    }
    input.stopOnInterrupt(&takeInterrupt);
    StreamLineSource lines(input, out, /*terminal=*/true);
    return runConsole(lines, out, err, style);
  }
  HistoryFile history(HistoryFile::pathFromEnvironment(), err);
  for (const std::string& line : history.load()) {
    editor->addHistory(line);
  }
  editor->onEntered([&history](std::string_view line) { history.append(line); });
  EditorLineSource lines(*editor, out);
  return runConsole(lines, out, err, style);
}

}  // namespace

int main(int argc, char* argv[]) {
  const Options options = parseOptions(argc, argv);

  // On a terminal every line is written as soon as it is complete; into a
  // pipe or file the output is gathered and written when the program is
  // about to wait for input, before an error line, and at exit, which no
  // reader can tell apart from writing every line at once.
  FdOutputBuffer out(STDOUT_FILENO, /*deferred=*/isatty(STDOUT_FILENO) == 0);
  FdOutputBuffer err(STDERR_FILENO, /*deferred=*/false, 1024);
  err.pushFirst(&out);

  switch (options.action) {
    case Options::Action::HELP:
      return printText(out, err, usageText());
    case Options::Action::VERSION:
      return printText(out, err, versionText());
    case Options::Action::USAGE_ERROR:
      reportFailure(err, options.usageError + " (try 'zorvex --help')");
      return EXIT_USAGE;
    case Options::Action::RUN:
      break;
  }
  if (!options.expressions.empty()) {
    ExpressionLineSource lines(options.expressions);
    return runConsole(lines, out, err, {false, "", "", true});
  }
  if (!options.files.empty()) {
    return runFiles(options, out, err);
  }
  return runStandardInput(options, out, err);
}
