#include "console/completion.h"

#include <algorithm>

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

/// Returns true when `word` starts with `prefix`, letters in any case.
bool startsWith(std::string_view word, std::string_view prefix) {
  if (word.size() < prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (lower(word[i]) != lower(prefix[i])) {
      return false;
    }
  }
  return true;
}

void addMatches(const std::vector<std::string>& words, std::string_view prefix,
                std::vector<std::string>& matches) {
  for (const std::string& word : words) {
    if (startsWith(word, prefix)) {
      matches.push_back(word);
    }
  }
}

}  // namespace

Completion complete(std::string_view line, std::size_t cursor, const CompletionWords& words) {
  Completion completion;
  cursor = std::min(cursor, line.size());
  std::size_t start = cursor;
  while (start > 0 && isLetter(line[start - 1])) {
    --start;
  }
  completion.start = start;
  const std::string_view prefix = line.substr(start, cursor - start);
  if (prefix.empty()) {
    return completion;
  }
  const bool firstWord = line.find_first_not_of(" \t") == start;
  if (firstWord) {
    addMatches(words.commands, prefix, completion.matches);
  }
  addMatches(words.names, prefix, completion.matches);
  std::sort(completion.matches.begin(), completion.matches.end());
  completion.matches.erase(std::unique(completion.matches.begin(), completion.matches.end()),
                           completion.matches.end());
  if (completion.matches.empty()) {
    return completion;
  }
  // The common start of the matches, beyond what is typed already.
  const std::string& first = completion.matches.front();
  std::size_t common = first.size();
  for (const std::string& match : completion.matches) {
    std::size_t same = 0;
    while (same < common && same < match.size() && match[same] == first[same]) {
      ++same;
    }
    common = same;
  }
  const bool capitals =
      std::none_of(prefix.begin(), prefix.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  for (std::size_t i = prefix.size(); i < common; ++i) {
    completion.insert.push_back(capitals ? upper(first[i]) : first[i]);
  }
  return completion;
}

std::string listInColumns(const std::vector<std::string>& matches, std::size_t width) {
  std::size_t longest = 0;
  for (const std::string& match : matches) {
    longest = std::max(longest, match.size());
  }
  const std::size_t columnWidth = longest + 2;
  const std::size_t columns = std::max<std::size_t>(1, width / columnWidth);
  const std::size_t rows = (matches.size() + columns - 1) / columns;
  std::string text;
  for (std::size_t row = 0; row < rows; ++row) {
    std::string line;
    for (std::size_t index = row; index < matches.size(); index += rows) {
      line += matches[index];
      line.append(columnWidth - matches[index].size(), ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line;
    text += '\n';
  }
  return text;
}
