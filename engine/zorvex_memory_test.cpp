// The C library when memory runs out. This binary replaces the global
// operator new with one that can be told to fail every allocation from the
// N-th on; each test arms it for N = 0, 1, 2, ... until a call succeeds
// without reaching the failure. Leaks are the sanitizer build's and
// valgrind's to find.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "engine/zorvex.h"

namespace {

/// Allocations left before every further one fails; negative: never.
std::atomic<long> allocationsLeft{-1};
/// Whether an allocation has failed since the failure was armed.
std::atomic<bool> allocationFailed{false};

void* allocate(std::size_t size) {
  if (allocationsLeft.load(std::memory_order_relaxed) >= 0 &&
      allocationsLeft.fetch_sub(1, std::memory_order_relaxed) <= 0) {
    allocationsLeft.store(0, std::memory_order_relaxed);
    allocationFailed.store(true, std::memory_order_relaxed);
    throw std::bad_alloc();
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}

/// Arms the failure after `count` allocations, and disarms it when it ends.
struct FailingAfter {
  explicit FailingAfter(long count) {
    allocationFailed.store(false);
    allocationsLeft.store(count);
  }
  ~FailingAfter() { allocationsLeft.store(-1); }
  /// Returns true when an allocation has failed.
  static bool reached() { return allocationFailed.load(); }
};

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {

constexpr long ENOUGH = 10000;  // more allocations than any one call makes

std::string errorsOf(const zorvex* calculator) {
  size_t length = 0;
  const char* text = zorvex_errors(calculator, &length);
  return std::string(text, length);
}

TEST(ZorvexMemoryTest, CreationReportsTheFailureAndLeavesNoHandle) {
  for (long count = 0; count < ENOUGH; ++count) {
    zorvex* calculator = reinterpret_cast<zorvex*>(&allocationsLeft);  // not null
    zorvex_status status;
    bool reached;
    {
      FailingAfter failing(count);
      status = zorvex_create(&calculator);
      reached = FailingAfter::reached();
    }
    if (!reached) {
      ASSERT_EQ(status, ZORVEX_OK);
      zorvex_destroy(calculator);
      ASSERT_GT(count, 0);
      return;
    }
    ASSERT_EQ(status, ZORVEX_NO_MEMORY) << count;
    ASSERT_EQ(calculator, nullptr) << count;
  }
  FAIL() << "creation never succeeded";
}

TEST(ZorvexMemoryTest, EveryCallReportsTheFailureAndTheHandleGoesOn) {
  // Each call is run with the failure N allocations in, for every N until
  // it no longer reaches it; after each failure the handle still gives the
  // dialogue's answers.
  struct Call {
    const char* what;
    zorvex_status (*run)(zorvex*);
  } calls[] = {
      {"evaluate with error lines",
       [](zorvex* c) {
         double value;
         const std::string_view line = "(q=1/0)+nope+foo(1)+sqrt(-1)";
         return zorvex_evaluate(c, line.data(), line.size(), &value);
       }},
      {"evaluate new variables",
       [](zorvex* c) {
         double value;
         const std::string_view line = "vaa=b=c=d=e=f=g=h=i=j=k=l=m=n=o=p=r=s=t=u=v=w=x=y=z=2";
         return zorvex_evaluate(c, line.data(), line.size(), &value);
       }},
      {"set a new variable",
       [](zorvex* c) {
         return zorvex_set_variable(
             c, "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 64, 4.0);
       }},
      {"list the variables",
       [](zorvex* c) {
         return zorvex_list_variables(
             c, [](void*, const char*, size_t, double) { return 0; }, nullptr);
       }},
  };
  for (const Call& call : calls) {
    bool done = false;
    long failures = 0;
    for (long count = 0; count < ENOUGH && !done; ++count) {
      zorvex* calculator = nullptr;
      ASSERT_EQ(zorvex_create(&calculator), ZORVEX_OK);
      // Enough variables that the next one needs a new block of nodes, one
      // with a name too long to be kept inside a string object.
      const std::string_view longName = "abcdefghijklmnopqrstuvwxyzabcdefghijklmn";
      ASSERT_EQ(zorvex_set_variable(calculator, longName.data(), longName.size(), 1.0), ZORVEX_OK);
      char name[3] = {'v', 'a', 'a'};
      for (int i = 0; i < 252; ++i) {
        name[1] = static_cast<char>('a' + i / 26);
        name[2] = static_cast<char>('a' + i % 26);
        ASSERT_EQ(zorvex_set_variable(calculator, name, 3, i), ZORVEX_OK);
      }
      double value = 0.0;
      ASSERT_EQ(zorvex_evaluate(calculator, "1/0", 3, &value), ZORVEX_OK);
      zorvex_status status;
      bool reached;
      {
        FailingAfter failing(count);
        status = call.run(calculator);
        reached = FailingAfter::reached();
      }
      if (reached) {
        ++failures;
        EXPECT_EQ(status, ZORVEX_NO_MEMORY) << call.what << " failing at " << count;
        // A failed call changes nothing: the error lines are those of the
        // line before, and no assignment or new variable is left.
        EXPECT_EQ(errorsOf(calculator), "Error: Divide by zero!\n") << call.what << count;
        for (const char* name :
             {"q", "b", "z", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"}) {
          EXPECT_EQ(zorvex_get_variable(calculator, name, std::strlen(name), &value),
                    ZORVEX_NOT_FOUND)
              << call.what << " failing at " << count << ": " << name;
        }
        EXPECT_EQ(zorvex_get_variable(calculator, "vaa", 3, &value), ZORVEX_OK);
        EXPECT_EQ(value, 0.0);
      } else {
        EXPECT_EQ(status, ZORVEX_OK) << call.what;
        done = true;
      }
      // The handle is whole: a line evaluates, assigns and reads back.
      ASSERT_EQ(zorvex_evaluate(calculator, "t=2*(3+4)", 9, &value), ZORVEX_OK);
      EXPECT_EQ(value, 14.0) << call.what << " failing at " << count;
      EXPECT_EQ(zorvex_get_variable(calculator, "t", 1, &value), ZORVEX_OK);
      EXPECT_EQ(value, 14.0);
      ASSERT_EQ(zorvex_evaluate(calculator, "t/0+zz", 6, &value), ZORVEX_OK);
      EXPECT_EQ(value, 14.0);
      EXPECT_EQ(
          errorsOf(calculator),
          "Error: Variable 'zz' is undeclared. It is used as 0.0 .\nError: Divide by zero!\n");
      zorvex_destroy(calculator);
    }
    EXPECT_TRUE(done) << call.what;
    EXPECT_GT(failures, 0) << call.what << " never reached the failure";
  }
}

}  // namespace
