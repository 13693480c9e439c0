#include "console/messages.h"

#include <unistd.h>

#include <cstring>
#include <iterator>
#include <string>

#include "console/console_io.h"
#include "console/history_file.h"
#include "console/line_editor.h"
#include "console/options.h"
#include "console/posix_io.h"

namespace {

/// Who speaks: the start of every message.
constexpr std::string_view PROGRAM = "zorvex: ";
/// The reason given for each kind of HistoryRefusal, in the kinds' order.
constexpr std::string_view REFUSAL_REASONS[] = {
    "not a regular file",
    "owned by another user",
    "writable by other users",
};
static_assert(std::size(REFUSAL_REASONS) ==
              static_cast<std::size_t>(HistoryRefusal::WRITABLE_BY_OTHERS) + 1);

/// Returns "WHAT: REASON".
std::string failure(std::string_view what, std::string_view reason) {
  std::string text(what);
  text += ": ";
  text += reason;
  return text;
}

/// Returns "history: WHERE: REASON".
std::string historyText(std::string_view where, std::string_view reason) {
  return failure(failure("history", where), reason);
}

void put(OutputBuffer& err, std::string_view text) {
  err.sputn(text.data(), static_cast<std::streamsize>(text.size()));
}

/// Writes `text` with each control character spelled as a backslash escape
/// ("\n", "\t", "\033"), so that a file name or an argument cannot break
/// the one line of a message or send codes to the terminal.
void putEscaped(OutputBuffer& err, std::string_view text) {
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      err.sputc(c);
    } else if (c == '\n') {
      put(err, "\\n");
    } else if (c == '\t') {
      put(err, "\\t");
    } else if (c == '\r') {
      put(err, "\\r");
    } else {
      const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                            static_cast<char>('0' + ((byte >> 3) & 7)),
                            static_cast<char>('0' + (byte & 7))};
      err.sputn(octal, sizeof octal);
    }
  }
}

}  // namespace

extern constexpr std::string_view LINE_TOO_LONG = "line too long";

std::string readFailure(int error) { return failure("read error", std::strerror(error)); }

std::string fileFailure(std::string_view name, int error) {
  return failure(name, std::strerror(error));
}

std::string writeFailure(int error) { return failure("write error", std::strerror(error)); }

std::string inputIsOutputFailure(std::string_view name) {
  constexpr std::string_view INPUT_IS_OUTPUT = "input file is output file";
  return name.empty() ? std::string(INPUT_IS_OUTPUT) : failure(name, INPUT_IS_OUTPUT);
}

std::string usageFailure(const UsageError& error) {
  std::string text;
  switch (error.kind) {
    case UsageError::Kind::UNKNOWN_OPTION:
      text = "unknown option '" + error.option + "'";
      break;
    case UsageError::Kind::MISSING_ARGUMENT:
      text = "option '" + error.option + "' needs an argument";
      break;
    case UsageError::Kind::UNWANTED_VALUE:
      text = "option '" + error.option + "' takes no value";
      break;
    case UsageError::Kind::EXPRESSIONS_WITH_FILES:
      text = "-e cannot be combined with FILE operands";
      break;
  }
  return text + " (try 'zorvex --help')";
}

std::string lineEditingFailure(const EditorLoadFailure& failed) {
  std::string_view reason = failed.loaderReason;
  if (failed.kind == EditorLoadFailure::Kind::FUNCTION_MISSING) {
    reason = "a function of the library is missing";
  } else if (reason.empty()) {
    reason = "cannot be loaded";
  }
  return failure("line editing unavailable", reason);
}

std::string historyFailure(std::string_view where, int error) {
  return historyText(where, std::strerror(error));
}

std::string historyFailure(std::string_view where, HistoryRefusal refusal) {
  return historyText(where, REFUSAL_REASONS[static_cast<std::size_t>(refusal)]);
}

std::string historyReadOnlyFailure(std::string_view where, int error) {
  return historyText(where, std::string(std::strerror(error)) + "; new lines will not be kept");
}

void reportFailure(OutputBuffer& err, std::string_view failure) {
  // Gathered in the buffer and sent together, without allocating: this also
  // reports that memory ran out.
  put(err, PROGRAM);
  putEscaped(err, failure);
  put(err, "\n");
  err.push();
}

void reportOutOfMemoryUnbuffered() {
  char line[PROGRAM.size() + OUT_OF_MEMORY.size() + 1];
  PROGRAM.copy(line, PROGRAM.size());
  OUT_OF_MEMORY.copy(line + PROGRAM.size(), OUT_OF_MEMORY.size());
  line[sizeof line - 1] = '\n';
  // One write of the whole line; there is nothing left to do if it fails.
  writeAll(STDERR_FILENO, line, sizeof line);
}
