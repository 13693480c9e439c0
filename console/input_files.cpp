#include "console/input_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "console/messages.h"

OwnOutput ownOutputOf(int fd) {
  struct stat input;
  struct stat output;
  if (fstat(fd, &input) != 0 || fstat(STDOUT_FILENO, &output) != 0) {
    return OwnOutput::NONE;
  }
  if (input.st_dev != output.st_dev || input.st_ino != output.st_ino) {
    return OwnOutput::NONE;
  }
  if (S_ISFIFO(input.st_mode)) {
    // The pipe standard output writes into: what we read back is our own
    // answers, taken from the reader they were meant for.
    return OwnOutput::LEFT_TO_READ;
  }
  if (!S_ISREG(input.st_mode)) {
    return OwnOutput::NONE;  // a terminal or /dev/null gives what is typed, or nothing
  }
  // Reading an empty file, or one already read to its end, reads nothing
  // of the program's ("zorvex <f >f" truncates f first) until it writes.
  const off_t position = lseek(fd, 0, SEEK_CUR);
  return position >= 0 && position < output.st_size ? OwnOutput::LEFT_TO_READ
                                                    : OwnOutput::READ_TO_END;
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
