#ifndef ZORVEX_CONSOLE_CONSOLE_TEST_UTIL_H_
#define ZORVEX_CONSOLE_CONSOLE_TEST_UTIL_H_

#include <fstream>
#include <sstream>
#include <string>

/// Returns the whole content of the file at `path`, or "" when it is missing.
inline std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

/// The banner every dialogue starts with, from the tests' own copy of it.
inline std::string expectedBanner() { return fileText(ZORVEX_TEST_BANNER); }

/// The screen a command prints, as the end-to-end transcript of that
/// command records it: what the transcript's output holds between its
/// first prompt and the next.
inline std::string expectedScreen(const std::string& transcript) {
  const std::string out =
      fileText(std::string(ZORVEX_TEST_TRANSCRIPTS) + "/" + transcript + ".out");
  const std::size_t next = out.find("\n> ", 2);
  return next == std::string::npos ? "" : out.substr(2, next - 1);
}

#endif  // ZORVEX_CONSOLE_CONSOLE_TEST_UTIL_H_
