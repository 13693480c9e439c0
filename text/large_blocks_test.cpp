#include "text/large_blocks.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

/// The byte written at `index`: differs from its neighbours and from the
/// same offset in any other page, so a page that moved to the wrong place
/// or came back empty shows.
unsigned char patternAt(std::size_t index) {
  return static_cast<unsigned char>(index * 131 + index / 4096 + 1);
}

/// The first index in [0, bytes) whose byte is not the pattern's, or bytes.
std::size_t firstDifference(const void* block, std::size_t bytes) {
  const auto* data = static_cast<const unsigned char*>(block);
  for (std::size_t i = 0; i < bytes; ++i) {
    if (data[i] != patternAt(i)) {
      return i;
    }
  }
  return bytes;
}

// A block resized keeps its first bytes whichever way it goes: within the
// heap, from the heap to a mapping of its own (a megabyte and more), from
// one mapping to a larger one (its pages remapped, not copied), to a
// smaller one, and back to the heap; the whole new size can be written.
TEST(LargeBlocksTest, ResizedBlockKeepsItsContents) {
  const std::size_t heap = 4000;
  const std::size_t nearMapped = HUGE_PAGE / 2 - 1;
  const std::size_t mapped = HUGE_PAGE - 12345;
  const std::size_t remapped = 3 * HUGE_PAGE + 777;
  const std::size_t sizes[][2] = {
      {heap, nearMapped}, {nearMapped, remapped}, {mapped, remapped},   {mapped, 2 * HUGE_PAGE},
      {remapped, mapped}, {remapped, heap},       {mapped, mapped + 1},
  };
  for (const auto& size : sizes) {
    const std::size_t from = size[0];
    const std::size_t to = size[1];
    auto* block = static_cast<unsigned char*>(allocateBlock(from));
    for (std::size_t i = 0; i < from; ++i) {
      block[i] = patternAt(i);
    }
    block = static_cast<unsigned char*>(resizeBlock(block, from, to));
    const std::size_t kept = from < to ? from : to;
    EXPECT_EQ(firstDifference(block, kept), kept) << from << " -> " << to;
    for (std::size_t i = 0; i < to; ++i) {
      block[i] = patternAt(i);
    }
    EXPECT_EQ(firstDifference(block, to), to) << from << " -> " << to;
    freeBlock(block, to);
  }
}

}  // namespace
