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
  char number[NUMBER_TEXT_CAPACITY];
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
    line.toUpper();
    if (line.equals(exitCommand)) {
      break;
    } else if (line.equals(helpCommand)) {
      printHelpScreen(out);
    } else if (line.equals(showVarsCommand)) {
      calculator.showVariables();
    } else if (line.equals(showFuncsCommand)) {
      printFunctionsScreen(out);
    } else {
      const double value = calculator.evaluateLine(line);
      out << "= " << formatGeneral(value, number) << '\n';
      out.flush();
    }
  }
  pushOutput(out);
  if (out.bad()) {
    return reportWriteFailure(out, err);
  }
  return 0;
}
