#include "console/history_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <iterator>
#include <new>
#include <optional>
#include <utility>

#include "console/messages.h"
#include "console/posix_io.h"
#include "text/wide_string.h"

namespace {

/// How much of the file is read or written at a time.
constexpr std::size_t BLOCK = 1 << 16;

/// Returns the environment variable `name`, or null when unset or when the
/// program runs with privileges its user does not have (a setuid copy must
/// not be steered to write where the user chooses).
const char* environment(const char* name) { return ::secure_getenv(name); }

/// Waits for the lock `how` (LOCK_EX or LOCK_SH) on the file open as `fd`.
/// Where the file system keeps no such locks (some network ones, or a lock
/// for writing on a file open for reading only), lines are still written,
/// only without the guard against another session's trim at that moment.
void lockFile(int fd, int how) {
  while (::flock(fd, how) != 0 && errno == EINTR) {
  }
}

/// Returns the directory that holds `path`.
std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

/// Returns why a file or directory of `status` is not the user's to keep a
/// history in (another user owns it or may write it), or nullopt when it
/// is. Directories owned by root, such as /tmp's parent, are the system's.
std::optional<HistoryRefusal> foreign(const struct stat& status, bool rootMayOwn) {
  if (status.st_uid != ::geteuid() && !(rootMayOwn && status.st_uid == 0)) {
    return HistoryRefusal::OWNED_BY_ANOTHER;
  }
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return HistoryRefusal::WRITABLE_BY_OTHERS;
  }
  return std::nullopt;
}

/// What reading a whole file found.
struct Reading {
  std::deque<std::string> lines;  // its last CAPACITY entries, oldest first
  std::size_t entries = 0;        // how many of its lines are entries
  off_t end = 0;                  // how many bytes it holds
  off_t complete = 0;             // how many up to and with its last line end
  int error = 0;                  // the errno of a failed read, or 0
};

/// Reads the file open as `fd` from its start, a block at a time, holding
/// no more than CAPACITY lines of MAX_LINE bytes however large it is. A
/// line is an entry unless it is empty or longer than MAX_LINE; a carriage
/// return before its line end is no part of it.
Reading readEntries(int fd) {
  Reading reading;
  std::string line;
  bool overlong = false;
  char block[BLOCK];
  for (;;) {
    const ReadOutcome got = readAt(fd, block, sizeof block, reading.end);
    if (got.error != 0) {
      reading.error = got.error;
      return reading;
    }
    if (got.count == 0) {
      return reading;
    }
    reading.end += static_cast<off_t>(got.count);
    std::string_view rest(block, got.count);
    while (!rest.empty()) {
      const std::size_t newline = rest.find('\n');
      const std::string_view piece = rest.substr(0, newline);
      // One byte more than MAX_LINE leaves room for a carriage return.
      if (overlong || line.size() + piece.size() > HistoryFile::MAX_LINE + 1) {
        overlong = true;
        line.clear();
      } else {
        line.append(piece);
      }
      if (newline == std::string_view::npos) {
        break;
      }
      rest.remove_prefix(newline + 1);
      reading.complete = reading.end - static_cast<off_t>(rest.size());
      line.resize(withoutLineEnd(line).size());
      if (!overlong && !line.empty() && line.size() <= HistoryFile::MAX_LINE) {
        ++reading.entries;
        if (reading.lines.size() == HistoryFile::CAPACITY) {
          reading.lines.pop_front();
        }
        reading.lines.push_back(line);  // a copy, no larger than the line
      }
      line.clear();
      overlong = false;
    }
  }
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

HistoryFile::HistoryFile(std::string path) : path_(std::move(path)) {}

HistoryFile::~HistoryFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

std::vector<std::string> HistoryFile::load() {
  std::vector<std::string> lines;
  if (path_.empty() || !open() || !lockCurrent()) {
    return lines;
  }
  settle(&lines, CAPACITY);
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
  }
  return lines;
}

void HistoryFile::append(std::string_view line) {
  if (fd_ < 0 || !writable_ || line.empty() || line.size() > MAX_LINE || !lockCurrent()) {
    return;
  }
  // When another session has written since this one last looked, its lines
  // count too, and a line it left unfinished must go before this one.
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || status.st_size != size_) {
    settle(nullptr, CAPACITY + SLACK);
  }
  if (fd_ >= 0 && writable_) {
    std::string text(line);
    text.push_back('\n');
    if (const int error = writeAll(fd_, text.data(), text.size())) {
      stop(path_, error);
      return;
    }
    ++entries_;
    size_ += static_cast<off_t>(text.size());
    if (entries_ > CAPACITY + SLACK) {
      settle(nullptr, CAPACITY + SLACK);
    }
  }
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
  }
}

bool HistoryFile::open() {
  // Each missing directory on the way is made private to the user, as the
  // lines typed may be worth keeping to oneself. One that cannot be made
  // is the reason the file cannot be opened.
  for (std::size_t slash = path_.find('/', 1); slash != std::string::npos;
       slash = path_.find('/', slash + 1)) {
    const std::string directory = path_.substr(0, slash);
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
      warn(historyFailure(directory, errno));
      return false;
    }
  }
  // A symbolic link stays: the file it names is used, and trimmed, in its
  // place. The link must be the user's own, or whoever made it chooses
  // which of the user's files the lines are written into.
  struct stat status {};
  target_ = path_;
  if (::lstat(path_.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
    if (status.st_uid != ::geteuid()) {
      warn(historyFailure(path_, HistoryRefusal::OWNED_BY_ANOTHER));
      return false;
    }
    char* const real = ::realpath(path_.c_str(), nullptr);
    if (real == nullptr) {
      warn(historyFailure(path_, errno));
      return false;
    }
    target_ = real;
    std::free(real);
  }
  // Whoever else may write the directory may also put a file or a link of
  // theirs where the history, or the trim's new copy of it, is written.
  for (const std::string& directory : {directoryOf(path_), directoryOf(target_)}) {
    if (::stat(directory.c_str(), &status) != 0) {
      warn(historyFailure(directory, errno));
      return false;
    }
    if (const std::optional<HistoryRefusal> why = foreign(status, /*rootMayOwn=*/true)) {
      warn(historyFailure(directory, *why));
      return false;
    }
  }
  // A FIFO or a device is not even opened: some would wait for a peer, and
  // opening others has effects of its own.
  if (::stat(target_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    warn(S_ISDIR(status.st_mode) ? historyFailure(path_, EISDIR)
                                 : historyFailure(path_, HistoryRefusal::NOT_REGULAR));
    return false;
  }
  fd_ = openTarget(&writable_);
  return fd_ >= 0;
}

int HistoryFile::openTarget(bool* writable) {
  // Should a FIFO or a device have taken the file's place since it was
  // looked at, O_NONBLOCK keeps the opening from waiting; it is refused
  // below. A file that may be read but not written is still recalled.
  constexpr int FLAGS = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = ::open(target_.c_str(), O_RDWR | O_APPEND | O_CREAT | FLAGS, 0600);
  const int error = errno;
  *writable = fd >= 0;
  if (fd < 0 && (error == EACCES || error == EPERM || error == EROFS)) {
    fd = ::open(target_.c_str(), O_RDONLY | FLAGS);
  }
  if (fd < 0) {
    warn(historyFailure(path_, error));
    return -1;
  }
  struct stat status {};
  std::string why;
  if (::fstat(fd, &status) != 0) {
    why = historyFailure(path_, errno);
  } else if (S_ISDIR(status.st_mode)) {
    why = historyFailure(path_, EISDIR);
  } else if (!S_ISREG(status.st_mode)) {
    why = historyFailure(path_, HistoryRefusal::NOT_REGULAR);
  } else if (const std::optional<HistoryRefusal> refusal = foreign(status, /*rootMayOwn=*/false)) {
    why = historyFailure(path_, *refusal);
  } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    why = historyFailure(path_, errno);
  }
  if (!why.empty()) {
    ::close(fd);
    warn(std::move(why));
    return -1;
  }
  if (!*writable) {
    warn(historyReadOnlyFailure(path_, error));
  }
  return fd;
}

bool HistoryFile::lockCurrent() {
  // A trim renames a new file over the old one, which other sessions may
  // still hold open. Each takes the lock on the file it holds and only
  // then compares it with the one the name leads to: the trim keeps the
  // lock from its reading to its rename, so a line is written either
  // before the reading, and kept in the new file, or into the new file.
  for (;;) {
    lockFile(fd_, writable_ ? LOCK_EX : LOCK_SH);
    struct stat held {};
    struct stat named {};
    if (::fstat(fd_, &held) == 0 && ::stat(target_.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      return true;
    }
    const int fresh = openTarget(&writable_);
    ::close(fd_);
    fd_ = fresh;
    size_ = -1;
    if (fd_ < 0) {
      return false;
    }
  }
}

void HistoryFile::settle(std::vector<std::string>* lines, std::size_t limit) {
  // The memory a reading takes is bounded, but a tight limit may still
  // refuse it; the session then goes on without the file.
  Reading reading;
  try {
    reading = readEntries(fd_);
  } catch (const std::bad_alloc&) {
    reading.error = ENOMEM;
  }
  if (reading.error != 0) {
    stop(path_, reading.error);
    return;
  }
  // A last line without its line end was cut short (a full disk, a session
  // that died writing it); the next line written would be glued to it.
  if (writable_ && reading.complete < reading.end) {
    if (::ftruncate(fd_, reading.complete) != 0) {
      stop(path_, errno);
      return;
    }
    reading.end = reading.complete;
  }
  entries_ = reading.entries;
  size_ = reading.end;
  std::vector<std::string> kept(std::make_move_iterator(reading.lines.begin()),
                                std::make_move_iterator(reading.lines.end()));
  if (writable_ && entries_ > limit) {
    rewrite(kept);
  }
  if (lines != nullptr) {
    *lines = std::move(kept);
  }
}

void HistoryFile::rewrite(const std::vector<std::string>& lines) {
  // The cut is written to a new file beside the old one and renamed over
  // it, rather than written over the old file in place: a failure part way
  // (a full disk, a crash) then leaves the old file whole. The new file's
  // name is one nobody can know in advance, created only where nothing is,
  // never through a link. Sessions holding the old file open find the new
  // one by the lock (lockCurrent).
  std::string aside = target_ + ".XXXXXX";
  const int fd = ::mkostemp(aside.data(), O_CLOEXEC);
  if (fd < 0) {
    warn(historyFailure(directoryOf(target_), errno));
    return;
  }
  int error = ::fchmod(fd, 0600) != 0 ? errno : 0;
  std::string text;
  off_t size = 0;
  for (std::size_t i = 0; i < lines.size() && error == 0; ++i) {
    text += lines[i];
    text += '\n';
    if (text.size() >= BLOCK || i + 1 == lines.size()) {
      error = writeAll(fd, text.data(), text.size());
      size += static_cast<off_t>(text.size());
      text.clear();
    }
  }
  if (error == 0 && ::fdatasync(fd) != 0) {
    error = errno;
  }
  if (::close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && ::rename(aside.c_str(), target_.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(aside.c_str());
    warn(historyFailure(path_, error));
    return;
  }
  // Closing the old file lets the sessions waiting for its lock go on to
  // the new one, where this session's lines now go too, under its lock.
  const int fresh = openTarget(&writable_);
  ::close(fd_);
  fd_ = fresh;
  entries_ = lines.size();
  size_ = size;
  if (fd_ >= 0) {
    lockCurrent();
  }
}

std::string HistoryFile::takeFailure() { return std::exchange(failure_, std::string()); }

void HistoryFile::stop(const std::string& where, int error) {
  warn(historyFailure(where, error));
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

void HistoryFile::warn(std::string failure) {
  if (warned_) {
    return;
  }
  warned_ = true;
  failure_ = std::move(failure);
}
