#include "variables/name_hash.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

/// What the system's random source handed to this test program: the first
/// keys it gave (each read of a key's size), and how many reads it served.
struct RandomSource {
  NameHashKey given[64];
  int reads = 0;
  bool failing = false;  // set: every read fails as a pool not yet ready does
};
RandomSource randomSource;

bool sameKey(const NameHashKey& a, const NameHashKey& b) {
  return a.first == b.first && a.second == b.second;
}

}  // namespace

// Stands in for the C library's getrandom in this test program: it reads
// the kernel's source as the library would, and notes what it gave, so the
// tests can tell a key drawn from the system from one made up otherwise.
extern "C" ssize_t getrandom(void* buffer, size_t length, unsigned int flags) {
  if (randomSource.failing) {
    errno = EAGAIN;
    return -1;
  }
  const long got = syscall(SYS_getrandom, buffer, length, flags);
  if (got == static_cast<long>(sizeof(NameHashKey)) && randomSource.reads < 64) {
    std::memcpy(&randomSource.given[randomSource.reads], buffer, sizeof(NameHashKey));
  }
  randomSource.reads += got >= 0 ? 1 : 0;
  return got;
}

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
// Each half of the key must count: a key that differs in either half alone
// scatters them too.
TEST(NameHashTest, NamesCollidingUnderOneKeyScatterUnderAnother) {
  const std::vector<std::u16string> names = threeLetterNames();
  const auto buckets = bucketsUnder(names, KEY_ONE);
  const auto fullest = std::max_element(buckets.begin(), buckets.end(),
                                        [](auto& a, auto& b) { return a.size() < b.size(); });
  // About 17 names per bucket; a sound hash never triples that.
  ASSERT_GE(fullest->size(), 17u);
  EXPECT_LE(fullest->size(), 3 * names.size() / BUCKETS);
  for (const NameHashKey& other : {KEY_TWO, NameHashKey{KEY_TWO.first, KEY_ONE.second},
                                   NameHashKey{KEY_ONE.first, KEY_TWO.second}}) {
    std::set<uint64_t> slots;
    for (const std::u16string& name : *fullest) {
      slots.insert(hashName(name, other) % BUCKETS);
    }
    EXPECT_GE(slots.size(), fullest->size() * 3 / 4)
        << std::hex << other.first << " " << other.second;
  }
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

// A key is what the system's random source gives; only when the source has
// nothing to give is it made up, and then still different every time.
TEST(NameHashTest, KeysComeFromTheSystemsRandomSource) {
  const int reads = randomSource.reads;
  const NameHashKey drawn = drawNameHashKey();
  ASSERT_EQ(randomSource.reads, reads + 1);
  EXPECT_TRUE(sameKey(drawn, randomSource.given[reads]));

  randomSource.failing = true;
  const NameHashKey a = drawNameHashKey();
  const NameHashKey b = drawNameHashKey();
  randomSource.failing = false;
  EXPECT_NE(a.first, b.first);
  EXPECT_NE(a.second, b.second);
  EXPECT_FALSE(sameKey(a, drawn) || sameKey(b, drawn));
}

// The process's key is drawn from the system once and then kept.
TEST(NameHashTest, EachProcessDrawsItsOwnKeyOnce) {
  const NameHashKey key = processNameHashKey();
  const int reads = randomSource.reads;
  EXPECT_TRUE(sameKey(processNameHashKey(), key));
  EXPECT_EQ(randomSource.reads, reads);
  const auto given = std::find_if(randomSource.given, randomSource.given + std::min(reads, 64),
                                  [&](const NameHashKey& k) { return sameKey(k, key); });
  EXPECT_NE(given, randomSource.given + std::min(reads, 64)) << "not a key the system gave";
}

}  // namespace
