#include "engine/zorvex.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

/// A calculator made for one test and freed after it.
struct Handle {
  zorvex* calculator = nullptr;
  Handle() { EXPECT_EQ(zorvex_create(&calculator), ZORVEX_OK); }
  ~Handle() { zorvex_destroy(calculator); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

std::string errorsOf(const zorvex* calculator) {
  size_t length = 0;
  const char* text = zorvex_errors(calculator, &length);
  return std::string(text, length);
}

TEST(ZorvexApiTest, EvaluatesLinesAsTheDialogueDoes) {
  struct Case {
    std::string_view line;
    double value;
    std::string_view errors;
  };
  const Case cases[] = {
      {"x=2*(3+4)", 14.0, ""},
      {"2pi", 6.28318, ""},
      {"1/3*3", 0.111111, ""},
      {"x/7", 2.0, ""},
      {"undefinedname*2", 0.0,
       "Error: Variable 'undefinedname' is undeclared. It is used as 0.0 .\n"},
      {"foo(2)+1", 1.0, "Error: Undefined function 'foo()'. Returns 0.0 .\n"},
      {"sqrt(-4)+1/0", 1.0,
       "Error: Parameter of sqrt() can't be negative.\nError: Divide by zero!\n"},
      {std::string_view("a\0b", 3), 0.0,
       "Error: Variable 'a' is undeclared. It is used as 0.0 .\n"
       "Error: Variable 'b' is undeclared. It is used as 0.0 .\n"},
  };
  Handle handle;
  for (const Case& c : cases) {
    double value = -1.0;
    ASSERT_EQ(zorvex_evaluate(handle.calculator, c.line.data(), c.line.size(), &value), ZORVEX_OK)
        << c.line;
    EXPECT_EQ(value, c.value) << c.line;
    EXPECT_EQ(errorsOf(handle.calculator), c.errors) << c.line;
  }
}

}  // namespace
