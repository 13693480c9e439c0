#include "text/large_blocks.h"

#include <sys/mman.h>

#include <cstdlib>

namespace {

/// The size of a huge page, and the block size from which blocks go on them.
constexpr std::size_t HUGE_PAGE = std::size_t{1} << 21;
constexpr std::size_t LARGE_BLOCK = 2 * HUGE_PAGE;

}  // namespace

void* allocateBlock(std::size_t bytes) {
  void* block = nullptr;
  if (bytes >= LARGE_BLOCK) {
    const std::size_t rounded = (bytes + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    block = std::aligned_alloc(HUGE_PAGE, rounded);
    if (block != nullptr) {
      madvise(block, rounded, MADV_HUGEPAGE);  // only advice: failure is harmless
    }
  } else {
    block = std::malloc(bytes == 0 ? 1 : bytes);
  }
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  return block;
}

void freeBlock(void* block) noexcept { std::free(block); }
