#include "console/posix_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace {

volatile sig_atomic_t signalsCaught = 0;

void noteSignal(int) { signalsCaught = signalsCaught + 1; }

bool giveUpAlways() { return true; }

/// Runs `call` on this thread while another interrupts it with a signal
/// whose handler does not restart calls, and then does `then` (sends the
/// bytes the call waits for, or takes those it cannot write yet).
void interrupted(const std::function<void()>& call, const std::function<void()>& then) {
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = noteSignal;  // no SA_RESTART: the call fails with EINTR
  sigaction(SIGUSR1, &action, &previous);
  signalsCaught = 0;
  const pthread_t caller = pthread_self();
  std::thread other([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pthread_kill(caller, SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    then();
  });
  call();
  other.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(signalsCaught, 1);
}

struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() { EXPECT_EQ(::pipe(fds), 0); }
  ~Pipe() {
    ::close(fds[0]);
    ::close(fds[1]);
  }
};

TEST(PosixIoTest, AReadInterruptedBySignalGoesOnUnlessGivenUp) {
  struct Case {
    bool (*giveUp)();
    std::string read;
    int error;
  } cases[] = {
      {nullptr, "1+1\n", 0},
      {&giveUpAlways, "", EINTR},
  };
  for (const auto& c : cases) {
    Pipe pipe;
    char buffer[16];
    ReadOutcome outcome;
    interrupted([&] { outcome = readSome(pipe.fds[0], buffer, sizeof buffer, c.giveUp); },
                [&] { EXPECT_EQ(::write(pipe.fds[1], "1+1\n", 4), 4); });
    EXPECT_EQ(outcome.error, c.error) << c.read;
    EXPECT_EQ(std::string(buffer, outcome.count), c.read);
  }
}

TEST(PosixIoTest, AWriteInterruptedBySignalWritesEverything) {
  Pipe pipe;
  const std::string text(1 << 20, '7');  // far more than the pipe holds
  std::string received;
  int error = -1;
  interrupted([&] { error = writeAll(pipe.fds[1], text.data(), text.size()); },
              [&] {
                char chunk[4096];
                while (received.size() < text.size()) {
                  const ssize_t got = ::read(pipe.fds[0], chunk, sizeof chunk);
                  if (got <= 0) {
                    break;
                  }
                  received.append(chunk, static_cast<std::size_t>(got));
                }
              });
  EXPECT_EQ(error, 0);
  EXPECT_EQ(received, text);
}

TEST(PosixIoTest, ReadsAtAnOffsetAndReportsFailures) {
  char path[] = "/tmp/zorvex-posix-io-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::unlink(path);
  ASSERT_EQ(writeAll(fd, "1+2\n3*4\n", 8), 0);
  char buffer[16];
  const ReadOutcome middle = readAt(fd, buffer, 3, 4);
  EXPECT_EQ(std::string(buffer, middle.count), "3*4");
  EXPECT_EQ(readAt(fd, buffer, sizeof buffer, 8).count, 0u);  // the end
  EXPECT_EQ(readSome(fd, buffer, sizeof buffer).count, 0u);   // still at the end
  ::close(fd);

  const int directory = ::open("/", O_RDONLY);
  EXPECT_EQ(readSome(directory, buffer, sizeof buffer).error, EISDIR);
  ::close(directory);
  const int full = ::open("/dev/full", O_WRONLY);
  EXPECT_EQ(writeAll(full, "1", 1), ENOSPC);
  ::close(full);
}

// A descriptor left closed must be taken by /dev/null, not by the next file
// opened, such as the history, which would then receive the error lines.
TEST(PosixIoTest, ClosedStandardDescriptorsAreOpenedOnNothing) {
  const auto check = [] {
    ::close(STDIN_FILENO);
    ::close(STDERR_FILENO);
    openClosedStandardDescriptors();
    char byte;
    const bool inputOpen = ::fcntl(STDIN_FILENO, F_GETFD) >= 0;
    const bool readFails = ::read(STDIN_FILENO, &byte, 1) < 0;   // opened for writing
    const bool errorFails = ::write(STDERR_FILENO, "x", 1) < 0;  // opened for reading
    const int next = ::open("/dev/null", O_RDONLY);
    std::_Exit(inputOpen && readFails && errorFails && next > STDERR_FILENO ? 0 : 1);
  };
  EXPECT_EXIT(check(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
