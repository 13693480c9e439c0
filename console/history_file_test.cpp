#include "console/history_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/memory_streams.h"

namespace {

/// A directory of its own for each test, removed afterwards.
class HistoryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zorvex-history-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static mode_t modeOf(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
  }
  static std::string contentsOf(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_;
};

TEST_F(HistoryFileTest, KeepsLinesInAPrivateFileAcrossSessions) {
  const std::string path = dir_ + "/state/zorvex/history";
  MemoryOutputBuffer err;
  {
    HistoryFile history(path, err);
    EXPECT_TRUE(history.load().empty());
    history.append("1+2");
    history.append("x = 4");
  }
  EXPECT_EQ(modeOf(path), 0600u);
  EXPECT_EQ(modeOf(dir_ + "/state"), 0700u);
  EXPECT_EQ(modeOf(dir_ + "/state/zorvex"), 0700u);
  HistoryFile again(path, err);
  EXPECT_EQ(again.load(), (std::vector<std::string>{"1+2", "x = 4"}));
  EXPECT_EQ(err.text(), "");
}

TEST_F(HistoryFileTest, TwoSessionsAtOnceLoseNeithersLines) {
  const std::string path = dir_ + "/history";
  MemoryOutputBuffer err;
  HistoryFile first(path, err);
  HistoryFile second(path, err);
  first.load();
  second.load();
  first.append("1");
  second.append("2");
  first.append("3");
  EXPECT_EQ(contentsOf(path), "1\n2\n3\n");
}

TEST_F(HistoryFileTest, KeepsTheLastLinesUpToItsCapacity) {
  const std::string path = dir_ + "/history";
  const std::size_t cap = HistoryFile::CAPACITY;
  struct Case {
    std::size_t written;  // lines in the file before loading
    bool cut;             // whether loading cuts the file back
  } cases[] = {{cap, false}, {cap + 1, false}, {2 * cap, false}, {2 * cap + 1, true}};
  for (const auto& c : cases) {
    {
      std::ofstream out(path, std::ios::trunc);
      for (std::size_t i = 0; i < c.written; ++i) {
        out << i << "\n";
      }
    }
    MemoryOutputBuffer err;
    HistoryFile history(path, err);
    const std::vector<std::string> lines = history.load();
    ASSERT_EQ(lines.size(), std::min(c.written, cap)) << c.written;
    EXPECT_EQ(lines.front(), std::to_string(c.written - lines.size())) << c.written;
    EXPECT_EQ(lines.back(), std::to_string(c.written - 1)) << c.written;
    history.append("last");
    const std::string text = contentsOf(path);
    const auto kept = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(kept, (c.cut ? cap : c.written) + 1) << c.written;
    EXPECT_EQ(text.substr(text.size() - 5), "last\n") << c.written;
    EXPECT_EQ(err.text(), "") << c.written;
  }
}

TEST_F(HistoryFileTest, AFileThatCannotBeUsedIsReportedOnce) {
  struct Case {
    std::string path;
    std::string err;
  } cases[] = {
      // A directory where the file should be: it can be neither read nor written.
      {dir_, "zorvex: history: " + dir_ + ": Is a directory\n"},
      // A file that is opened but refuses every line (and is not read).
      {"/dev/full", "zorvex: history: /dev/full: No space left on device\n"},
  };
  for (const auto& c : cases) {
    MemoryOutputBuffer err;
    HistoryFile history(c.path, err);
    EXPECT_TRUE(history.load().empty()) << c.path;
    history.append("1+2");
    history.append("3");
    EXPECT_EQ(err.text(), c.err);
  }
}

TEST_F(HistoryFileTest, TheEnvironmentNamesTheFile) {
  struct Case {
    const char* zorvexHistory;  // null: unset
    const char* xdgStateHome;
    const char* home;
    std::string path;
  } cases[] = {
      {"/a/h", "/s", "/home/u", "/a/h"},
      {"", "/s", "/home/u", ""},  // set but empty: none kept
      {nullptr, "/s", "/home/u", "/s/zorvex/history"},
      {nullptr, "relative", "/home/u", "/home/u/.local/state/zorvex/history"},
      {nullptr, nullptr, "/home/u", "/home/u/.local/state/zorvex/history"},
      {nullptr, nullptr, nullptr, ""},
  };
  auto put = [](const char* name, const char* value) {
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
  };
  const char* home = std::getenv("HOME");
  const std::string savedHome = home != nullptr ? home : "";
  for (const auto& c : cases) {
    put("ZORVEX_HISTORY", c.zorvexHistory);
    put("XDG_STATE_HOME", c.xdgStateHome);
    put("HOME", c.home);
    EXPECT_EQ(HistoryFile::pathFromEnvironment(), c.path) << c.path;
  }
  unsetenv("ZORVEX_HISTORY");
  unsetenv("XDG_STATE_HOME");
  put("HOME", home != nullptr ? savedHome.c_str() : nullptr);
}

TEST_F(HistoryFileTest, NoFileKeepsNothing) {
  MemoryOutputBuffer err;
  HistoryFile history("", err);
  EXPECT_TRUE(history.load().empty());
  history.append("1+2");
  EXPECT_EQ(err.text(), "");
}

}  // namespace
