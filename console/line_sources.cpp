#include "console/line_sources.h"

#include <istream>
#include <string>

#include "console/commands.h"
#include "console/interrupts.h"
#include "console/line_editor.h"
#include "engine/session.h"

namespace {

/// Ends the screen line the user's end of input left the cursor on, so
/// that whatever the terminal shows next starts on a line of its own.
ReadResult endAtTerminal(OutputBuffer& output) {
  output.sputn("\n", 1);
  output.push();
  return ReadResult::END;
}

}  // namespace

ReadResult StreamLineSource::nextLine(std::string_view prompt, WideString& line) {
  if (terminal_) {
    takeInterrupt();  // one that came before this read is not meant for it
  }
  for (;;) {
    output_.sputn(prompt.data(), static_cast<std::streamsize>(prompt.size()));
    if (const std::optional<std::string_view> waiting = input_.takeBufferedLine()) {
      // A line already read in whole is taken straight from the buffer;
      // readLine below would give the same units.
      const std::string_view bytes = withoutLineEnd(*waiting);
      line.assignBytes(bytes.data(), bytes.size());
      return ReadResult::LINE;
    }
    if (!output_.push()) {
      return ReadResult::END;  // nobody can see our output any more
    }
    const bool gotLine = static_cast<bool>(readLine(in_, line));
    if (input_.failed()) {
      // The line a failure cut short is not evaluated.
      line.clear();
      return ReadResult::FAILED;
    }
    if (input_.takeGivenUp()) {
      // Ctrl-C: the terminal has dropped the line being typed; what part of
      // it had reached us goes too, and the fresh prompt gets its own line.
      // A file that failed part way loses its unfinished line the same way.
      line.clear();
      in_.clear();
      if (terminal_) {
        output_.sputn("\n", 1);
      }
      continue;
    }
    if (gotLine) {
      return ReadResult::LINE;
    }
    return terminal_ ? endAtTerminal(output_) : ReadResult::END;
  }
}

EditorLineSource::EditorLineSource(LineEditor& editor, OutputBuffer& output)
    : editor_(editor), output_(output) {
  editor_.completeFrom([this] {
    // In lower case, as the calculator folds names and the help screen
    // spells the commands.
    CompletionWords words;
    for (const CommandWord& command : commandWords()) {
      words.commands.emplace_back(command.word);
    }
    for (std::string_view function : CalculatorSession::functionNames()) {
      words.names.emplace_back(function);
      words.names.back().push_back('(');
    }
    if (session_ != nullptr) {
      session_->forEachVariable([&words](std::string_view name, double) {
        if (!name.empty()) {
          words.names.emplace_back(name);
        }
        return false;
      });
    }
    return words;
  });
}

ReadResult EditorLineSource::nextLine(std::string_view prompt, WideString& line) {
  if (!output_.push()) {
    return ReadResult::END;
  }
  const ReadResult read = editor_.readEditedLine(std::string(prompt).c_str(), line);
  return read == ReadResult::END ? endAtTerminal(output_) : read;
}

std::string EditorLineSource::failure() const { return editor_.failure(); }

ReadResult ExpressionLineSource::nextLine(std::string_view, WideString& line) {
  if (next_ == expressions_.size()) {
    return ReadResult::END;
  }
  const std::string& expression = expressions_[next_++];
  line.assignBytes(expression.data(), expression.size());
  return ReadResult::LINE;
}
