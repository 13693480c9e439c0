#ifndef ZORVEX_CONSOLE_MESSAGES_H_
#define ZORVEX_CONSOLE_MESSAGES_H_

#include <string_view>

class OutputBuffer;

// The program's own messages about its surroundings (the expression errors
// are the engine's, in engine/error_lines.h). Each is one line on standard
// error, "zorvex: WHAT: REASON", sent at once.

/// What is reported when standard output cannot be written.
constexpr std::string_view WRITE_ERROR = "write error";
/// What is reported when the memory for a line or a variable runs out.
constexpr std::string_view OUT_OF_MEMORY = "out of memory";
/// What is reported when a line is longer than a line may be
/// (2,147,483,646 characters).
constexpr std::string_view LINE_TOO_LONG = "line too long";
/// What is reported when the input is the very file the output goes to.
constexpr std::string_view INPUT_IS_OUTPUT = "input file is output file";

/// What is noted once when a terminal session has to do without line
/// editing (the reason says why the library could not be loaded).
constexpr std::string_view LINE_EDITING_UNAVAILABLE = "line editing unavailable";
/// What a history file problem is reported as, followed by ": FILE".
constexpr std::string_view HISTORY = "history";

/// Writes "zorvex: WHAT", then ": REASON" unless `reason` is empty, as one
/// line to `err` and sends it.
void reportFailure(OutputBuffer& err, std::string_view what, std::string_view reason = {});

/// Writes "zorvex: out of memory" straight to standard error, for when
/// not even the buffer of standard error could be had.
void reportOutOfMemoryUnbuffered();

#endif  // ZORVEX_CONSOLE_MESSAGES_H_
