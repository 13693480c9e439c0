#include "variables/name_hash.h"

#include <time.h>
#include <unistd.h>

#include <atomic>

#include "text/portable.h"

namespace {

uint64_t scramble(uint64_t x);

}  // namespace

const NameHashKey& processNameHashKey() {
  static const NameHashKey key = drawNameHashKey();
  return key;
}

NameHashKey drawNameHashKey() {
  NameHashKey key{};
  // Without waiting: early in boot the pool may not be ready yet, and a
  // calculator must not hang for it.
  if (portable::fillRandom(&key, sizeof key)) {
    return key;
  }
  return fallbackNameHashKey();
}

NameHashKey fallbackNameHashKey() {
  // The time to the nanosecond, the process id and where the stack was
  // placed differ from run to run and are not visible in the input; the
  // count of calls keeps two keys of one process apart on a coarse clock.
  static std::atomic<uint64_t> calls{0};
  NameHashKey key{};
  timespec wall{};
  timespec steady{};
  clock_gettime(CLOCK_REALTIME, &wall);
  clock_gettime(CLOCK_MONOTONIC, &steady);
  const uint64_t time =
      static_cast<uint64_t>(wall.tv_sec) * 1000000000u + static_cast<uint64_t>(wall.tv_nsec);
  const uint64_t place =
      reinterpret_cast<uintptr_t>(&key) ^ (static_cast<uint64_t>(getpid()) << 40);
  key.first = scramble(time ^ scramble(place ^ (calls.fetch_add(1) << 20)));
  key.second = scramble(key.first ^ static_cast<uint64_t>(steady.tv_nsec) ^
                        static_cast<uint64_t>(steady.tv_sec) << 30);
  return key;
}

namespace {

/// A bijective mix of 64 bits in which every input bit affects every
/// output bit.
uint64_t scramble(uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9u;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebu;
  return x ^ (x >> 31);
}

}  // namespace
