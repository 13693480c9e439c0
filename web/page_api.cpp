// The web page's side of the dialogue, compiled with the engine to
// WebAssembly. The page's script hands it lines as bytes and shows what it
// gives back; everything the user reads (the banner, the screens, the
// prompt, results and error lines, the variable listing, the words Tab
// completes) comes from the same C++ as the program's, so the page cannot
// drift from it. The engine itself is reached through its C library only.
//
// page_start and page_enter give the transcript text as the page shows it,
// in segments, each a tag byte after '\x01' and its text:
//   't'  text shown as it is: the banner, each line entered after the
//        prompt, results and screens, every line ended by '\n'
//   'b'  the same, beginning a new block of the transcript (a long paste is
//        shown in blocks, and the browser lays out only those on screen)
//   'e'  error lines, which the page styles apart
//   'x'  exit was entered: the session is over
//   's'  not shown: what a screen reader is to say of the last line entered
// Control characters in shown text are written as their pictures, as a
// terminal shows ^M (the lines themselves keep them). The script does no
// more than cut the text at the segments: a paste of 100,000 lines is a
// handful of them.
//
// page_complete gives records, one a line: a tag byte, the text, '\n':
//   'c'  what Tab inserts at the cursor; 'm' one word it could become
#include "web/page_api.h"

#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "console/commands.h"
#include "console/completion.h"
#include "console/console.h"
#include "console/history_file.h"
#include "console/messages.h"
#include "console/screens.h"
#include "engine/function_table.h"
#include "engine/zorvex.h"
#include "text/wide_string.h"

namespace {

/// How many lines a block of the transcript holds at the most: the browser
/// lays out only the blocks on screen, so a small block keeps the frame
/// after a long paste short (measured: 200 lines gave it about half the
/// time that 4,000 did).
constexpr std::size_t BLOCK_LINES = 200;

struct Page {
  zorvex* calculator = nullptr;
  std::string input;
  std::string output;
  std::size_t consumed = 0;
  std::size_t entered = 0;
  // The tag of the segment being written (0 before the first) and how
  // many lines the current block holds.
  char segment = 0;
  std::size_t blockLines = 0;
  // The lines shown since the last line entered, for a screen reader.
  std::string spoken;
};

Page page;

/// Starts a fresh output for one call of the page's script.
void beginOutput() {
  page.output.clear();
  page.segment = 0;
  page.blockLines = 0;
  page.spoken.clear();
}

/// Appends `text` to `out` with each control character other than a tab
/// as its picture, U+2400 + its code (U+2421 for DEL), in UTF-8.
void appendPictured(std::string& out, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t') || c == 0x7f) {
      out.append(text.substr(start, i - start));
      const char picture[] = {'\xe2', '\x90', static_cast<char>(c == 0x7f ? 0xa1 : 0x80 + c)};
      out.append(picture, sizeof picture);
      start = i + 1;
    }
  }
  out.append(text.substr(start));
}

/// Shows one line, `prefix` then `line`, in a segment tagged `tag` ('t' or
/// 'e'), starting a new block when the current one is full.
void show(char tag, std::string_view line, std::string_view prefix = {}) {
  const bool newBlock = tag == 't' && page.blockLines >= BLOCK_LINES;
  if (newBlock) {
    page.blockLines = 0;
  }
  if (newBlock || page.segment != tag) {
    page.output.push_back('\x01');
    page.output.push_back(newBlock ? 'b' : tag);
    page.segment = tag;
  }
  page.output.append(prefix);
  appendPictured(page.output, line);
  page.output.push_back('\n');
  ++page.blockLines;
}

/// Shows a line the program writes, which a screen reader says too.
void showWritten(char tag, std::string_view line, std::string_view prefix = {}) {
  show(tag, line, prefix);
  if (!page.spoken.empty()) {
    page.spoken.push_back('\n');
  }
  page.spoken.append(prefix);
  page.spoken.append(line);
}

/// Shows each line of `lines` (each ended by '\n') under `tag`.
void showLines(char tag, std::string_view lines) {
  std::size_t start = 0;
  for (std::size_t end = lines.find('\n'); end != std::string_view::npos;
       end = lines.find('\n', start)) {
    showWritten(tag, lines.substr(start, end - start));
    start = end + 1;
  }
}

/// Marks the end of the session.
void showExit() {
  page.output.append("\x01x");
  page.segment = 'x';
}

/// The engine's one failure, memory running out, as the program reports it.
void showFailure() { showWritten('e', OUT_OF_MEMORY, "zorvex: "); }

/// Shows every line of a text that `print` writes to a stream.
template <typename Print>
void showScreen(Print print) {
  std::ostringstream text;
  print(text);
  showLines('t', text.str());
}

/// The variable listing of SHOWVARS: a blank line, "name\t\tvalue" for
/// each variable in the program's order, a blank line.
void showVariables() {
  showWritten('t', "");
  zorvex_list_variables(
      page.calculator,
      [](void*, const char* name, size_t length, double value) {
        char number[ZORVEX_FORMAT_CAPACITY];
        size_t size = 0;
        zorvex_format(value, number, sizeof number, &size);
        std::string line(name, length);
        line.append("\t\t").append(number, size);
        showWritten('t', line);
        return 0;
      },
      nullptr);
  showWritten('t', "");
}

/// Evaluates one line and shows its error lines, then "= " and the value.
/// Returns false when the engine could not evaluate it.
bool showEvaluation(std::string_view line) {
  double value = 0.0;
  const zorvex_status status = zorvex_evaluate(page.calculator, line.data(), line.size(), &value);
  if (status != ZORVEX_OK) {
    showFailure();
    return false;
  }
  size_t length = 0;
  const char* errors = zorvex_errors(page.calculator, &length);
  showLines('e', std::string_view(errors, length));
  char number[ZORVEX_FORMAT_CAPACITY];
  size_t size = 0;
  zorvex_format(value, number, sizeof number, &size);
  showWritten('t', std::string_view(number, size), ConsoleStyle{}.resultPrefix);
  return true;
}

/// Returns the command `line` is, as the program finds it, or nothing.
std::optional<Command> commandOf(std::string_view line) {
  for (const CommandWord& word : commandWords()) {
    // Only a line as long as a command word can be one.
    if (word.word.size() == line.size()) {
      WideString units;
      units.assignBytes(line.data(), line.size());
      return findCommand(units);
    }
  }
  return std::nullopt;
}

/// Runs one line of the dialogue; returns false after exit or a failure.
bool enterLine(std::string_view line) {
  show('t', line, ConsoleStyle{}.prompt);
  ++page.entered;
  page.spoken.clear();
  const std::optional<Command> command = commandOf(line);
  if (!command) {
    if (!showEvaluation(line)) {
      showExit();
      return false;
    }
    return true;
  }
  switch (*command) {
    case Command::EXIT:
      showExit();
      return false;
    case Command::HELP:
      showScreen([](std::ostream& out) { printHelpScreen(out); });
      break;
    case Command::SHOWVARS:
      showVariables();
      break;
    case Command::SHOWFUNCS:
      showScreen([](std::ostream& out) { printFunctionsScreen(out); });
      break;
  }
  return true;
}

/// A line of page_complete's output.
void record(char tag, std::string_view text) {
  page.output.push_back(tag);
  page.output.append(text);
  page.output.push_back('\n');
}

}  // namespace

extern "C" {

char* page_input(size_t size) {
  if (page.input.size() < size) {
    page.input.resize(size);
  }
  return page.input.data();
}

const char* page_output(void) { return page.output.data(); }

size_t page_output_length(void) { return page.output.size(); }

int page_start(void) {
  zorvex_destroy(page.calculator);
  page.calculator = nullptr;
  beginOutput();
  page.entered = 0;
  if (zorvex_create(&page.calculator) != ZORVEX_OK) {
    showFailure();
    return 0;
  }
  showScreen([](std::ostream& out) { printBanner(out); });
  return 1;
}

int page_enter(size_t length) {
  beginOutput();
  page.consumed = 0;
  page.entered = 0;
  const std::string_view text = std::string_view(page.input).substr(0, length);
  bool going = true;
  while (going && page.consumed < text.size()) {
    std::size_t end = text.find('\n', page.consumed);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view line = text.substr(page.consumed, end - page.consumed);
    page.consumed = std::min(end + 1, text.size());
    // A carriage return before the line end belongs to the line end, as
    // when the program reads a CR LF line.
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    going = page.calculator != nullptr && enterLine(line);
  }
  page.output.append("\x01s").append(page.spoken);
  return going ? 1 : 0;
}

size_t page_entered(void) { return page.entered; }

size_t page_consumed(void) { return page.consumed; }

int page_warm(size_t length) {
  zorvex* const user = page.calculator;
  if (zorvex_create(&page.calculator) != ZORVEX_OK) {
    page.calculator = user;
    return 0;
  }
  page_enter(length);
  zorvex_destroy(page.calculator);
  page.calculator = user;
  beginOutput();
  page.consumed = 0;
  page.entered = 0;
  return 1;
}

size_t page_complete(size_t cursor, size_t length) {
  beginOutput();
  CompletionWords words;
  // In lower case, as the calculator folds names and the help screen
  // spells the commands; the same words as Tab completes at a terminal.
  for (const CommandWord& word : commandWords()) {
    words.commands.emplace_back(word.word);
  }
  for (const FunctionRow& function : functionTable()) {
    words.names.emplace_back(function.name);
    words.names.back().push_back('(');
  }
  zorvex_list_variables(
      page.calculator,
      [](void* context, const char* name, size_t length, double) {
        if (length > 0) {
          static_cast<CompletionWords*>(context)->names.emplace_back(name, length);
        }
        return 0;
      },
      &words);
  const Completion completion =
      complete(std::string_view(page.input).substr(0, length), cursor, words);
  record('c', completion.insert);
  for (const std::string& match : completion.matches) {
    record('m', match);
  }
  return completion.start;
}

size_t page_history_capacity(void) { return HistoryFile::CAPACITY; }

const char* page_prompt(void) { return ConsoleStyle{}.prompt.data(); }

}  // extern "C"
