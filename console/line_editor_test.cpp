#include "console/line_editor.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "console/console_test_util.h"
#include "console/fd_streams.h"
#include "console/history_file.h"
#include "console/line_sources.h"
#include "console/memory_streams.h"

namespace {

std::string bytesOf(const WideString& text) {
  std::ostringstream out;
  text.writeTo(out);
  return out.str();
}

/// A pseudo-terminal: the editor reads and writes its slave side as it
/// would a real terminal, and the test types on the master side.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      return;
    }
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
      return;
    }
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    ioctl(slave_, TIOCSWINSZ, &size);
    in_ = fdopen(dup(slave_), "r");
    out_ = fdopen(dup(slave_), "w");
    // Whatever the editor draws is read away so that it never blocks.
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~PseudoTerminal() {
    if (in_ != nullptr) {
      std::fclose(in_);
    }
    if (out_ != nullptr) {
      std::fclose(out_);
    }
    if (slave_ >= 0) {
      close(slave_);
    }
    closeMaster();
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool ok() const { return in_ != nullptr && out_ != nullptr; }
  std::FILE* in() { return in_; }
  std::FILE* out() { return out_; }

  /// Waits (for at most five seconds) until the editor has put the
  /// terminal into its character-at-a-time mode, as it does while it waits
  /// for a line; keys typed before that would meet the line discipline
  /// instead of the editor.
  void waitUntilEditing() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    termios mode{};
    while (std::chrono::steady_clock::now() < deadline) {
      if (tcgetattr(slave_, &mode) == 0 && (mode.c_lflag & ICANON) == 0) {
        return;
      }
      drain();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  /// Types `keys` once the editor waits for them.
  void type(const std::string& keys) {
    waitUntilEditing();
    if (!keys.empty()) {
      ssize_t written = write(master_, keys.data(), keys.size());
      (void)written;
    }
  }

  /// Hangs the terminal up, as when its window is closed.
  void closeMaster() {
    if (master_ >= 0) {
      close(master_);
      master_ = -1;
    }
  }

 private:
  void drain() {
    char buffer[4096];
    while (read(master_, buffer, sizeof buffer) > 0) {
    }
  }

  int master_ = -1;
  int slave_ = -1;
  std::FILE* in_ = nullptr;
  std::FILE* out_ = nullptr;
};

/// Arrow keys as a terminal sends them in its normal and its application
/// cursor mode.
const std::string UP = "\x1b[A";
const std::string DOWN = "\x1b[B";
const std::string LEFT = "\x1b[D";
const std::string UP_APPLICATION = "\x1bOA";

/// Each test types at an editor on a pseudo-terminal of its own; a program
/// built without line editing skips them.
class LineEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Arrow keys are known by the terminal type; one that every system has.
    setenv("TERM", "xterm", 1);
    openEditor();
  }

  /// Replaces the terminal and its editor with fresh ones.
  void openEditor() {
    editor_.reset();
    terminal_.emplace();
    ASSERT_TRUE(terminal_->ok()) << "no pseudo-terminal";
    editor_ = makeLineEditor(terminal_->in(), terminal_->out(), terminal_->out());
    if (editor_ == nullptr) {
      GTEST_SKIP() << "built without line editing";
    }
  }

  // The editor goes before the terminal it works on.
  std::optional<PseudoTerminal> terminal_;
  std::unique_ptr<LineEditor> editor_;
};

TEST_F(LineEditorTest, EditsAndRecallsLinesAtATerminal) {
  struct Case {
    const char* what;
    std::vector<std::string> keys;                  // what is typed for each line
    std::vector<std::optional<std::string>> lines;  // what each read returns; none: end of input
  } cases[] = {
      {"plain lines", {"1+2\r", "x = 4\r"}, {"1+2", "x = 4"}},
      {"up arrow twice recalls the first of two",
       {"1+2\r", "3*4\r", UP + UP + "\r"},
       {"1+2", "3*4", "1+2"}},
      {"down arrow goes forward again",
       {"1+2\r", "3*4\r", UP + UP + DOWN + "\r"},
       {"1+2", "3*4", "3*4"}},
      {"application-mode up arrow", {"1+2\r", UP_APPLICATION + "\r"}, {"1+2", "1+2"}},
      {"recalled line can be edited", {"1+2\r", UP + "0\r"}, {"1+2", "1+20"}},
      {"left arrow moves inside the line", {"1+3" + LEFT + LEFT + "0\r"}, {"10+3"}},
      {"Ctrl-D on an empty line ends the input", {"\x04"}, {std::nullopt}},
      {"Ctrl-D after a line ends the input", {"1\r", "\x04"}, {"1", std::nullopt}},
      {"Ctrl-D inside a line deletes", {"12\x01\x04\r"}, {"2"}},
      {"Ctrl-D at the end of a line keeps it", {"12\x04\r"}, {"12"}},
      {"empty lines are not recalled", {"1+2\r", "\r", UP + "\r"}, {"1+2", "", "1+2"}},
      {"a line repeated at once is recalled once",
       {"1+2\r", "3\r", "3\r", UP + UP + "\r"},
       {"1+2", "3", "3", "1+2"}},
      {"a tab stays in the line", {"2\t*3\r"}, {"2\t*3"}},
      {"bytes above 127 pass through", {"x=\xc3\xa9\r"}, {"x=\xc3\xa9"}},
  };
  for (const auto& c : cases) {
    if (&c != cases) {
      openEditor();  // each case starts without history
      ASSERT_NE(editor_, nullptr);
    }
    ASSERT_EQ(c.keys.size(), c.lines.size()) << c.what;
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
      std::thread typist([&] { terminal_->type(c.keys[i]); });
      WideString line("left over");
      const bool got = editor_->readEditedLine("> ", line) == ReadResult::LINE;
      typist.join();
      if (c.lines[i].has_value()) {
        EXPECT_TRUE(got) << c.what << ", line " << i;
        EXPECT_EQ(bytesOf(line), *c.lines[i]) << c.what << ", line " << i;
      } else {
        EXPECT_FALSE(got) << c.what << ", line " << i;
        EXPECT_EQ(line.length(), 0) << c.what << ", line " << i;
      }
    }
  }
}

TEST_F(LineEditorTest, RecallsAsManyLinesAsTheHistoryFileKeeps) {
  // One line more than the file keeps: the oldest is the one dropped, and
  // the up arrow stops at the next one however often it is pressed.
  for (std::size_t i = 1; i <= HistoryFile::CAPACITY + 1; ++i) {
    editor_->addHistory(std::to_string(i));
  }
  std::string keys;
  for (std::size_t i = 0; i < HistoryFile::CAPACITY + 5; ++i) {
    keys += UP;
  }
  std::thread typist([&] { terminal_->type(keys + "\r"); });
  WideString line;
  EXPECT_EQ(editor_->readEditedLine("> ", line), ReadResult::LINE);
  typist.join();
  EXPECT_EQ(bytesOf(line), "2");
}

TEST_F(LineEditorTest, HangUpEndsTheInput) {
  std::thread hangUp([&] {
    terminal_->waitUntilEditing();
    terminal_->closeMaster();
  });
  WideString line;
  EXPECT_EQ(editor_->readEditedLine("> ", line), ReadResult::END);
  hangUp.join();
}

/// Hands out fixed lines as a terminal editor would, and notes at each
/// request what had reached the reader of the program's output by then.
class ScriptedEditor : public LineEditor {
 public:
  ScriptedEditor(std::vector<std::string> lines, int outputReader)
      : lines_(std::move(lines)), outputReader_(outputReader) {}

  ReadResult readEditedLine(const char* prompt, WideString& line) override {
    prompts.emplace_back(prompt);
    char buffer[4096];
    ssize_t got;
    while ((got = read(outputReader_, buffer, sizeof buffer)) > 0) {
      delivered.append(buffer, static_cast<std::size_t>(got));
    }
    seenAtEachRead.push_back(delivered);
    line.clear();
    if (next_ == lines_.size()) {
      return ReadResult::END;
    }
    line = WideString::fromBytes(lines_[next_].data(), lines_[next_].size());
    ++next_;
    return ReadResult::LINE;
  }

  std::vector<std::string> prompts;
  std::vector<std::string> seenAtEachRead;
  std::string delivered;

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  int outputReader_;
};

std::string banner() { return expectedBanner(); }

TEST(EditorLineSourceTest, ConsoleTakesLinesFromTheEditor) {
  struct Step {
    std::string line;    // handed out by the editor
    std::string output;  // what the program writes for it
  };
  struct Case {
    std::vector<Step> steps;
    std::size_t reads;  // lines asked for, the one that met the end included
    std::string err;
  } cases[] = {
      {{{"1+2", "= 3\n"}, {"exit", ""}}, 2, ""},
      {{{"1+2", "= 3\n"}}, 2, ""},
      {{{"x=4", "= 4\n"}, {"x*2", "= 8\n"}}, 3, ""},
      {{{"", "= 0\n"}}, 2, ""},
      {{{"y", "= 0\n"}}, 2, "Error: Variable 'y' is undeclared. It is used as 0.0 .\n"},
  };
  for (const auto& c : cases) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    std::vector<std::string> lines;
    for (const auto& step : c.steps) {
      lines.push_back(step.line);
    }
    ScriptedEditor editor(lines, pipeFds[0]);
    // A deferred buffer writes only when the console pushes its output, so
    // the reader sees only what the console pushed before each read.
    MemoryOutputBuffer err;
    int status;
    {
      FdOutputBuffer out(pipeFds[1], /*deferred=*/true);
      EditorLineSource lines(editor, out);
      status = runConsole(lines, out, err);
    }
    close(pipeFds[1]);
    const std::string context = c.steps.front().line;

    EXPECT_EQ(status, 0) << context;
    EXPECT_EQ(err.text(), c.err) << context;
    ASSERT_EQ(editor.seenAtEachRead.size(), c.reads) << context;
    std::string expected = banner();
    for (std::size_t i = 0; i < c.reads; ++i) {
      // No "> " of the console's own: the editor shows the prompt.
      EXPECT_EQ(editor.seenAtEachRead[i], expected) << context << ", read " << i;
      EXPECT_EQ(editor.prompts[i], "> ") << context;
      if (i < c.steps.size()) {
        expected += c.steps[i].output;
      }
    }
    if (c.reads > c.steps.size()) {
      expected += "\n";  // the end of input ends the screen line; EXIT does not
    }
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
      editor.delivered.append(buffer, static_cast<std::size_t>(got));
    }
    EXPECT_EQ(editor.delivered, expected) << context;
    close(pipeFds[0]);
  }
}

}  // namespace
