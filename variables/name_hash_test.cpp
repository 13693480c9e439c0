#include "variables/name_hash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr NameHashKey KEY_ONE = {0x243f6a8885a308d3u, 0x13198a2e03707344u};
constexpr NameHashKey KEY_TWO = {0xa4093822299f31d0u, 0x082efa98ec4e6c89u};
constexpr uint64_t BUCKETS = 1024;

// Every name of three letters and a final 'a': they differ before the last
// unit, where the key decides the slot.
std::vector<std::u16string> threeLetterNames() {
  std::vector<std::u16string> names;
  for (char16_t a = u'a'; a <= u'z'; ++a) {
    for (char16_t b = u'a'; b <= u'z'; ++b) {
      for (char16_t c = u'a'; c <= u'z'; ++c) {
        names.push_back({a, b, c, u'a'});
      }
    }
  }
  return names;
}

std::vector<std::vector<std::u16string>> bucketsUnder(const std::vector<std::u16string>& names,
                                                      const NameHashKey& key) {
  std::vector<std::vector<std::u16string>> buckets(BUCKETS);
  for (const std::u16string& name : names) {
    buckets[hashName(name, key) % BUCKETS].push_back(name);
  }
  return buckets;
}

// The names that share the fullest bucket under one key are what a script
// crafted against that key would use; under another key they must scatter.
TEST(NameHashTest, NamesCollidingUnderOneKeyScatterUnderAnother) {
  const std::vector<std::u16string> names = threeLetterNames();
  const auto buckets = bucketsUnder(names, KEY_ONE);
  const auto fullest = std::max_element(buckets.begin(), buckets.end(),
                                        [](auto& a, auto& b) { return a.size() < b.size(); });
  // About 17 names per bucket; a sound hash never triples that.
  ASSERT_GE(fullest->size(), 17u);
  EXPECT_LE(fullest->size(), 3 * names.size() / BUCKETS);
  std::set<uint64_t> slotsUnderTwo;
  for (const std::u16string& name : *fullest) {
    slotsUnderTwo.insert(hashName(name, KEY_TWO) % BUCKETS);
  }
  EXPECT_GE(slotsUnderTwo.size(), fullest->size() * 3 / 4);
}

TEST(NameHashTest, EveryUnitAndTheLengthCount) {
  using namespace std::string_literals;
  const std::u16string cases[][2] = {
      {u"abcdefghij", u"abcdefghik"}, {u"abcdefghij", u"bbcdefghij"},
      {u"abcdefghij", u"abcdefhgij"}, {u"ab", u"ab\0"s},
      {u"abcde", u"abcd\0e"s},        {u"x", u""},
  };
  for (const auto& pair : cases) {
    EXPECT_NE(hashName(pair[0], KEY_ONE), hashName(pair[1], KEY_ONE))
        << std::string(pair[0].begin(), pair[0].end());
  }
}

TEST(NameHashTest, EachProcessDrawsItsOwnKeyOnce) {
  for (NameHashKey (*draw)() : {drawNameHashKey, fallbackNameHashKey}) {
    const NameHashKey a = draw();
    const NameHashKey b = draw();
    EXPECT_NE(a.first, b.first);
    EXPECT_NE(a.second, b.second);
  }
  EXPECT_EQ(&processNameHashKey(), &processNameHashKey());
}

}  // namespace
