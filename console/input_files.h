#ifndef ZORVEX_CONSOLE_INPUT_FILES_H_
#define ZORVEX_CONSOLE_INPUT_FILES_H_

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console/fd_streams.h"

/// Returns true when reading `fd` would read what the program writes:
/// standard output is the same pipe, or the same regular file with part of
/// it still unread, so the program would go on reading its own answers.
bool readsOwnOutput(int fd);

/// One FILE operand opened: the file to read, or why it cannot be read.
struct OpenedFile {
  InputFile file;
  std::string failure;  // "NAME: REASON" when the file cannot be read, else ""
};

/// The FILE operands, opened one after another as the input reaches them.
/// A file that cannot be read is handed back with the reason, for the
/// caller to report and pass over, as the remaining files are still read.
class InputFiles {
 public:
  /// Files named by `names` ("-": standard input).
  explicit InputFiles(std::vector<std::string> names) : names_(std::move(names)) {}

  /// Returns the next operand opened, or why it could not be; nullopt
  /// after the last.
  std::optional<OpenedFile> next();

 private:
  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

#endif  // ZORVEX_CONSOLE_INPUT_FILES_H_
