#include "variables/variable_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(VariableTableTest, FindsEveryNameThroughGrowthAndKeepsNodesInPlace) {
  VariableTable table;
  std::vector<Variable*> created;
  char name[16];
  for (int i = 0; i < 5000; ++i) {
    std::snprintf(name, sizeof name, "n%d", i * 7919);
    created.push_back(table.add(WideString(name), i));
  }
  for (int i = 0; i < 5000; ++i) {
    std::snprintf(name, sizeof name, "n%d", i * 7919);
    Variable* found = table.find(WideString(name).view());
    ASSERT_EQ(found, created[static_cast<std::size_t>(i)]) << name;  // never moved
    EXPECT_EQ(found->value, i);
    EXPECT_EQ(found->next, nullptr);
  }
  EXPECT_EQ(table.find(u"n1"), nullptr);
  EXPECT_EQ(table.find(u""), nullptr);
}

TEST(VariableTableTest, NamesDifferingOnlyInCaseOrLengthAreDistinct) {
  VariableTable table;
  Variable* lower = table.add(WideString("pi"), 1);
  Variable* upper = table.add(WideString("PI"), 2);
  Variable* empty = table.add(WideString(""), 3);
  EXPECT_EQ(table.find(u"pi"), lower);
  EXPECT_EQ(table.find(u"PI"), upper);
  EXPECT_EQ(table.find(u""), empty);
  EXPECT_EQ(table.find(u"p"), nullptr);
  EXPECT_EQ(table.find(u"pii"), nullptr);
}

}  // namespace

namespace {

// Names that differ only in their last letter sit side by side in the
// index; every one must still be found, also when groups of them collide.
TEST(VariableTableTest, NeighbouringNamesAllFound) {
  VariableTable table;
  std::vector<Variable*> created;
  char name[8] = "aaaa";
  for (int i = 0; i < 26 * 26 * 26; ++i) {
    name[1] = static_cast<char>('a' + i / 676);
    name[2] = static_cast<char>('a' + i / 26 % 26);
    name[3] = static_cast<char>('a' + i % 26);
    created.push_back(table.add(WideString(name), i));
  }
  for (int i = 0; i < 26 * 26 * 26; ++i) {
    name[1] = static_cast<char>('a' + i / 676);
    name[2] = static_cast<char>('a' + i / 26 % 26);
    name[3] = static_cast<char>('a' + i % 26);
    ASSERT_EQ(table.find(WideString(name).view()), created[static_cast<std::size_t>(i)]) << name;
  }
  EXPECT_EQ(table.find(u"aaaa{"), nullptr);
  EXPECT_EQ(table.find(u"baaa"), nullptr);
}

}  // namespace

namespace {

// Names whose slots coincide under the table's key still all get found:
// the key spreads names, correctness never depends on it.
// A table made without a key must hash under the process's secret one: a
// key written in the program would be one that input can be crafted for.
TEST(VariableTableTest, TablesWithoutAKeyUseTheProcessKey) {
  const VariableTable table;
  const NameHashKey& key = processNameHashKey();
  EXPECT_EQ(table.hashKey().first, key.first);
  EXPECT_EQ(table.hashKey().second, key.second);
}

TEST(VariableTableTest, NamesCollidingUnderTheKeyAreAllFound) {
  const NameHashKey key = {0x452821e638d01377u, 0xbe5466cf34e90c6cu};
  VariableTable table(key);
  std::vector<std::pair<std::u16string, Variable*>> created;
  char name[5] = "aaaa";
  for (int i = 0; i < 26 * 26 * 26; ++i) {
    name[0] = static_cast<char>('a' + i / 676);
    name[1] = static_cast<char>('a' + i / 26 % 26);
    name[2] = static_cast<char>('a' + i % 26);
    const std::u16string units(name, name + 4);
    if (hashName(units, key) % 64 == 5) {
      created.emplace_back(units, table.add(WideString(name), i));
    }
  }
  ASSERT_GT(created.size(), 200u);
  for (const auto& [text, node] : created) {
    ASSERT_EQ(table.find(text), node);
  }
  EXPECT_EQ(table.find(u"zzzz"), nullptr);
}

}  // namespace

namespace {

TEST(VariableTableTest, RemovingTheNewestLeavesEveryOtherNameFound) {
  // Under a fixed key the placements repeat from run to run; an index up
  // to half full has runs of slots, so removals have entries to move back.
  VariableTable table(NameHashKey{1, 2});
  constexpr int COUNT = 3000;
  std::vector<Variable*> created;
  char name[16];
  for (int i = 0; i < COUNT; ++i) {
    std::snprintf(name, sizeof name, "v%d", i);
    created.push_back(table.add(WideString(name), i));
  }
  for (int removed = COUNT - 1; removed >= COUNT / 2; --removed) {
    ASSERT_EQ(table.last(), created[static_cast<std::size_t>(removed)]);
    table.removeLast();
    std::snprintf(name, sizeof name, "v%d", removed);
    ASSERT_EQ(table.find(WideString(name).view()), nullptr) << name;
    if (removed % 500 == 0) {
      for (int kept = 0; kept < removed; ++kept) {
        std::snprintf(name, sizeof name, "v%d", kept);
        ASSERT_EQ(table.find(WideString(name).view()), created[static_cast<std::size_t>(kept)])
            << name << " after removing down to " << removed;
      }
    }
  }
  // The places are taken again by new names.
  Variable* again = table.add(WideString("again"), 7);
  EXPECT_EQ(again, created[COUNT / 2]);
  EXPECT_EQ(table.find(u"again"), again);
  EXPECT_EQ(table.find(u"v0"), created[0]);
}

}  // namespace
