#include "console/input_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "console/messages.h"

bool readsOwnOutput(int fd) {
  struct stat input;
  struct stat output;
  if (fstat(fd, &input) != 0 || fstat(STDOUT_FILENO, &output) != 0) {
    return false;
  }
  if (input.st_dev != output.st_dev || input.st_ino != output.st_ino) {
    return false;
  }
  if (S_ISFIFO(input.st_mode)) {
    // The pipe standard output writes into: what we read back is our own
    // answers, taken from the reader they were meant for.
    return true;
  }
  if (!S_ISREG(input.st_mode)) {
    return false;  // a terminal or /dev/null gives what is typed, or nothing
  }
  // Reading an empty file, or one already read to its end, is harmless
  // ("zorvex <f >f" truncates f first).
  const off_t position = lseek(fd, 0, SEEK_CUR);
  return position >= 0 && position < output.st_size;
}

std::optional<OpenedFile> InputFiles::next() {
  if (next_ == names_.size()) {
    return std::nullopt;
  }
  const std::string& name = names_[next_++];
  OpenedFile opened{InputFile{STDIN_FILENO, name, false}, ""};
  InputFile& file = opened.file;
  if (name != "-") {
    file.fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    file.owned = true;
  }
  int error = file.fd < 0 ? errno : 0;
  struct stat status;
  if (error == 0 && fstat(file.fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    error = EISDIR;  // as a read would fail, but before anything is read
  }
  if (error == 0 && readsOwnOutput(file.fd)) {
    opened.failure = inputIsOutputFailure(name);
  } else if (error != 0) {
    opened.failure = fileFailure(name, error);
  }
  if (!opened.failure.empty() && file.owned && file.fd >= 0) {
    ::close(file.fd);
    file.fd = -1;
  }
  return opened;
}
