#ifndef ZORVEX_VARIABLES_NAME_HASH_H_
#define ZORVEX_VARIABLES_NAME_HASH_H_

#include <cstdint>
#include <cstring>
#include <string_view>

/// The secret that decides where every name lands in the variable index.
/// Input that does not know it cannot choose names that pile up on one
/// slot, so the index stays fast whatever names a script creates.
struct NameHashKey {
  uint64_t first;
  uint64_t second;
};

/// Returns this process's key, drawn from the system's random source on
/// first use and the same for the rest of the run.
const NameHashKey& processNameHashKey();

/// Returns a new key from the system's random source, or, when it has none
/// to give (an old kernel, a sandbox, a pool not ready yet), the fallback.
NameHashKey drawNameHashKey();

/// Returns a key made from the clock, the process id and the address space.
NameHashKey fallbackNameHashKey();

namespace name_hash_internal {

/// Multiplies to 128 bits and folds the halves together: every bit of `a`
/// reaches the low bits of the result, which pick the slot.
inline uint64_t fold(uint64_t a, uint64_t b) {
  __extension__ using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(a) * b;
  return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
}

}  // namespace name_hash_internal

/// Returns the hash of `name` under `key`: the index's slot is its low bits,
/// the tag its high half.
inline uint64_t hashName(std::u16string_view name, const NameHashKey& key) {
  using name_hash_internal::fold;
  // Every unit but the last is folded in four at a time under the key. The
  // last unit is added afterwards: names that differ only in it (x1a, x1b,
  // ...; a script's systematically named variables) get neighbouring slots,
  // so a run that creates or uses them in order touches the index almost
  // sequentially. Such a group is at most as large as the alphabet, and
  // where each group lands is up to the key.
  if (name.empty()) {
    return key.first;
  }
  const std::size_t prefix = name.size() - 1;
  const char16_t* units = name.data();
  const uint64_t multiplier = key.second | 1;
  uint64_t hash = key.first ^ prefix;
  std::size_t i = 0;
  for (; i + 4 <= prefix; i += 4) {
    uint64_t word;
    std::memcpy(&word, units + i, sizeof word);
    hash = fold(hash ^ word, multiplier);
  }
  if (i < prefix) {
    uint64_t word = 0;
    for (int shift = 0; i < prefix; ++i, shift += 16) {
      word |= static_cast<uint64_t>(units[i]) << shift;
    }
    hash = fold(hash ^ word, multiplier);
  }
  const uint64_t last = name.back();
  return (hash + last) ^ (last << 32);
}

#endif  // ZORVEX_VARIABLES_NAME_HASH_H_
