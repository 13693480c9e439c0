#include "console/input_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Each operand comes back opened or with what failed, in the order given,
// so that the caller reports a failed one and goes on with the next.
TEST(InputFilesTest, EachOperandIsOpenedOrSaysWhyNot) {
  char pattern[] = "/tmp/zorvex-input-files-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  std::ofstream(dir + "/sums") << "1+1\n";
  struct Case {
    std::string name;
    std::string failure;  // "" when the file is opened
  } cases[] = {
      {dir + "/sums", ""},
      {dir + "/missing", dir + "/missing: No such file or directory"},
      {dir, dir + ": Is a directory"},
      {"", ": No such file or directory"},
      {dir + "/sums", ""},
  };
  std::vector<std::string> names;
  for (const auto& c : cases) {
    names.push_back(c.name);
  }
  InputFiles files(names);
  for (const auto& c : cases) {
    std::optional<OpenedFile> opened = files.next();
    ASSERT_TRUE(opened.has_value()) << c.name;
    EXPECT_EQ(opened->failure, c.failure) << c.name;
    EXPECT_EQ(opened->file.name, c.name);
    if (c.failure.empty()) {
      char text[8] = {};
      EXPECT_EQ(::read(opened->file.fd, text, sizeof text), 4) << c.name;
      EXPECT_STREQ(text, "1+1\n");
      ::close(opened->file.fd);
    } else {
      EXPECT_EQ(opened->file.fd, -1) << c.name;  // nothing left open
    }
  }
  EXPECT_FALSE(files.next().has_value());
  std::filesystem::remove_all(dir);
}

}  // namespace
