#ifndef ZORVEX_CONSOLE_MESSAGES_H_
#define ZORVEX_CONSOLE_MESSAGES_H_

#include <string>
#include <string_view>

class OutputBuffer;
struct UsageError;
struct EditorLoadFailure;
enum class HistoryRefusal;

// The program's own messages about its surroundings (the expression errors
// are the engine's, in engine/error_lines.h), all worded here. A unit that
// fails gives its caller a failure, "WHAT: REASON" or WHAT alone, made by
// the functions below; the caller reports it with reportFailure, as one
// line on standard error after the program's name, sent at once.

/// What is reported when the memory for a line or a variable runs out.
/// Written here, in the header, as the web page reports it too.
constexpr std::string_view OUT_OF_MEMORY = "out of memory";
/// What is reported when a line is longer than a line may be
/// (2,147,483,646 characters).
extern const std::string_view LINE_TOO_LONG;

/// Returns why reading standard input failed with the errno `error`:
/// "read error: REASON".
std::string readFailure(int error);
/// Returns why the file `name` could not be opened or read, with the errno
/// `error`: "NAME: REASON".
std::string fileFailure(std::string_view name, int error);
/// Returns why writing failed with the errno `error`: "write error: REASON".
std::string writeFailure(int error);
/// Returns why the input `name` ("" for standard input) is refused when
/// it is the very file the output goes to: "[NAME: ]input file is output
/// file".
std::string inputIsOutputFailure(std::string_view name);
/// Returns why the command line cannot be run, with the hint to --help.
std::string usageFailure(const UsageError& error);
/// Returns why a terminal session goes without line editing: "line
/// editing unavailable: REASON".
std::string lineEditingFailure(const EditorLoadFailure& failure);
/// Returns why the history cannot be kept in `where` (a file or a
/// directory) after the errno `error`: "history: WHERE: REASON".
std::string historyFailure(std::string_view where, int error);
/// Returns why the history is not kept in `where`, refused for `refusal`.
std::string historyFailure(std::string_view where, HistoryRefusal refusal);
/// Returns that the history in `where` is recalled but that the errno
/// `error` keeps new lines from being written to it.
std::string historyReadOnlyFailure(std::string_view where, int error);

/// Writes the program's name and `failure` as one line to `err`, each
/// control character of it spelled as an escape, and sends it. Allocates
/// nothing, so it also reports that memory ran out.
void reportFailure(OutputBuffer& err, std::string_view failure);

/// Reports OUT_OF_MEMORY straight to standard error, for when not even the
/// buffer of standard error could be had.
void reportOutOfMemoryUnbuffered();

#endif  // ZORVEX_CONSOLE_MESSAGES_H_
