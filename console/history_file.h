#ifndef ZORVEX_CONSOLE_HISTORY_FILE_H_
#define ZORVEX_CONSOLE_HISTORY_FILE_H_

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// Why a file or a directory is not used for the history although it is
/// there: letting it hold the lines would let someone else choose where
/// they are written or read them, or could hang or harm the session.
enum class HistoryRefusal {
  NOT_REGULAR,         // a FIFO, a device or a socket
  OWNED_BY_ANOTHER,    // another user's file or symbolic link
  WRITABLE_BY_OTHERS,  // a file or directory that others may write
};

/// The lines typed at a terminal, kept in a file from one session to the
/// next: one line each, appended as they are entered, the file never
/// holding more than the last CAPACITY + SLACK of them. Each line goes out in one
/// write under a lock that every session takes, so sessions at once lose
/// none of each other's lines. Only a regular file that the user owns, in
/// a directory nobody else can write, is used. A file that cannot be read
/// or written never stops the session: the first problem is kept for the
/// caller to report, and the history is then kept in memory only.
class HistoryFile {
 public:
  /// How many lines the file keeps: the last ones entered.
  static constexpr std::size_t CAPACITY = 1000;
  /// How many lines beyond CAPACITY the file may hold in a session before it
  /// is cut back to CAPACITY: cutting it back rewrites and syncs the whole
  /// file, which after every line would make a pasted block crawl.
  static constexpr std::size_t SLACK = 100;
  /// The longest line the file keeps, in bytes; a longer one is recalled
  /// in its own session only.
  static constexpr std::size_t MAX_LINE = 64 * 1024;

  /// Returns the file the environment names: $ZORVEX_HISTORY when set ("",
  /// keep none, when it is empty), else $XDG_STATE_HOME/zorvex/history,
  /// else $HOME/.local/state/zorvex/history, else "" when HOME is unset or
  /// empty.
  static std::string pathFromEnvironment();

  /// A history kept in `path` (none when empty).
  explicit HistoryFile(std::string path);
  ~HistoryFile();
  HistoryFile(const HistoryFile&) = delete;
  HistoryFile& operator=(const HistoryFile&) = delete;

  /// Opens the file, creating it (mode 0600) and its missing directories
  /// (mode 0700); returns its last CAPACITY lines, oldest first, without
  /// empty, overlong or unfinished ones. A file holding more is cut back.
  std::vector<std::string> load();
  /// Appends `line` and a line end to the file in one write, unless it is
  /// empty or longer than MAX_LINE; cuts the file back to CAPACITY lines
  /// once it holds more than CAPACITY + SLACK.
  void append(std::string_view line);
  /// Returns the first problem met ("history: WHERE: REASON") the first
  /// time it is asked after that problem, else "": each is reported once.
  std::string takeFailure();

 private:
  // Checks the file and its directory and opens it as fd_.
  bool open();
  // Opens target_ once more, checked; returns the descriptor or -1.
  int openTarget(bool* writable);
  // Locks fd_, first reopening it when a trim has replaced the file.
  bool lockCurrent();
  // Reads the file, drops an unfinished last line, cuts it back to CAPACITY
  // lines when it holds more than `limit`; returns the last CAPACITY lines.
  void settle(std::vector<std::string>* lines, std::size_t limit);
  // Replaces the file with `lines`.
  void rewrite(const std::vector<std::string>& lines);
  // Notes `error` and stops keeping lines.
  void stop(const std::string& where, int error);
  // Notes `failure` unless a problem was met before.
  void warn(std::string failure);

  std::string path_;    // as named
  std::string target_;  // the file itself, symbolic links resolved
  int fd_ = -1;
  bool writable_ = false;
  std::size_t entries_ = 0;  // lines in the file when last looked at
  off_t size_ = -1;          // and its size then, -1 when not known
  bool warned_ = false;      // a problem has been met
  std::string failure_;      // the first problem, until it is taken
};

#endif  // ZORVEX_CONSOLE_HISTORY_FILE_H_
