#include "console/fd_streams.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace {

struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    read = fds[0];
    write = fds[1];
  }
  ~Pipe() {
    if (read >= 0) ::close(read);
    if (write >= 0) ::close(write);
  }
  std::string drain() {
    ::close(write);
    write = -1;
    std::string text;
    char chunk[256];
    for (ssize_t got; (got = ::read(read, chunk, sizeof chunk)) > 0;) text.append(chunk, got);
    return text;
  }
};

TEST(FdStreamsTest, TakesOnlyWholeLinesFromTheBuffer) {
  Pipe pipe;
  ASSERT_EQ(::write(pipe.write, "1+1\r\n2+", 7), 7);
  FdInputBuffer buffer(InputFile{pipe.read, ""});
  std::istream in(&buffer);
  EXPECT_FALSE(buffer.takeBufferedLine());  // nothing read from the descriptor yet
  in.peek();
  EXPECT_EQ(buffer.takeBufferedLine(), "1+1\r\n");
  EXPECT_FALSE(buffer.takeBufferedLine());  // only part of the next line is here
  ASSERT_EQ(::write(pipe.write, "2\n", 2), 2);
  ::close(pipe.write);
  pipe.write = -1;
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "2+2");
  EXPECT_FALSE(std::getline(in, line));
}

TEST(FdStreamsTest, DeferredOutputWaitsForAnExplicitPush) {
  Pipe pipe;
  ::fcntl(pipe.read, F_SETFL, O_NONBLOCK);
  FdOutputBuffer buffer(pipe.write, /*deferred=*/true);
  std::ostream out(&buffer);
  out << "= 2\n";
  out.flush();
  char byte;
  EXPECT_EQ(::read(pipe.read, &byte, 1), -1);  // still buffered
  buffer.push();
  EXPECT_EQ(::read(pipe.read, &byte, 1), 1);
}

TEST(FdStreamsTest, ErrorStreamPushesStandardOutputFirst) {
  Pipe pipe;  // both streams into one pipe, as with 2>&1
  FdOutputBuffer outBuffer(pipe.write, /*deferred=*/true);
  FdOutputBuffer errBuffer(pipe.write, /*deferred=*/false);
  errBuffer.pushFirst(&outBuffer);
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  out << "> ";
  err << "Error: Divide by zero!\n" << std::flush;
  out << "= 5\n";
  outBuffer.push();
  EXPECT_EQ(pipe.drain(), "> Error: Divide by zero!\n= 5\n");
}

TEST(FdStreamsTest, ErrorLineLongerThanItsBufferStillComesAfterThePrompt) {
  Pipe pipe;
  FdOutputBuffer outBuffer(pipe.write, /*deferred=*/true);
  FdOutputBuffer errBuffer(pipe.write, /*deferred=*/false, 16);
  errBuffer.pushFirst(&outBuffer);
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  const std::string line = "Error: Variable '" + std::string(100, 'x') + "' is undeclared.\n";
  out << "> ";
  err << line << std::flush;  // too long to be gathered: written straight through
  EXPECT_EQ(pipe.drain(), "> " + line);
}

TEST(FdStreamsTest, ReadFailureIsNotTheEndOfTheInput) {
  struct Case {
    const char* path;  // opened for reading; nullptr: a closed descriptor
    const char* name;
    const char* failure;
  } cases[] = {
      {"/", "", "read error: Is a directory"},
      {"/", "somedir", "somedir: Is a directory"},
      {nullptr, "", "read error: Bad file descriptor"},
      {"/dev/null", "", ""},
  };
  for (const auto& c : cases) {
    const int fd = c.path == nullptr ? 1000 : ::open(c.path, O_RDONLY);
    ASSERT_GE(fd, 0);
    FdInputBuffer buffer(InputFile{fd, c.name, c.path != nullptr});
    std::istream in(&buffer);
    std::string line;
    EXPECT_FALSE(std::getline(in, line));
    EXPECT_EQ(buffer.failure(), c.failure) << c.name;
  }
}

TEST(FdStreamsTest, FilesFollowOneAnotherAsOneInput) {
  Pipe first;
  Pipe second;
  ASSERT_EQ(::write(first.write, "1+", 2), 2);
  ASSERT_EQ(::write(second.write, "1\n2\n", 4), 4);
  ::close(first.write);
  ::close(second.write);
  first.write = second.write = -1;
  int asked = 0;
  FdInputBuffer buffer(InputFile{first.read, "a"}, [&]() -> std::optional<InputFile> {
    if (asked++ > 0) return std::nullopt;
    return InputFile{second.read, "b"};
  });
  std::istream in(&buffer);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "1+1");
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "2");
  EXPECT_FALSE(std::getline(in, line));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(buffer.failure(), "");
}

TEST(FdStreamsTest, WriteFailureIsReportedWithItsReason) {
  int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  FdOutputBuffer buffer(full, /*deferred=*/true);
  std::ostream out(&buffer);
  out << "= 1\n";
  EXPECT_EQ(buffer.failure(), "");
  EXPECT_FALSE(buffer.push());
  EXPECT_TRUE(buffer.failed());
  EXPECT_EQ(buffer.error(), ENOSPC);
  EXPECT_EQ(buffer.failure(), "write error: No space left on device");
  ::close(full);
}

// A descriptor shared with another program may have been switched to
// non-blocking mode; "not ready yet" is then neither the end of the input
// nor a failed write.
TEST(FdStreamsTest, NonBlockingInputWaitsForTheNextLine) {
  Pipe pipe;
  ::fcntl(pipe.read, F_SETFL, ::fcntl(pipe.read, F_GETFL) | O_NONBLOCK);
  std::thread writer([&pipe] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(::write(pipe.write, "1+1\n", 4), 4);
    ::close(pipe.write);
    pipe.write = -1;
  });
  FdInputBuffer buffer(InputFile{pipe.read, ""});
  std::istream in(&buffer);
  std::string line;
  EXPECT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "1+1");
  EXPECT_FALSE(std::getline(in, line));  // the real end of the input
  writer.join();
}

TEST(FdStreamsTest, NonBlockingOutputWaitsForASlowReader) {
  Pipe pipe;
  ::fcntl(pipe.write, F_SETFL, ::fcntl(pipe.write, F_GETFL) | O_NONBLOCK);
  // Fill the pipe, so that the buffer's first write finds it full.
  std::string filler(4096, 'f');
  std::size_t filled = 0;
  for (ssize_t put; (put = ::write(pipe.write, filler.data(), filler.size())) > 0;) filled += put;
  ASSERT_EQ(errno, EAGAIN);

  const std::string text(1 << 20, '7');
  std::string received;
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    char chunk[4096];
    for (ssize_t got; (got = ::read(pipe.read, chunk, sizeof chunk)) > 0;)
      received.append(chunk, got);
  });
  {
    FdOutputBuffer buffer(pipe.write, /*deferred=*/true);
    std::ostream out(&buffer);
    out << text;
    EXPECT_TRUE(buffer.push());
    EXPECT_EQ(buffer.error(), 0);
  }
  ::close(pipe.write);
  pipe.write = -1;
  reader.join();
  EXPECT_EQ(received.size(), filled + text.size());
  EXPECT_EQ(received.substr(filled), text);
}

}  // namespace
