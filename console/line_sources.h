#ifndef ZORVEX_CONSOLE_LINE_SOURCES_H_
#define ZORVEX_CONSOLE_LINE_SOURCES_H_

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "console/console_io.h"

class LineEditor;

/// Lines read from an input buffer (standard input, files, or memory). The
/// prompt is written to the output, and the output gathered so far is
/// pushed whenever no whole line is waiting, so that whoever reads our
/// output sees every answer and the prompt before typing the next line.
class StreamLineSource : public LineSource {
 public:
  /// Reads `input`; `terminal` says that a person types it at a terminal,
  /// where an interrupted read gives up the line typed and shows a fresh
  /// prompt, and the end of input ends the screen line.
  StreamLineSource(InputBuffer& input, OutputBuffer& output, bool terminal = false)
      : input_(input), output_(output), in_(&input), terminal_(terminal) {}

  ReadResult nextLine(std::string_view prompt, WideString& line) override;
  std::string failure() const override { return input_.failure(); }

 private:
  InputBuffer& input_;
  OutputBuffer& output_;
  std::istream in_;
  bool terminal_;
};

/// Lines typed at a terminal through a line editor, which draws the prompt
/// itself; every answer so far is pushed to the screen before it. Tab
/// completes the command words, the function names and the variables.
class EditorLineSource : public LineSource {
 public:
  EditorLineSource(LineEditor& editor, OutputBuffer& output);

  ReadResult nextLine(std::string_view prompt, WideString& line) override;
  std::string failure() const override;
  void follow(const CalculatorSession& session) override { session_ = &session; }

 private:
  LineEditor& editor_;
  OutputBuffer& output_;
  const CalculatorSession* session_ = nullptr;
};

/// The expressions of the command line, one line each, with no prompt.
class ExpressionLineSource : public LineSource {
 public:
  explicit ExpressionLineSource(std::vector<std::string> expressions)
      : expressions_(std::move(expressions)) {}

  ReadResult nextLine(std::string_view prompt, WideString& line) override;

 private:
  std::vector<std::string> expressions_;
  std::size_t next_ = 0;
};

#endif  // ZORVEX_CONSOLE_LINE_SOURCES_H_
