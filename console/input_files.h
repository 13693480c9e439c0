#ifndef ZORVEX_CONSOLE_INPUT_FILES_H_
#define ZORVEX_CONSOLE_INPUT_FILES_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "console/fd_streams.h"

class OutputBuffer;

/// Returns true when reading `fd` would read what the program writes:
/// standard output is the same pipe, or the same regular file with part of
/// it still unread, so the program would go on reading its own answers.
bool readsOwnOutput(int fd);

/// The FILE operands, opened one after another as the input reaches them.
/// A file that cannot be read is reported ("zorvex: NAME: REASON") and
/// passed over, as the remaining files are still read.
class InputFiles {
 public:
  /// Files named by `names` ("-": standard input); reports go to `err`.
  InputFiles(std::vector<std::string> names, OutputBuffer& err)
      : names_(std::move(names)), err_(err) {}

  /// Returns the next file that could be opened, or nullopt after the last.
  std::optional<InputFile> next();
  /// Reports that the file `name` could not be read (`error` is the errno)
  /// and counts it as failed.
  void readFailed(const std::string& name, int error);
  /// Returns true once any file could not be opened or read.
  bool anyFailed() const { return anyFailed_; }

 private:
  std::vector<std::string> names_;
  std::size_t next_ = 0;
  OutputBuffer& err_;
  bool anyFailed_ = false;
};

#endif  // ZORVEX_CONSOLE_INPUT_FILES_H_
