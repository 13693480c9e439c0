#include "console/messages.h"

#include <unistd.h>

#include <cstring>

#include "console/console_io.h"
#include "console/history_file.h"
#include "console/line_editor.h"
#include "console/options.h"
#include "console/posix_io.h"

namespace {

/// Who speaks: the start of every message.
constexpr std::string_view PROGRAM = "zorvex: ";
// The "what" of the failures of standard input and output.
constexpr std::string_view READ_ERROR = "read error";
constexpr std::string_view WRITE_ERROR = "write error";
constexpr std::string_view INPUT_IS_OUTPUT = "input file is output file";
// A terminal session that goes without line editing.
constexpr std::string_view LINE_EDITING_UNAVAILABLE = "line editing unavailable";
constexpr std::string_view LIBRARY_NOT_LOADED = "cannot be loaded";
constexpr std::string_view FUNCTION_MISSING = "a function of the library is missing";
// A history file problem, followed by ": WHERE: REASON".
constexpr std::string_view HISTORY = "history";
constexpr std::string_view NOT_REGULAR = "not a regular file";
constexpr std::string_view OWNED_BY_ANOTHER = "owned by another user";
constexpr std::string_view WRITABLE_BY_OTHERS = "writable by other users";
constexpr std::string_view NOT_KEPT = "; new lines will not be kept";
// The usage errors, each naming the option as written, and the hint after them.
constexpr std::string_view TRY_HELP = " (try 'zorvex --help')";

/// Returns "WHAT: REASON".
std::string failure(std::string_view what, std::string_view reason) {
  std::string text(what);
  text += ": ";
  text += reason;
  return text;
}

/// Returns "history: WHERE: REASON".
std::string historyText(std::string_view where, std::string_view reason) {
  return failure(failure(HISTORY, where), reason);
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

std::string readFailure(int error) { return failure(READ_ERROR, std::strerror(error)); }

std::string fileFailure(std::string_view name, int error) {
  return failure(name, std::strerror(error));
}

std::string writeFailure(int error) { return failure(WRITE_ERROR, std::strerror(error)); }

std::string inputIsOutputFailure(std::string_view name) {
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
  return text + std::string(TRY_HELP);
}

std::string lineEditingFailure(const EditorLoadFailure& failed) {
  if (failed.kind == EditorLoadFailure::Kind::FUNCTION_MISSING) {
    return failure(LINE_EDITING_UNAVAILABLE, FUNCTION_MISSING);
  }
  return failure(LINE_EDITING_UNAVAILABLE,
                 failed.loaderReason.empty() ? LIBRARY_NOT_LOADED : failed.loaderReason);
}

std::string historyFailure(std::string_view where, int error) {
  return historyText(where, std::strerror(error));
}

std::string historyFailure(std::string_view where, HistoryRefusal refusal) {
  switch (refusal) {
    case HistoryRefusal::NOT_REGULAR:
      return historyText(where, NOT_REGULAR);
    case HistoryRefusal::OWNED_BY_ANOTHER:
      return historyText(where, OWNED_BY_ANOTHER);
    case HistoryRefusal::WRITABLE_BY_OTHERS:
      break;
  }
  return historyText(where, WRITABLE_BY_OTHERS);
}

std::string historyReadOnlyFailure(std::string_view where, int error) {
  return historyText(where, std::string(std::strerror(error)) + std::string(NOT_KEPT));
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
