#ifndef ZORVEX_CONSOLE_HISTORY_FILE_H_
#define ZORVEX_CONSOLE_HISTORY_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class OutputBuffer;

/// The lines typed at a terminal, kept in a file from one session to the
/// next: one line each, appended as they are entered. Each line goes out
/// in one write to a file opened for appending, so two sessions at once
/// lose neither's lines. A file that cannot be read or written never stops
/// the session: the first problem is reported once and the history is
/// then kept in memory only.
class HistoryFile {
 public:
  /// How many lines are kept.
  static constexpr std::size_t CAPACITY = 1000;

  /// Returns the file the environment names: $ZORVEX_HISTORY when set ("",
  /// keep none, when it is empty), else $XDG_STATE_HOME/zorvex/history,
  /// else $HOME/.local/state/zorvex/history, else "" when HOME is unset.
  static std::string pathFromEnvironment();

  /// A history kept in `path` (none when empty); problems go to `err`.
  HistoryFile(std::string path, OutputBuffer& err);
  ~HistoryFile();
  HistoryFile(const HistoryFile&) = delete;
  HistoryFile& operator=(const HistoryFile&) = delete;

  /// Opens the file, creating it (mode 0600) and its missing directories
  /// (mode 0700); returns its last CAPACITY lines, oldest first, without
  /// empty ones. A file grown past twice CAPACITY is cut back to CAPACITY.
  std::vector<std::string> load();
  /// Appends `line` and a line end to the file in one write.
  void append(std::string_view line);

 private:
  void makeDirectories();
  void trim(const std::vector<std::string>& kept);
  void warn(int error);

  std::string path_;
  OutputBuffer& err_;
  int fd_ = -1;
  bool warned_ = false;
};

#endif  // ZORVEX_CONSOLE_HISTORY_FILE_H_
