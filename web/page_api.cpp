// The web page's side of the dialogue, compiled with the engine to
// WebAssembly. The page's script hands it lines as bytes and shows what it
// gives back; everything the user reads (the banner, the screens, the
// prompt, results and error lines, the variable listing, the words Tab
// completes) comes from the same C++ as the program's, so the page cannot
// drift from it. The engine itself is reached through its C library only.
//
// Output is a run of records, one a line: a tag byte, the text, '\n'.
//   'i'  a line the user entered (the page shows it after the prompt)
//   'o'  a line the program writes to standard output
//   'e'  an error line (standard error)
//   'x'  exit was entered: the session is over
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

struct Page {
  zorvex* calculator = nullptr;
  std::string input;
  std::string output;
  std::size_t consumed = 0;
};

Page page;

void record(char tag, std::string_view text) {
  page.output.push_back(tag);
  page.output.append(text);
  page.output.push_back('\n');
}

/// Records each line of `lines` (each ended by '\n') under `tag`.
void recordLines(char tag, std::string_view lines) {
  std::size_t start = 0;
  for (std::size_t end = lines.find('\n'); end != std::string_view::npos;
       end = lines.find('\n', start)) {
    record(tag, lines.substr(start, end - start));
    start = end + 1;
  }
}

/// The engine's one failure, memory running out, as the program reports it.
void recordFailure() { record('e', std::string("zorvex: ").append(OUT_OF_MEMORY)); }

/// Writes every line of a text that `print` writes to a stream as an 'o' record.
template <typename Print>
void recordScreen(Print print) {
  std::ostringstream text;
  print(text);
  recordLines('o', text.str());
}

/// The variable listing of SHOWVARS: a blank line, "name\t\tvalue" for
/// each variable in the program's order, a blank line.
void recordVariables() {
  record('o', "");
  zorvex_list_variables(
      page.calculator,
      [](void*, const char* name, size_t length, double value) {
        char number[ZORVEX_FORMAT_CAPACITY];
        size_t size = 0;
        zorvex_format(value, number, sizeof number, &size);
        page.output.push_back('o');
        page.output.append(name, length);
        page.output.append("\t\t");
        page.output.append(number, size);
        page.output.push_back('\n');
        return 0;
      },
      nullptr);
  record('o', "");
}

/// Evaluates one line and records its error lines, then "= " and the value.
/// Returns false when the engine could not evaluate it.
bool recordEvaluation(std::string_view line) {
  double value = 0.0;
  const zorvex_status status = zorvex_evaluate(page.calculator, line.data(), line.size(), &value);
  if (status != ZORVEX_OK) {
    recordFailure();
    return false;
  }
  size_t length = 0;
  const char* errors = zorvex_errors(page.calculator, &length);
  recordLines('e', std::string_view(errors, length));
  char number[ZORVEX_FORMAT_CAPACITY];
  size_t size = 0;
  zorvex_format(value, number, sizeof number, &size);
  page.output.push_back('o');
  page.output.append(ConsoleStyle{}.resultPrefix);
  page.output.append(number, size);
  page.output.push_back('\n');
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
  record('i', line);
  const std::optional<Command> command = commandOf(line);
  if (!command) {
    if (!recordEvaluation(line)) {
      record('x', "");
      return false;
    }
    return true;
  }
  switch (*command) {
    case Command::EXIT:
      record('x', "");
      return false;
    case Command::HELP:
      recordScreen([](std::ostream& out) { printHelpScreen(out); });
      break;
    case Command::SHOWVARS:
      recordVariables();
      break;
    case Command::SHOWFUNCS:
      recordScreen([](std::ostream& out) { printFunctionsScreen(out); });
      break;
  }
  return true;
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
  page.output.clear();
  if (zorvex_create(&page.calculator) != ZORVEX_OK) {
    recordFailure();
    return 0;
  }
  recordScreen([](std::ostream& out) { printBanner(out); });
  return 1;
}

int page_enter(size_t length) {
  page.output.clear();
  page.consumed = 0;
  const std::string_view text = std::string_view(page.input).substr(0, length);
  while (page.consumed < text.size()) {
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
    if (page.calculator == nullptr || !enterLine(line)) {
      return 0;
    }
  }
  return 1;
}

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
  page.output.clear();
  page.consumed = 0;
  return 1;
}

size_t page_complete(size_t cursor, size_t length) {
  page.output.clear();
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
