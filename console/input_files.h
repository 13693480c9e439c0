#ifndef ZORVEX_CONSOLE_INPUT_FILES_H_
#define ZORVEX_CONSOLE_INPUT_FILES_H_

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console/fd_streams.h"

/// How reading a descriptor stands to what the program writes.
enum class OwnOutput {
  NONE,          // another file, a terminal, /dev/null: read as it is
  LEFT_TO_READ,  // standard output's pipe, or its regular file with part of
                 // it still unread: the program would read its own answers
  READ_TO_END,   // standard output's regular file, read to its end: all it
                 // could give from now on is what the program writes
};

/// Returns how reading `fd` stands to standard output.
OwnOutput ownOutputOf(int fd);

/// Returns true when reading `fd` would read what the program writes.
inline bool readsOwnOutput(int fd) { return ownOutputOf(fd) == OwnOutput::LEFT_TO_READ; }

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
