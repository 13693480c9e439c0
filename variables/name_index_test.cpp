#include "variables/name_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>

#include "variables/variable_store.h"

namespace {

TEST(NameIndexTest, FindsEveryInsertedNameThroughGrowth) {
  NameIndex index;
  std::deque<Variable> variables;  // stable addresses
  for (int i = 0; i < 5000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "n%d", i * 7919);
    variables.push_back(Variable{WideString(name), static_cast<double>(i), nullptr});
    index.insert(&variables.back());
  }
  for (int i = 0; i < 5000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "n%d", i * 7919);
    Variable* found = index.find(WideString(name).view());
    ASSERT_NE(found, nullptr) << name;
    EXPECT_EQ(found->value, i);
  }
  EXPECT_EQ(index.find(u"n1"), nullptr);
  EXPECT_EQ(index.find(u""), nullptr);
}

TEST(NameIndexTest, NamesDifferingOnlyInCaseOrLengthAreDistinct) {
  NameIndex index;
  Variable lower{WideString("pi"), 1, nullptr};
  Variable upper{WideString("PI"), 2, nullptr};
  Variable empty{WideString(""), 3, nullptr};
  index.insert(&lower);
  index.insert(&upper);
  index.insert(&empty);
  EXPECT_EQ(index.find(u"pi"), &lower);
  EXPECT_EQ(index.find(u"PI"), &upper);
  EXPECT_EQ(index.find(u""), &empty);
  EXPECT_EQ(index.find(u"p"), nullptr);
  EXPECT_EQ(index.find(u"pii"), nullptr);
}

}  // namespace
