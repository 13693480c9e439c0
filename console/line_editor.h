#ifndef ZORVEX_CONSOLE_LINE_EDITOR_H_
#define ZORVEX_CONSOLE_LINE_EDITOR_H_

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "console/completion.h"
#include "console/console_io.h"
#include "text/wide_string.h"

class TerminalSignals;

/// Reads input lines at a terminal with editing and a history of the run.
/// Unlike a plain stream it shows the prompt itself, since it redraws the
/// prompt with the line whenever the line changes.
class LineEditor {
 public:
  virtual ~LineEditor() = default;

  /// Shows `prompt`, lets the user edit one line and fills `line` with it,
  /// without the line end. Returns LINE, END at the end of input (Ctrl-D on
  /// an empty line, or a terminal that was hung up), or FAILED when the
  /// terminal could not be read.
  virtual ReadResult readEditedLine(const char* prompt, WideString& line) = 0;
  /// Returns what failed and why ("read error: REASON") after FAILED, or "".
  virtual std::string failure() const { return ""; }
  /// Adds `line` to the lines the up arrow brings back, as if it was typed.
  virtual void addHistory(const std::string& line) { (void)line; }

  /// From now on calls `entered` with each line typed that is not empty.
  void onEntered(std::function<void(std::string_view)> entered) { entered_ = std::move(entered); }
  /// From now on Tab completes the words that `words` returns at the time.
  void completeFrom(std::function<CompletionWords()> words) { words_ = std::move(words); }
  /// From now on Ctrl-Z stops the program through `signals`.
  void stopThrough(TerminalSignals* signals) { signals_ = signals; }

  /// More matches than this are listed only when the user asks for them.
  static constexpr std::size_t MATCHES_WITHOUT_ASKING = 100;

 protected:
  std::function<void(std::string_view)> entered_;
  std::function<CompletionWords()> words_;
  TerminalSignals* signals_ = nullptr;
};

/// Returns an editor over the given terminal streams, or nullptr when the
/// program was built without line editing.
std::unique_ptr<LineEditor> makeLineEditor(std::FILE* in, std::FILE* out, std::FILE* err);

/// Returns true when both standard input and standard output are terminals:
/// only then is a person typing and reading, and only then is a line edited.
bool atTerminal();

/// Why a terminal session has to do without line editing although the
/// program was built with it: the library could not be loaded.
struct EditorLoadFailure {
  enum class Kind {
    NONE,                // loaded, or never meant to be
    LIBRARY_NOT_LOADED,  // no libedit on the system, or it would not load
    FUNCTION_MISSING,    // a libedit without one of the functions used
  };
  Kind kind = Kind::NONE;
  std::string loaderReason;  // for LIBRARY_NOT_LOADED: the loader's own words, if any
};

/// The line editor of a terminal session, or why there is none.
struct TerminalLineEditor {
  std::unique_ptr<LineEditor> editor;  // null when lines are read plainly
  EditorLoadFailure failure;           // why, when the library could not be loaded
};

/// Returns an editor over the standard streams, which must be terminals; no
/// editor when the program was built without line editing or its library
/// cannot be loaded or set up, with the reason in the second case.
TerminalLineEditor makeTerminalLineEditor();

#endif  // ZORVEX_CONSOLE_LINE_EDITOR_H_
