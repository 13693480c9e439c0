#include "engine/zorvex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace {

/// A calculator made for one test and freed after it.
struct Handle {
  zorvex* calculator = nullptr;
  Handle() { EXPECT_EQ(zorvex_create(&calculator), ZORVEX_OK); }
  ~Handle() { zorvex_destroy(calculator); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  /// Evaluates `line`; returns its value (NaN when the call failed).
  double evaluate(std::string_view line) {
    double value = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(zorvex_evaluate(calculator, line.data(), line.size(), &value), ZORVEX_OK) << line;
    return value;
  }
  /// Returns the error lines of the last evaluation.
  std::string errors() const {
    size_t length = 0;
    const char* text = zorvex_errors(calculator, &length);
    return std::string(text, length);
  }
};

using Listing = std::vector<std::pair<std::string, double>>;

/// Returns the variables as zorvex_list_variables gives them.
Listing listing(const zorvex* calculator) {
  Listing listed;
  const zorvex_status status = zorvex_list_variables(
      calculator,
      [](void* context, const char* name, size_t length, double value) {
        static_cast<Listing*>(context)->emplace_back(std::string(name, length), value);
        return 0;
      },
      &listed);
  EXPECT_EQ(status, ZORVEX_OK);
  return listed;
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
      {"5-3", 2.0, ""},
      {"X/7", 2.0, ""},
      {"  { x + [1] } ", 15.0, ""},
      {"|2-7|^2", 25.0, ""},
      {"undefinedname*2", 0.0,
       "Error: Variable 'undefinedname' is undeclared. It is used as 0.0 .\n"},
      {"foo(2)+1", 1.0, "Error: Undefined function 'foo()'. Returns 0.0 .\n"},
      {"sqrt(-4)+1/0", 1.0,
       "Error: Parameter of sqrt() can't be negative.\nError: Divide by zero!\n"},
      // A line may hold any byte: a NUL is a character like any other.
      {std::string_view("a\0b", 3), 0.0,
       "Error: Variable 'a' is undeclared. It is used as 0.0 .\n"
       "Error: Variable 'b' is undeclared. It is used as 0.0 .\n"},
      {std::string_view("7\0", 2), 7.0, ""},
      {"", 0.0, ""},
  };
  Handle handle;
  for (const Case& c : cases) {
    EXPECT_EQ(handle.evaluate(c.line), c.value) << c.line;
    EXPECT_EQ(handle.errors(), c.errors) << c.line;
    EXPECT_EQ(zorvex_error_count(handle.calculator),
              static_cast<size_t>(std::count(c.errors.begin(), c.errors.end(), '\n')))
        << c.line;
  }
}

TEST(ZorvexApiTest, ALineBeyondTheTableIsNotEvaluated) {
  Handle handle;
  std::string line = "y=1";
  for (int i = 0; i < 70; ++i) {
    line += "+1";
  }
  EXPECT_EQ(handle.evaluate(line), 0.0);
  EXPECT_EQ(handle.errors(), "Error: Expression has more than 128 tokens. Returns 0.0 .\n");
  double value = 0.0;
  EXPECT_EQ(zorvex_get_variable(handle.calculator, "y", 1, &value), ZORVEX_NOT_FOUND);
}

TEST(ZorvexApiTest, CommandWordsAreExpressionsHere) {
  Handle handle;
  for (const char* word : {"exit", "help", "SHOWVARS", "showfuncs"}) {
    EXPECT_EQ(handle.evaluate(word), 0.0) << word;
    std::string lower = word;
    for (char& c : lower) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(handle.errors(),
              "Error: Variable '" + lower + "' is undeclared. It is used as 0.0 .\n");
  }
}

TEST(ZorvexApiTest, FormatsValuesAsTheDialogueWritesThem) {
  const double huge = -1.2345678901234567e-300;
  const std::pair<double, std::string_view> cases[] = {
      {14.0, "14"},
      {0.111111, "0.111111"},
      {-0.5, "-0.5"},
      {12.56636, "12.56636"},
      {1e15, "1e+15"},
      {123456789012345.0, "123456789012345"},
      {2.0 / 3.0, "0.666666666666667"},
      {huge, "-1.23456789012346e-300"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan"},
      {-std::numeric_limits<double>::quiet_NaN(), "-nan"},
  };
  for (const auto& [value, text] : cases) {
    char buffer[ZORVEX_FORMAT_CAPACITY];
    size_t length = 99;
    ASSERT_EQ(zorvex_format(value, buffer, sizeof buffer, &length), ZORVEX_OK) << text;
    EXPECT_EQ(std::string_view(buffer), text);
    EXPECT_EQ(length, text.size());
    // One byte short of the NUL: nothing written, the length still given.
    std::memset(buffer, '#', sizeof buffer);
    length = 0;
    EXPECT_EQ(zorvex_format(value, buffer, text.size(), &length), ZORVEX_BUFFER_TOO_SMALL);
    EXPECT_EQ(length, text.size());
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(zorvex_format(value, buffer, text.size() + 1, nullptr), ZORVEX_OK);
    EXPECT_EQ(std::string_view(buffer), text);
  }
}

TEST(ZorvexApiTest, VariablesAreSetReadAndListedInCreationOrder) {
  Handle handle;
  EXPECT_EQ(listing(handle.calculator), (Listing{{"", 0.0}, {"pi", 3.14159}, {"rad", 0.0}}));
  EXPECT_EQ(zorvex_set_variable(handle.calculator, "Rate", 4, 1.25), ZORVEX_OK);
  EXPECT_EQ(handle.evaluate("rate*8"), 10.0);
  handle.evaluate("total=rate*2");
  EXPECT_EQ(zorvex_set_variable(handle.calculator, "pi", 2, 3.0), ZORVEX_OK);
  EXPECT_EQ(handle.evaluate("2pi"), 6.0);
  EXPECT_EQ(listing(handle.calculator),
            (Listing{{"", 0.0}, {"pi", 3.0}, {"rad", 0.0}, {"rate", 1.25}, {"total", 2.5}}));
  double value = 0.0;
  EXPECT_EQ(zorvex_get_variable(handle.calculator, "TOTAL", 5, &value), ZORVEX_OK);
  EXPECT_EQ(value, 2.5);
  // The length counts, not a terminating NUL.
  EXPECT_EQ(zorvex_get_variable(handle.calculator, "rates", 4, &value), ZORVEX_OK);
  EXPECT_EQ(value, 1.25);
  EXPECT_EQ(zorvex_get_variable(handle.calculator, "nothing", 7, &value), ZORVEX_NOT_FOUND);
  EXPECT_EQ(zorvex_error_count(handle.calculator), 0u);  // a look-up writes no error line
  EXPECT_EQ(value, 1.25);
}

TEST(ZorvexApiTest, ListingStopsWhenTheVisitorSaysSo) {
  Handle handle;
  int calls = 0;
  EXPECT_EQ(zorvex_list_variables(
                handle.calculator,
                [](void* context, const char*, size_t, double) {
                  return ++*static_cast<int*>(context) == 2 ? 1 : 0;
                },
                &calls),
            ZORVEX_OK);
  EXPECT_EQ(calls, 2);
}

TEST(ZorvexApiTest, RadSwitchesTheAngleUnit) {
  Handle handle;
  EXPECT_EQ(handle.evaluate("cos(60)"), 0.500001);  // degrees over the six-digit pi
  ASSERT_EQ(zorvex_set_variable(handle.calculator, "rad", 3, 1.0), ZORVEX_OK);
  EXPECT_EQ(handle.evaluate("cos(60)"), -0.952413);  // cos of 60 radians, six decimals
}

TEST(ZorvexApiTest, HandlesShareNothing) {
  Handle first;
  Handle second;
  first.evaluate("shared=5");
  EXPECT_EQ(second.evaluate("shared"), 0.0);
  EXPECT_EQ(first.errors(), "");
  EXPECT_EQ(second.errors(), "Error: Variable 'shared' is undeclared. It is used as 0.0 .\n");
}

TEST(ZorvexApiTest, EveryFailureHasItsStatus) {
  Handle handle;
  zorvex* none = nullptr;
  double value = 7.0;
  char buffer[ZORVEX_FORMAT_CAPACITY];
  auto visit = [](void*, const char*, size_t, double) { return 0; };
  struct Case {
    const char* call;
    zorvex_status got;
    zorvex_status expected;
  } cases[] = {
      {"create into null", zorvex_create(nullptr), ZORVEX_BAD_ARGUMENT},
      {"evaluate, no handle", zorvex_evaluate(none, "1", 1, &value), ZORVEX_BAD_HANDLE},
      {"evaluate, no value", zorvex_evaluate(handle.calculator, "1", 1, nullptr),
       ZORVEX_BAD_ARGUMENT},
      {"evaluate, no line with a length", zorvex_evaluate(handle.calculator, nullptr, 1, &value),
       ZORVEX_BAD_ARGUMENT},
      // Refused on its length alone, before a byte of it is read.
      {"evaluate, a line of 2^31 + 10 bytes",
       zorvex_evaluate(handle.calculator, "1", (size_t{1} << 31) + 10, &value),
       ZORVEX_BAD_ARGUMENT},
      {"format, no buffer", zorvex_format(1.0, nullptr, 10, nullptr), ZORVEX_BAD_ARGUMENT},
      {"format, no room", zorvex_format(1.0, buffer, 0, nullptr), ZORVEX_BUFFER_TOO_SMALL},
      {"set, no handle", zorvex_set_variable(none, "a", 1, 1.0), ZORVEX_BAD_HANDLE},
      {"set, no name", zorvex_set_variable(handle.calculator, nullptr, 1, 1.0),
       ZORVEX_BAD_ARGUMENT},
      {"set, empty name", zorvex_set_variable(handle.calculator, "a", 0, 1.0), ZORVEX_BAD_ARGUMENT},
      {"set, digit", zorvex_set_variable(handle.calculator, "a1", 2, 1.0), ZORVEX_BAD_ARGUMENT},
      {"set, blank", zorvex_set_variable(handle.calculator, "a b", 3, 1.0), ZORVEX_BAD_ARGUMENT},
      {"set, NUL", zorvex_set_variable(handle.calculator, "a\0", 2, 1.0), ZORVEX_BAD_ARGUMENT},
      {"set, high byte", zorvex_set_variable(handle.calculator, "\xE1", 1, 1.0),
       ZORVEX_BAD_ARGUMENT},
      {"get, no handle", zorvex_get_variable(none, "pi", 2, &value), ZORVEX_BAD_HANDLE},
      {"get, no value", zorvex_get_variable(handle.calculator, "pi", 2, nullptr),
       ZORVEX_BAD_ARGUMENT},
      {"get, no name", zorvex_get_variable(handle.calculator, nullptr, 2, &value),
       ZORVEX_BAD_ARGUMENT},
      {"get, the unnamed entry", zorvex_get_variable(handle.calculator, "", 0, &value),
       ZORVEX_BAD_ARGUMENT},
      {"get, not a name", zorvex_get_variable(handle.calculator, "p-i", 3, &value),
       ZORVEX_BAD_ARGUMENT},
      {"list, no handle", zorvex_list_variables(none, visit, nullptr), ZORVEX_BAD_HANDLE},
      {"list, no visitor", zorvex_list_variables(handle.calculator, nullptr, nullptr),
       ZORVEX_BAD_ARGUMENT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got, c.expected) << c.call;
  }
  EXPECT_EQ(value, 7.0);  // no failed call stored a value
  EXPECT_EQ(listing(handle.calculator), (Listing{{"", 0.0}, {"pi", 3.14159}, {"rad", 0.0}}));
  // An empty line may come without bytes.
  EXPECT_EQ(zorvex_evaluate(handle.calculator, nullptr, 0, &value), ZORVEX_OK);
  EXPECT_EQ(value, 0.0);
  size_t length = 5;
  EXPECT_EQ(zorvex_errors(none, &length), nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(zorvex_error_count(none), 0u);
  zorvex_destroy(nullptr);
}

TEST(ZorvexApiTest, StatusTextsAndVersion) {
  const zorvex_status statuses[] = {ZORVEX_OK,           ZORVEX_NO_MEMORY,        ZORVEX_BAD_HANDLE,
                                    ZORVEX_BAD_ARGUMENT, ZORVEX_BUFFER_TOO_SMALL, ZORVEX_NOT_FOUND};
  std::vector<std::string> texts;
  for (zorvex_status status : statuses) {
    ASSERT_NE(zorvex_status_text(status), nullptr);
    texts.emplace_back(zorvex_status_text(status));
    EXPECT_FALSE(texts.back().empty());
  }
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end()) << "two statuses read alike";
  EXPECT_NE(zorvex_status_text(static_cast<zorvex_status>(99)), nullptr);

  // The number is the text's parts, as the header spells it out.
  int major = -1, minor = -1, patch = 0;
  ASSERT_GE(std::sscanf(zorvex_version(), "%d.%d.%d", &major, &minor, &patch), 2);
  EXPECT_EQ(zorvex_version_number(), major * 10000 + minor * 100 + patch);
  EXPECT_EQ(std::string(zorvex_version()), ZORVEX_TEST_VERSION);
}

TEST(ZorvexApiTest, TwoHandlesInTwoThreadsAtOnce) {
  // Each thread keeps its own running sum in its own calculator; any state
  // the two shared would show in the other's sums or in the race detector.
  auto work = [](int seed, std::vector<double>* sums) {
    zorvex* calculator = nullptr;
    if (zorvex_create(&calculator) != ZORVEX_OK) {
      return;
    }
    const std::string start = "s=" + std::to_string(seed);
    double value = 0.0;
    zorvex_evaluate(calculator, start.data(), start.size(), &value);
    for (int i = 0; i < 2000; ++i) {
      const std::string line = "s=s+1+nope" + std::to_string(seed);
      zorvex_evaluate(calculator, line.data(), line.size(), &value);
      sums->push_back(value);
      char text[ZORVEX_FORMAT_CAPACITY];
      zorvex_format(value, text, sizeof text, nullptr);
      zorvex_errors(calculator, nullptr);
    }
    zorvex_destroy(calculator);
  };
  std::vector<double> first;
  std::vector<double> second;
  std::thread one(work, 0, &first);
  std::thread two(work, 1000000, &second);
  one.join();
  two.join();
  ASSERT_EQ(first.size(), 2000u);
  ASSERT_EQ(second.size(), 2000u);
  for (std::size_t i = 0; i < first.size(); ++i) {
    ASSERT_EQ(first[i], static_cast<double>(i + 1));
    ASSERT_EQ(second[i], static_cast<double>(1000000 + i + 1));
  }
}

}  // namespace
