#include "console/console.h"

#include <new>
#include <ostream>

#include "console/console_io.h"
#include "console/messages.h"
#include "console/screens.h"
#include "engine/calculator.h"
#include "text/number_text.h"
#include "text/wide_string.h"

namespace {

/// The dialogue proper; returns the status of a run whose output is sound.
int runDialogue(LineSource& lines, std::ostream& out, std::ostream& err, OutputBuffer& outBuffer,
                OutputBuffer& errBuffer, const ConsoleStyle& style) {
  Calculator calculator(out, err);
  lines.follow(calculator.variables);
  WideString line;
  if (style.banner) {
    printBanner(out);
  }

  const WideString exitCommand("EXIT");
  const WideString helpCommand("HELP");
  const WideString showVarsCommand("SHOWVARS");
  const WideString showFuncsCommand("SHOWFUNCS");
  char number[NUMBER_TEXT_CAPACITY + 8];

  for (;;) {
    const ReadResult read = lines.readLine(style.prompt, line);
    if (outBuffer.failed()) {
      break;
    }
    if (read == ReadResult::FAILED) {
      outBuffer.push();
      reportFailure(errBuffer, lines.failure());
      return EXIT_FAILED;
    }
    if (read == ReadResult::END) {
      break;  // end of input: leave as EXIT does
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
      // The prefix, the value and the line end leave in one write.
      const double value = calculator.evaluateLine(line);
      char* result = number;
      for (char c : style.resultPrefix) {
        *result++ = c;
      }
      result += formatGeneral(value, result).size();
      *result++ = '\n';
      out.write(number, result - number);
      out.flush();
    }
  }
  outBuffer.push();
  if (style.errorLinesFail && calculator.errorLineCount() > 0) {
    return EXIT_EXPRESSION_ERROR;
  }
  return EXIT_OK;
}

}  // namespace

int runConsole(LineSource& lines, OutputBuffer& out, OutputBuffer& err, const ConsoleStyle& style) {
  std::ostream outStream(&out);
  std::ostream errStream(&err);
  int status;
  try {
    status = runDialogue(lines, outStream, errStream, out, err, style);
  } catch (const std::bad_alloc&) {
    // Whatever was computed before the allocation failed is still written;
    // the line being evaluated is given up.
    out.push();
    if (!out.failed()) {
      reportFailure(err, OUT_OF_MEMORY);
      return EXIT_FAILED;
    }
    status = EXIT_FAILED;
  }
  if (out.failed()) {
    reportFailure(err, WRITE_ERROR, out.failure());
    return EXIT_FAILED;
  }
  return status;
}
