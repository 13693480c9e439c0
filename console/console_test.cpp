#include "console/console.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "console/console_test_util.h"
#include "console/line_sources.h"
#include "console/memory_streams.h"
#include "console/screens.h"
#include "engine/session.h"

namespace {

struct ConsoleRun {
  std::string out;
  std::string err;
  int status;
};

/// Runs the dialogue on `input` through the same line source the program
/// uses for a pipe, over in-memory buffers.
ConsoleRun runOn(const std::string& input, const ConsoleStyle& style = {}) {
  MemoryInputBuffer in(input);
  MemoryOutputBuffer out;
  MemoryOutputBuffer err;
  StreamLineSource lines(in, out);
  const int status = runConsole(lines, out, err, style);
  EXPECT_EQ(out.pushedText(), out.text()) << "output left unsent at the end";
  return {out.text(), err.text(), status};
}

TEST(ConsoleTest, DialogueOverInMemoryStreams) {
  struct Case {
    const char* input;
    const char* out;  // after the banner
    const char* err;
  } cases[] = {
      {"", "> ", ""},
      {"exit\n1\n", "> ", ""},
      {"1+2\nexit\n", "> = 3\n> ", ""},
      {"1+2", "> = 3\n> ", ""},
      {"\n", "> = 0\n> ", ""},
      {"1/3\npi\n10/4\n", "> = 0.333333\n> = 3.14159\n> = 2.5\n> ", ""},
      {"x=4\nx*2\n", "> = 4\n> = 8\n> ", ""},
      {"10^400\n-(10^400)\n", "> = inf\n> = -inf\n> ", ""},
      {"1e20*10\n", "> = 0\n> ", "Error: Variable 'e' is undeclared. It is used as 0.0 .\n"},
      {"100000000000000000000*10\n", "> = 1e+21\n> ", ""},
  };
  for (const auto& c : cases) {
    ConsoleRun run = runOn(c.input);
    EXPECT_EQ(run.out, expectedBanner() + c.out) << c.input;
    EXPECT_EQ(run.err, c.err) << c.input;
    EXPECT_EQ(run.status, 0) << c.input;
  }
}

TEST(ConsoleTest, CommandsPrintScreensAndNoResult) {
  // Each command prints its own screen and no result. The words are the
  // command table's test, the screens' text that of the screens and the
  // variable listing, so they are taken from those units here.
  std::ostringstream help;
  printHelpScreen(help);
  std::ostringstream functions;
  printFunctionsScreen(functions);
  std::ostringstream variables;
  CalculatorSession fresh;
  fresh.evaluate("x=2");
  fresh.writeVariables(variables);
  ConsoleRun run = runOn("help\nshowfuncs\nx=2\nshowvars\nexit\n");
  EXPECT_EQ(run.out, expectedBanner() + "> " + help.str() + "> " + functions.str() + "> = 2\n> " +
                         variables.str() + "> ");
}

TEST(ConsoleTest, StylesForQuietRunsAndExpressions) {
  // Longer than any value's text: the line must still be written whole.
  const std::string longPrefix(1000, '>');
  struct Case {
    ConsoleStyle style;
    const char* input;
    std::string out;
    int status;
  } cases[] = {
      {{false, "", "= ", false}, "1+2\nx=2\n", "= 3\n= 2\n", EXIT_OK},
      {{false, "", "= ", false}, "y\n", "= 0\n", EXIT_OK},
      {{false, "", "", true}, "x=2\nx*5\n", "2\n10\n", EXIT_OK},
      {{false, "", "", true}, "y*2\n", "0\n", EXIT_EXPRESSION_ERROR},
      {{false, "", "", true}, "exit\ny*2\n", "", EXIT_OK},
      {{false, "", longPrefix, false}, "1+2\n", longPrefix + "3\n", EXIT_OK},
  };
  for (const auto& c : cases) {
    ConsoleRun run = runOn(c.input, c.style);
    EXPECT_EQ(run.out, c.out) << c.input;
    EXPECT_EQ(run.status, c.status) << c.input;
  }
}

TEST(ConsoleTest, PromptAndAnswersAreSentBeforeWaitingForALine) {
  // A source that records what a reader could see whenever the dialogue
  // asks for a line that has not arrived yet.
  class WaitingSource : public LineSource {
   public:
    explicit WaitingSource(MemoryOutputBuffer& out) : out_(out) {}
    ReadResult nextLine(std::string_view prompt, WideString& line) override {
      MemoryInputBuffer nothingWaiting("");
      StreamLineSource waiting(nothingWaiting, out_);
      waiting.nextLine(prompt, line);
      seen.push_back(out_.pushedText());
      if (seen.size() > 2) {
        return ReadResult::END;
      }
      line = WideString(seen.size() == 1 ? "1+2" : "x");
      return ReadResult::LINE;
    }
    std::vector<std::string> seen;

   private:
    MemoryOutputBuffer& out_;
  };
  MemoryOutputBuffer out;
  MemoryOutputBuffer err;
  WaitingSource lines(out);
  runConsole(lines, out, err);
  ASSERT_EQ(lines.seen.size(), 3u);
  EXPECT_EQ(lines.seen[0], expectedBanner() + "> ");
  EXPECT_EQ(lines.seen[1], expectedBanner() + "> = 3\n> ");
  EXPECT_EQ(lines.seen[2], expectedBanner() + "> = 3\n> = 0\n> ");
}

TEST(ConsoleTest, ReadFailureEndsTheRunAfterTheResultsSoFar) {
  // Input that fails after its first block, in the middle of a line.
  class FailingInput : public InputBuffer {
   public:
    FailingInput() { setg(text_, text_, text_ + 10); }
    std::string failure() const override { return "read error: Input/output error"; }

   protected:
    int_type underflow() override {
      error_ = EIO;
      return traits_type::eof();
    }

   private:
    char text_[11] = "1+1\n17773+";
  };
  FailingInput input;
  MemoryOutputBuffer out;
  MemoryOutputBuffer err;
  StreamLineSource lines(input, out);
  EXPECT_EQ(runConsole(lines, out, err, {false, "", "= ", false}), EXIT_FAILED);
  EXPECT_EQ(out.pushedText(), "= 2\n");  // the cut line 17773+ is not evaluated
  EXPECT_EQ(err.text(), "zorvex: read error: Input/output error\n");
}

TEST(ConsoleTest, RunningOutOfMemoryKeepsTheResultsSoFar) {
  class ExhaustingSource : public LineSource {
   public:
    ReadResult nextLine(std::string_view, WideString& line) override {
      if (lines_++ == 0) {
        line = WideString("1+1");
        return ReadResult::LINE;
      }
      throw std::bad_alloc();
    }

   private:
    int lines_ = 0;
  };
  MemoryOutputBuffer out;
  MemoryOutputBuffer err;
  ExhaustingSource lines;
  EXPECT_EQ(runConsole(lines, out, err, {false, "", "= ", false}), EXIT_FAILED);
  EXPECT_EQ(out.pushedText(), "= 2\n");
  EXPECT_EQ(err.text(), "zorvex: out of memory\n");
}

}  // namespace
