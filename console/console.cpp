#include "console/console.h"

#include <algorithm>
#include <new>
#include <optional>
#include <ostream>

#include "console/commands.h"
#include "console/console_io.h"
#include "console/messages.h"
#include "console/screens.h"
#include "engine/session.h"
#include "text/wide_string.h"

namespace {

/// The longest result prefix written together with its value: the styles
/// in use have "= " or none; a longer one is written before the value.
constexpr std::size_t RESULT_PREFIX_CAPACITY = 8;

/// The dialogue proper; returns the status of a run whose output is sound.
int runDialogue(LineSource& lines, std::ostream& out, std::ostream& err, OutputBuffer& outBuffer,
                OutputBuffer& errBuffer, const ConsoleStyle& style) {
  // Error lines go straight to the error stream as they are found, so that
  // they come before the "= " line of their input.
  CalculatorSession session(&err);
  lines.follow(session);
  WideString line;
  if (style.banner) {
    printBanner(out);
  }

  // The prefix, the value and the line end leave in one write, from a
  // buffer that holds a prefix of up to RESULT_PREFIX_CAPACITY bytes, the
  // longest value text and the line end.
  char number[RESULT_PREFIX_CAPACITY + VALUE_TEXT_CAPACITY + 1];

  for (;;) {
    const ReadResult read = lines.nextLine(style.prompt, line);
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
    if (line.longerThan(WideString::MAX_LENGTH)) {
      // Beyond the reach of the positions the evaluation counts in: such a
      // line is refused, never given a value.
      outBuffer.push();
      reportFailure(errBuffer, LINE_TOO_LONG);
      return EXIT_FAILED;
    }
    const std::optional<Command> command = findCommand(line);
    if (!command) {
      const double value = session.evaluate(line);
      char* result = number;
      if (style.resultPrefix.size() <= RESULT_PREFIX_CAPACITY) {
        result = std::copy(style.resultPrefix.begin(), style.resultPrefix.end(), result);
      } else {
        out << style.resultPrefix;  // too long for the buffer: it goes first
      }
      result += CalculatorSession::formatValue(value, result).size();
      *result++ = '\n';
      // Straight to the buffer, which keeps any failure itself (the loop
      // stops on it), and marks the end of a piece of output as a flush would.
      outBuffer.sputn(number, result - number);
      outBuffer.pubsync();
    } else if (*command == Command::EXIT) {
      break;
    } else if (*command == Command::HELP) {
      printHelpScreen(out);
    } else if (*command == Command::SHOWVARS) {
      session.writeVariables(out);
    } else {
      printFunctionsScreen(out);
    }
  }
  outBuffer.push();
  if (style.errorLinesFail && session.totalErrorCount() > 0) {
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
    reportFailure(err, out.failure());
    return EXIT_FAILED;
  }
  return status;
}
