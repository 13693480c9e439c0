#include "console/console.h"

#include <istream>
#include <ostream>
#include <string>

#include "console/fd_streams.h"
#include "console/line_editor.h"
#include "console/screens.h"
#include "engine/calculator.h"
#include "text/number_text.h"
#include "text/wide_string.h"

namespace {

/// Reports that standard output failed; returns the exit status for it.
int reportWriteFailure(std::ostream& out, std::ostream& err) {
  err << "zorvex: write error: " << writeFailure(out) << '\n';
  err.flush();
  return 1;
}

}  // namespace

int runConsole(std::istream& in, std::ostream& out, std::ostream& err, LineEditor* editor) {
  Calculator calculator(out, err);
  WideString line;
  printBanner(out);

  const WideString exitCommand("EXIT");
  const WideString helpCommand("HELP");
  const WideString showVarsCommand("SHOWVARS");
  const WideString showFuncsCommand("SHOWFUNCS");
  char number[NUMBER_TEXT_CAPACITY + 3];
  const char* const prompt = "> ";

  for (;;) {
    if (editor == nullptr) {
      out << prompt;
      if (!lineWaiting(in)) {
        // About to wait for input: whoever reads our output must see the
        // prompt and every answer so far before typing the next line.
        pushOutput(out);
      }
    } else {
      // The editor draws the prompt straight on the terminal, so every
      // answer so far must be on the screen before it.
      pushOutput(out);
    }
    if (out.bad()) {
      return reportWriteFailure(out, err);
    }
    const bool gotLine = editor == nullptr ? static_cast<bool>(readLine(in, line))
                                           : editor->readLine(prompt, line);
    if (!gotLine) {
      break;  // end of input with nothing read: leave as EXIT does
    }
    const int length = line.length();
    if (length == exitCommand.length() || length == helpCommand.length() ||
        length == showVarsCommand.length() || length == showFuncsCommand.length()) {
      // Only a line as long as a command word can be one. Any other line
      // goes to the calculator as it is: the tokenizer folds letters to
      // lower case, so upper-casing it first would change nothing.
      line.toUpper();
    }
    if (line.equals(exitCommand)) {
      break;
    } else if (line.equals(helpCommand)) {
      printHelpScreen(out);
    } else if (line.equals(showVarsCommand)) {
      calculator.showVariables();
    } else if (line.equals(showFuncsCommand)) {
      printFunctionsScreen(out);
    } else {
      // "= ", the value and the line end leave in one write.
      char* result = number;
      *result++ = '=';
      *result++ = ' ';
      result += formatGeneral(calculator.evaluateLine(line), result).size();
      *result++ = '\n';
      out.write(number, result - number);
      out.flush();
    }
  }
  pushOutput(out);
  if (out.bad()) {
    return reportWriteFailure(out, err);
  }
  return 0;
}
