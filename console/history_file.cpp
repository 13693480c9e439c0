#include "console/history_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "console/messages.h"

namespace {

/// Returns the environment variable `name`, or null when unset.
const char* environment(const char* name) { return std::getenv(name); }

/// Writes all of `text` to `fd`, in one write when the system allows it;
/// returns 0 or the errno of the failure.
int writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = ::write(fd, text.data(), text.size());
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return 0;
}

}  // namespace

std::string HistoryFile::pathFromEnvironment() {
  if (const char* named = environment("ZORVEX_HISTORY")) {
    return named;
  }
  const char* state = environment("XDG_STATE_HOME");
  // A relative XDG directory is to be ignored, as if it were unset.
  if (state != nullptr && state[0] == '/') {
    return std::string(state) + "/zorvex/history";
  }
  const char* home = environment("HOME");
  if (home == nullptr || home[0] == '\0') {
    return "";
  }
  return std::string(home) + "/.local/state/zorvex/history";
}

HistoryFile::HistoryFile(std::string path, OutputBuffer& err) : path_(std::move(path)), err_(err) {}

HistoryFile::~HistoryFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

std::vector<std::string> HistoryFile::load() {
  std::vector<std::string> lines;
  if (path_.empty()) {
    return lines;
  }
  makeDirectories();
  fd_ = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    warn(errno);
    return lines;
  }
  // Only a regular file holds past lines: a device such as /dev/null is
  // written to but never read, since some never end.
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    return lines;
  }
  std::string text;
  char block[1 << 14];
  for (;;) {
    const ssize_t got = ::read(fd_, block, sizeof block);
    if (got == 0) {
      break;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      warn(errno);
      return {};
    }
    text.append(block, static_cast<std::size_t>(got));
  }
  std::size_t count = 0;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) {
      end = text.size();
    }
    if (end > begin) {
      lines.emplace_back(text, begin, end - begin);
    }
    ++count;
    begin = end + 1;
  }
  if (lines.size() > CAPACITY) {
    lines.erase(lines.begin(), lines.end() - CAPACITY);
  }
  if (count > 2 * CAPACITY) {
    trim(lines);
  }
  return lines;
}

void HistoryFile::append(std::string_view line) {
  if (fd_ < 0) {
    return;
  }
  std::string text(line);
  text.push_back('\n');
  if (const int error = writeAll(fd_, text)) {
    warn(error);
    ::close(fd_);
    fd_ = -1;
  }
}

void HistoryFile::makeDirectories() {
  // Each missing directory on the way is made private to the user, as the
  // lines typed may be worth keeping to oneself.
  for (std::size_t slash = path_.find('/', 1); slash != std::string::npos;
       slash = path_.find('/', slash + 1)) {
    const std::string directory = path_.substr(0, slash);
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
      return;  // opening the file says what is wrong
    }
  }
}

void HistoryFile::trim(const std::vector<std::string>& kept) {
  // The cut is written aside and renamed over the file, so a failure part
  // way leaves the old file whole. Lines another session appends to the
  // old file between the read and the rename are lost; cutting only when
  // the file has doubled keeps that rare.
  const std::string aside = path_ + ".new";
  const int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    warn(errno);
    return;
  }
  std::string text;
  for (const std::string& line : kept) {
    text += line;
    text += '\n';
  }
  int error = writeAll(fd, text);
  if (::close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && ::rename(aside.c_str(), path_.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(aside.c_str());
    warn(error);
    return;
  }
  // Lines entered from now on go to the cut file.
  const int fresh = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
  if (fresh >= 0) {
    ::close(fd_);
    fd_ = fresh;
  }
}

void HistoryFile::warn(int error) {
  if (warned_) {
    return;
  }
  warned_ = true;
  const std::string what = std::string(HISTORY) + ": " + path_;
  reportFailure(err_, what, std::strerror(error));
}
