#include "variables/variable_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace {

TEST(VariableStoreTest, FirstSetCreatesTheUnnamedVariableInFront) {
  VariableStore store;
  EXPECT_EQ(store.first(), nullptr);
  store.set(WideString("pi"), 3.14159);
  ASSERT_NE(store.first(), nullptr);
  EXPECT_EQ(store.first()->name.length(), 0);
  EXPECT_TRUE(store.first()->next->name.equals(WideString("pi")));
}

// Setting the unnamed variable first creates it once, with the value set,
// and nothing after it.
TEST(VariableStoreTest, SettingTheUnnamedVariableFirstCreatesOnlyIt) {
  VariableStore store;
  store.set(WideString(""), 7);
  ASSERT_NE(store.first(), nullptr);
  EXPECT_EQ(store.first()->value, 7);
  EXPECT_EQ(store.first()->next, nullptr);
  EXPECT_EQ(store.find(WideString(""))->value, 7);
  std::ostringstream out;
  store.show(out);
  EXPECT_EQ(out.str(), "\n\t\t7\n\n");
}

TEST(VariableStoreTest, SetUpdatesInPlaceAndAppendsNewNames) {
  VariableStore store;
  store.set(WideString("pi"), 3.14159);
  store.set(WideString("x"), 3);
  store.set(WideString("x"), 4);
  store.set(WideString("pi"), 3);
  store.set(WideString(""), 5);
  std::ostringstream out;
  store.show(out);
  EXPECT_EQ(out.str(), "\n\t\t5\npi\t\t3\nx\t\t4\n\n");
}

TEST(VariableStoreTest, ListingUsesFifteenSignificantDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {{2.5, "2.5"},
               {-1, "-1"},
               {0.0000001, "1e-07"},
               {0.1234567, "0.1234567"},
               {1.0 / 3.0, "0.333333333333333"},
               {1e15, "1e+15"},
               {123456789012345.0, "123456789012345"}};
  for (const auto& c : cases) {
    VariableStore store;
    store.set(WideString("v"), c.value);
    std::ostringstream out;
    store.show(out);
    EXPECT_EQ(out.str(), std::string("\n\t\t0\nv\t\t") + c.text + "\n\n") << c.value;
  }
}

TEST(VariableStoreTest, KeepsCreationOrderForManyVariables) {
  VariableStore store;
  char name[16];
  for (int i = 0; i < 20000; ++i) {
    std::snprintf(name, sizeof name, "v%d", i);
    store.set(WideString(name), i);
  }
  int expected = -1;  // the unnamed variable comes first
  for (const Variable* node = store.first(); node != nullptr; node = node->next, ++expected) {
    if (expected >= 0) {
      EXPECT_EQ(node->value, expected);
    }
  }
  EXPECT_EQ(expected, 20000);
  EXPECT_EQ(store.find(WideString("v19999"))->value, 19999);
}

}  // namespace

namespace {

TEST(VariableStoreTest, NotedChangesAreTakenBackNewestFirst) {
  VariableStore store;
  store.set(WideString("pi"), 3.14159);
  store.set(WideString("x"), 1);
  std::ostringstream before;
  store.show(before);

  store.noteChanges();
  store.set(WideString("x"), 2);
  store.set(WideString("y"), 3);
  store.set(WideString("x"), 4);
  store.set(WideString("z"), 5);
  store.undoChanges();
  std::ostringstream after;
  store.show(after);
  EXPECT_EQ(after.str(), before.str());
  EXPECT_EQ(store.find(WideString("y")), nullptr);
  EXPECT_EQ(store.find(WideString("z")), nullptr);

  // Kept changes stay, and nothing is noted once noting has stopped.
  store.noteChanges();
  store.set(WideString("y"), 6);
  store.keepChanges();
  store.set(WideString("w"), 7);
  store.undoChanges();
  std::ostringstream kept;
  store.show(kept);
  EXPECT_EQ(kept.str(), "\n\t\t0\npi\t\t3.14159\nx\t\t1\ny\t\t6\nw\t\t7\n\n");
}

}  // namespace
