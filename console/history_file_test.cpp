#include "console/history_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

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
  static void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }
  /// The lines "0", "1", ... up to `count` - 1, each with its line end.
  static std::string numbered(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
      text += std::to_string(i) + "\n";
    }
    return text;
  }
  static std::size_t linesIn(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  }
  /// The names in the test's directory.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      found.push_back(entry.path().filename());
    }
    std::sort(found.begin(), found.end());
    return found;
  }
  /// Ends a child process, exit status 0 when `check` returns "", else 1
  /// with what it returned on standard error. Root may write any file, so
  /// the child first becomes the unprivileged user 65534, the test's
  /// directory given to it.
  [[noreturn]] void asOrdinaryUser(const std::function<std::string()>& check) const {
    if (geteuid() == 0 && (chown(dir_.c_str(), 65534, 65534) != 0 || setgroups(0, nullptr) != 0 ||
                           setgid(65534) != 0 || setuid(65534) != 0)) {
      std::fputs("could not become user 65534\n", stderr);
      std::_Exit(2);
    }
    const std::string failure = check();
    std::fputs(failure.c_str(), stderr);
    std::_Exit(failure.empty() ? 0 : 1);
  }

  std::string dir_;
};

TEST_F(HistoryFileTest, KeepsLinesInAPrivateFileAcrossSessions) {
  const std::string path = dir_ + "/state/zorvex/history";
  {
    HistoryFile history(path);
    EXPECT_TRUE(history.load().empty());
    history.append("1+2");
    history.append("x = 4");
    EXPECT_EQ(history.takeFailure(), "");
  }
  EXPECT_EQ(modeOf(path), 0600u);
  EXPECT_EQ(modeOf(dir_ + "/state"), 0700u);
  EXPECT_EQ(modeOf(dir_ + "/state/zorvex"), 0700u);
  HistoryFile again(path);
  EXPECT_EQ(again.load(), (std::vector<std::string>{"1+2", "x = 4"}));
  EXPECT_EQ(again.takeFailure(), "");
}

TEST_F(HistoryFileTest, TwoSessionsAtOnceLoseNeithersLines) {
  const std::string path = dir_ + "/history";
  HistoryFile first(path);
  HistoryFile second(path);
  first.load();
  second.load();
  first.append("1");
  second.append("2");
  first.append("3");
  EXPECT_EQ(contentsOf(path), "1\n2\n3\n");
}

TEST_F(HistoryFileTest, KeepsTheLastThousandLines) {
  const std::string path = dir_ + "/history";
  struct Case {
    std::size_t written;      // lines "0", "1", ... in the file before loading
    std::size_t added;        // lines "last" added after loading
    std::size_t loaded;       // how many loading returns
    std::size_t firstLoaded;  // the first of them
    std::size_t kept;         // lines in the file after the lines are added
    std::size_t firstKept;    // the first of them
  } cases[] = {
      {999, 1, 999, 0, 1000, 0},         {1000, 1, 1000, 0, 1001, 0},
      {1001, 1, 1000, 1, 1001, 1},       {2000, 1, 1000, 1000, 1001, 1000},
      {2001, 1, 1000, 1001, 1001, 1001}, {1000, 100, 1000, 0, 1100, 0},
      {1000, 101, 1000, 0, 1000, 101},   {1050, 101, 1000, 50, 1000, 151},
  };
  // The cut file is made with the mode asked for, whatever the umask.
  struct NoUmask {
    mode_t before = umask(0);
    ~NoUmask() { umask(before); }
  } noUmask;
  for (const auto& c : cases) {
    write(path, numbered(c.written));
    chmod(path.c_str(), 0600);
    HistoryFile history(path);
    const std::vector<std::string> lines = history.load();
    ASSERT_EQ(lines.size(), c.loaded) << c.written;
    EXPECT_EQ(lines.front(), std::to_string(c.firstLoaded)) << c.written;
    EXPECT_EQ(lines.back(), std::to_string(c.written - 1)) << c.written;
    EXPECT_EQ(linesIn(contentsOf(path)), c.loaded) << c.written;
    for (std::size_t i = 0; i < c.added; ++i) {
      history.append("last");
    }
    const std::string text = contentsOf(path);
    EXPECT_EQ(linesIn(text), c.kept) << c.written << " + " << c.added;
    EXPECT_EQ(text.substr(0, text.find('\n')), std::to_string(c.firstKept))
        << c.written << " + " << c.added;
    EXPECT_EQ(text.substr(text.size() - 5), "last\n") << c.written;
    EXPECT_EQ(modeOf(path), 0600u) << c.written;
    EXPECT_EQ(names(), std::vector<std::string>{"history"}) << c.written;
    EXPECT_EQ(history.takeFailure(), "") << c.written;
  }
}

TEST_F(HistoryFileTest, LoadsOnlyWholeLinesAndWritesNoneGluedToATornOne) {
  const std::string path = dir_ + "/history";
  const std::string longest(65536, 'x');
  const std::string tooLong(65537, 'y');
  struct Case {
    std::string before;
    std::vector<std::string> loaded;
    std::string after;  // the file once "z" is added
  } cases[] = {
      {"1\n\n2\n", {"1", "2"}, "1\n\n2\nz\n"},
      {"1+2\r\nexit\r\n", {"1+2", "exit"}, "1+2\r\nexit\r\nz\n"},
      // Cut short by a full disk: the torn line is neither recalled nor
      // continued by the next one.
      {"1\n4*5", {"1"}, "1\nz\n"},
      {"4*5", {}, "z\n"},
      {"a\n" + tooLong + "\nb\n", {"a", "b"}, "a\n" + tooLong + "\nb\nz\n"},
      {longest + "\r\n", {longest}, longest + "\r\nz\n"},
  };
  // Compared as a whole, as the long lines are too long to show.
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    write(path, cases[i].before);
    HistoryFile history(path);
    EXPECT_TRUE(history.load() == cases[i].loaded) << "case " << i;
    history.append("z");
    EXPECT_TRUE(contentsOf(path) == cases[i].after) << "case " << i;
    EXPECT_EQ(history.takeFailure(), "") << "case " << i;
  }
}

TEST_F(HistoryFileTest, WritesNeitherEmptyNorOverlongLines) {
  const std::string path = dir_ + "/history";
  HistoryFile history(path);
  history.load();
  const std::string longest(65536, 'x');
  for (const std::string& line : {std::string(), std::string("1"), longest, longest + "y"}) {
    history.append(line);
  }
  EXPECT_TRUE(contentsOf(path) == "1\n" + longest + "\n");
  HistoryFile again(path);
  EXPECT_TRUE(again.load() == (std::vector<std::string>{"1", longest}));
  EXPECT_EQ(history.takeFailure() + again.takeFailure(), "");
}

TEST_F(HistoryFileTest, AFileThatCannotBeUsedIsReportedOnce) {
  const std::string directory = dir_ + "/history";
  mkdir(directory.c_str(), 0700);
  struct Case {
    std::string path;
    std::string err;
  } cases[] = {
      // A directory where the file should be: it can be neither read nor written.
      {directory, "history: " + directory + ": Is a directory"},
      // A device is never opened: some never end, others refuse every line.
      {"/dev/full", "history: /dev/full: not a regular file"},
  };
  for (const auto& c : cases) {
    HistoryFile history(c.path);
    EXPECT_TRUE(history.load().empty()) << c.path;
    EXPECT_EQ(history.takeFailure(), c.err);
    history.append("1+2");
    history.append("3");
    EXPECT_EQ(history.takeFailure(), "") << c.path;
  }
}

// Whoever else may write the file, its directory or a link to it could
// have the user's lines written where they choose, or read them.
TEST_F(HistoryFileTest, RefusesWhatAnotherUserCouldWrite) {
  const std::string shared = dir_ + "/shared";
  const std::string own = dir_ + "/own";
  const bool root = geteuid() == 0;  // only root can give a file away
  struct Case {
    const char* what;
    std::function<void()> make;  // in an empty directory
    std::string path;
    std::string err;
  } cases[] = {
      {"a FIFO", [&] { mkfifo((own + "/history").c_str(), 0600); }, own + "/history",
       own + "/history: not a regular file"},
      {"a directory others may write",
       [&] {
         write(shared + "/history", "1+2\n");
         chmod(shared.c_str(), 0770);
       },
       shared + "/history", shared + ": writable by other users"},
      {"a file others may write",
       [&] {
         write(own + "/history", "1+2\n");
         chmod((own + "/history").c_str(), 0602);
       },
       own + "/history", own + "/history: writable by other users"},
      {"a link into a directory others may write",
       [&] {
         write(shared + "/history", "1+2\n");
         chmod(shared.c_str(), 0703);
         EXPECT_EQ(symlink((shared + "/history").c_str(), (own + "/history").c_str()), 0);
       },
       own + "/history", shared + ": writable by other users"},
      {"a file of another user",
       [&] {
         write(own + "/history", "1+2\n");
         EXPECT_EQ(chown((own + "/history").c_str(), 65534, 65534) == 0, root);
       },
       own + "/history", root ? own + "/history: owned by another user" : ""},
      {"another user's link",
       [&] {
         write(own + "/real", "1+2\n");
         EXPECT_EQ(symlink("real", (own + "/history").c_str()), 0);
         EXPECT_EQ(lchown((own + "/history").c_str(), 65534, 65534) == 0, root);
       },
       own + "/history", root ? own + "/history: owned by another user" : ""},
  };
  for (const auto& c : cases) {
    if (c.err.empty()) {
      continue;  // needs root
    }
    std::filesystem::remove_all(shared);
    std::filesystem::remove_all(own);
    mkdir(shared.c_str(), 0700);
    mkdir(own.c_str(), 0700);
    c.make();
    HistoryFile history(c.path);
    EXPECT_TRUE(history.load().empty()) << c.what;
    history.append("4");
    history.append("5");
    EXPECT_EQ(history.takeFailure(), "history: " + c.err) << c.what;
    for (const std::string& file : {shared + "/history", own + "/real"}) {
      if (std::filesystem::exists(file)) {
        EXPECT_EQ(contentsOf(file), "1+2\n") << c.what;
      }
    }
  }
}

TEST_F(HistoryFileTest, AReadOnlyFileIsRecalledAndSaysLinesAreNotKept) {
  const std::string path = dir_ + "/history";
  EXPECT_EXIT(asOrdinaryUser([&] {
                write(path, "6*7\n");
                chmod(path.c_str(), 0400);
                HistoryFile history(path);
                std::string failure;
                if (history.load() != std::vector<std::string>{"6*7"}) {
                  failure += "not loaded\n";
                }
                history.append("1");
                history.append("2");
                if (contentsOf(path) != "6*7\n") {
                  failure += "written to\n";
                }
                const std::string warning =
                    "history: " + path + ": Permission denied; new lines will not be kept";
                const std::string reported = history.takeFailure();
                return failure + (reported == warning ? "" : reported);
              }),
              ::testing::ExitedWithCode(0), "");
}

TEST_F(HistoryFileTest, TheWarningNamesTheDirectoryThatCannotBeMade) {
  EXPECT_EXIT(asOrdinaryUser([&] {
                chmod(dir_.c_str(), 0500);
                HistoryFile history(dir_ + "/state/zorvex/history");
                history.load();
                const std::string warning = "history: " + dir_ + "/state: Permission denied";
                const std::string reported = history.takeFailure();
                return reported == warning ? "" : reported;
              }),
              ::testing::ExitedWithCode(0), "");
}

// A trim that cannot be made (the directory is read-only) is tried again
// with each line; its failure is reported once, and every line is kept.
TEST_F(HistoryFileTest, ATrimThatFailsKeepsEveryLineAndIsReportedOnce) {
  const std::string path = dir_ + "/history";
  EXPECT_EXIT(asOrdinaryUser([&] {
                write(path, numbered(1101));
                chmod(dir_.c_str(), 0500);
                HistoryFile history(path);
                std::string failure;
                if (history.load().size() != 1000) {
                  failure += "not loaded\n";
                }
                std::string reported;
                for (const char* line : {"a", "b", "c"}) {
                  history.append(line);
                  reported += history.takeFailure();
                }
                const std::string text = contentsOf(path);
                if (text != numbered(1101) + "a\nb\nc\n") {
                  failure += "lines lost: " + std::to_string(linesIn(text)) + "\n";
                }
                const std::string warning = "history: " + dir_ + ": Permission denied";
                return failure + (reported == warning ? "" : reported);
              }),
              ::testing::ExitedWithCode(0), "");
}

// Session A holds the file open while B cuts it back: A's next line must go
// into the file B left, not into the one B replaced.
TEST_F(HistoryFileTest, ALineAfterAnotherSessionsTrimIsKept) {
  const std::string path = dir_ + "/history";
  write(path, numbered(1000));
  HistoryFile first(path);
  HistoryFile second(path);
  first.load();
  second.load();
  for (int i = 0; i < 101; ++i) {
    second.append("from B");  // the last of them cuts the file back
  }
  first.append("from A");
  second.append("B again");
  const std::string text = contentsOf(path);
  EXPECT_EQ(linesIn(text), 1002u);
  EXPECT_EQ(text.substr(0, 4), "101\n");
  EXPECT_EQ(text.substr(text.size() - 22), "from B\nfrom A\nB again\n");
  HistoryFile third(path);
  EXPECT_EQ(third.load().back(), "B again");
  EXPECT_EQ(first.takeFailure() + second.takeFailure() + third.takeFailure(), "");
}

// A link to the history elsewhere stays a link: the file it names is cut,
// and a link planted under the old fixed name of the trim's new file is
// not followed.
TEST_F(HistoryFileTest, ALinkStaysAndTheFileItNamesIsTrimmed) {
  const std::string link = dir_ + "/history";
  const std::string real = dir_ + "/real";
  mkdir(real.c_str(), 0700);
  write(real + "/history", numbered(1001));
  write(dir_ + "/bait", "keep\n");
  EXPECT_EQ(symlink((dir_ + "/bait").c_str(), (real + "/history.new").c_str()), 0);
  EXPECT_EQ(symlink("real/history", link.c_str()), 0);
  HistoryFile history(link);
  EXPECT_EQ(history.load().size(), 1000u);
  history.append("5+5");
  struct stat status {};
  ASSERT_EQ(lstat(link.c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  const std::string text = contentsOf(real + "/history");
  EXPECT_EQ(linesIn(text), 1001u);
  EXPECT_EQ(text.substr(0, 2), "1\n");
  EXPECT_EQ(text.substr(text.size() - 4), "5+5\n");
  EXPECT_EQ(modeOf(real + "/history"), 0600u);
  EXPECT_EQ(contentsOf(dir_ + "/bait"), "keep\n");
  EXPECT_EQ(history.takeFailure(), "");
}

#if defined(__SANITIZE_ADDRESS__)
#define ZORVEX_ADDRESS_SPACE_OWN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZORVEX_ADDRESS_SPACE_OWN 1
#endif
#endif

// A history file of 200 MB, loaded within 300,000 KiB of address space:
// its long lines are passed over, never held whole.
TEST_F(HistoryFileTest, AHugeFileLoadsInBoundedMemory) {
#ifdef ZORVEX_ADDRESS_SPACE_OWN
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#else
  const std::string path = dir_ + "/history";
  {
    // Sparse: a line end every 100,000 bytes, the last line a real one.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    for (off_t at = 99999; at < 200000000; at += 100000) {
      ASSERT_EQ(pwrite(fd, "\n", 1, at), 1);
    }
    ASSERT_EQ(pwrite(fd, "1+2\n", 4, 200000000), 4);
    close(fd);
  }
  const auto loadWithinTheLimit = [&path] {
    const rlimit limit{300000 * 1024, 300000 * 1024};
    setrlimit(RLIMIT_AS, &limit);
    HistoryFile history(path);
    const bool loaded = history.load() == std::vector<std::string>{"1+2"};
    const std::string failure = history.takeFailure();
    std::fputs(failure.c_str(), stderr);
    std::_Exit(loaded && failure.empty() ? 0 : 1);
  };
  EXPECT_EXIT(loadWithinTheLimit(), ::testing::ExitedWithCode(0), "");
#endif
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
      {nullptr, nullptr, "", ""},  // an empty HOME is no home
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
  HistoryFile history("");
  EXPECT_TRUE(history.load().empty());
  history.append("1+2");
  EXPECT_EQ(history.takeFailure(), "");
}

}  // namespace
