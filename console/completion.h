#ifndef ZORVEX_CONSOLE_COMPLETION_H_
#define ZORVEX_CONSOLE_COMPLETION_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// The words Tab can complete, in lower case, each spelt as it is to be
/// completed (a function with its opening bracket).
struct CompletionWords {
  std::vector<std::string> commands;  // only as the first word of a line
  std::vector<std::string> names;     // functions and variables, anywhere
};

/// What Tab does to a line.
struct Completion {
  std::size_t start = 0;             // where the word being completed starts
  std::vector<std::string> matches;  // every word it may become: sorted, no repeats
  std::string insert;                // what goes in at the cursor: the rest of their common start
};

/// Returns the completion of the word of letters that ends at `cursor` in
/// `line`. Letters match whatever their case, since the calculator reads
/// names and commands in any case; a word typed in capitals is completed
/// in capitals.
Completion complete(std::string_view line, std::size_t cursor, const CompletionWords& words);

/// Returns `matches` laid out as a shell lists them: in columns read down,
/// then across, as many as fit in `width` characters, one line each row.
std::string listInColumns(const std::vector<std::string>& matches, std::size_t width);

#endif  // ZORVEX_CONSOLE_COMPLETION_H_
