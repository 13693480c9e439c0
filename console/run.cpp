#include "console/run.h"

#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

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

/// The expressions of the command line, each value alone on its line.
int runExpressions(const Options& options, OutputBuffer& out, OutputBuffer& err) {
  ExpressionLineSource lines(options.expressions);
  return runConsole(lines, out, err, {false, "", "", true});
}

/// Reads the FILE operands in order as one input, as a quiet run does; a
/// file that cannot be opened or read is reported and passed over.
int runFiles(const Options& options, OutputBuffer& out, OutputBuffer& err) {
  InputFiles files(options.files);
  bool anyFailed = false;
  const auto fail = [&err, &anyFailed](const std::string& failure) {
    reportFailure(err, failure);
    anyFailed = true;
  };
  FdInputBuffer input(InputFile{-1, "", false}, [&files, &fail]() -> std::optional<InputFile> {
    while (std::optional<OpenedFile> opened = files.next()) {
      if (opened->failure.empty()) {
        return std::move(opened->file);
      }
      fail(opened->failure);
    }
    return std::nullopt;
  });
  input.goOnAfterFailure(fail);
  StreamLineSource lines(input, out);
  const int status = runConsole(lines, out, err, {false, "", "= ", false});
  return status == EXIT_OK && anyFailed ? EXIT_FAILED : status;
}

/// Reports the history's first problem, once it has met one.
void reportHistoryFailure(HistoryFile& history, OutputBuffer& err) {
  if (const std::string failure = history.takeFailure(); !failure.empty()) {
    reportFailure(err, failure);
  }
}

/// The dialogue a person types at a terminal: edited, with a lasting
/// history, when libedit can be loaded; read plainly otherwise. Either way
/// Ctrl-C gives up the line typed and the session goes on.
int runTerminal(FdInputBuffer& input, OutputBuffer& out, OutputBuffer& err,
                const ConsoleStyle& style) {
  // Declared before the editor, so that it ends after it: the handlers go
  // only once the editor has handed the terminal back in its own modes.
  TerminalSignals signals(STDIN_FILENO);
  TerminalLineEditor terminal = makeTerminalLineEditor();
  if (terminal.editor == nullptr) {
    if (terminal.failure.kind != EditorLoadFailure::Kind::NONE) {
      reportFailure(err, lineEditingFailure(terminal.failure));
    }
    input.stopOnInterrupt(&takeInterrupt);
    StreamLineSource lines(input, out, /*terminal=*/true);
    return runConsole(lines, out, err, style);
  }
  LineEditor& editor = *terminal.editor;
  signals.catchEditorSignals();
  editor.stopThrough(&signals);
  HistoryFile history(HistoryFile::pathFromEnvironment());
  for (const std::string& line : history.load()) {
    editor.addHistory(line);
  }
  reportHistoryFailure(history, err);
  editor.onEntered([&history, &err](std::string_view line) {
    history.append(line);
    reportHistoryFailure(history, err);
  });
  EditorLineSource lines(editor, out);
  return runConsole(lines, out, err, style);
}

}  // namespace

LineOrigin lineOrigin(const Options& options, bool atTerminal) {
  if (!options.expressions.empty()) {
    return LineOrigin::EXPRESSIONS;
  }
  if (!options.files.empty()) {
    return LineOrigin::FILES;
  }
  return atTerminal ? LineOrigin::TERMINAL : LineOrigin::STANDARD_STREAM;
}

int runSession(const Options& options, OutputBuffer& out, OutputBuffer& err) {
  const LineOrigin origin = lineOrigin(options, atTerminal());
  if (origin == LineOrigin::EXPRESSIONS) {
    return runExpressions(options, out, err);
  }
  if (origin == LineOrigin::FILES) {
    return runFiles(options, out, err);
  }
  const OwnOutput ownOutput = ownOutputOf(STDIN_FILENO);
  if (ownOutput == OwnOutput::LEFT_TO_READ) {
    reportFailure(err, inputIsOutputFailure(""));
    return EXIT_FAILED;
  }
  ConsoleStyle style;
  if (options.quiet) {
    style.banner = false;
    style.prompt = "";
  }
  // The output file as input, read to its end ("zorvex <f >f" on an empty
  // f), has nothing of its own left: all it would give is what the run
  // writes, its banner and answers, read back without end. It ends here.
  FdInputBuffer input(
      InputFile{ownOutput == OwnOutput::READ_TO_END ? -1 : STDIN_FILENO, "", false});
  // Only a person at a terminal edits lines, interrupts them and keeps a
  // history; a pipe or a file gets the plain dialogue, byte for byte, and
  // pays nothing for what it does not use.
  if (origin == LineOrigin::TERMINAL) {
    return runTerminal(input, out, err, style);
  }
  StreamLineSource lines(input, out);
  return runConsole(lines, out, err, style);
}
