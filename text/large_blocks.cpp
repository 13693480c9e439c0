#include "text/large_blocks.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

/// Blocks from this size on are mapped on their own, not taken from the
/// heap, and put on huge pages.
constexpr std::size_t MAPPED_BLOCK = std::size_t{1} << 20;
/// Heap blocks from this size on have their whole huge pages advised.
constexpr std::size_t LARGE_BLOCK = 2 * HUGE_PAGE;

bool isMapped(std::size_t bytes) { return bytes >= MAPPED_BLOCK; }

/// The size of the mapping that holds a mapped block of `bytes`: whole
/// huge pages.
std::size_t mappedSize(std::size_t bytes) { return (bytes + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1); }

/// Advises the whole huge pages inside [block, block + bytes) as huge pages.
void adviseHugePages(void* block, std::size_t bytes) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(block);
  const uintptr_t start = (address + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  const uintptr_t end = (address + bytes) & ~(HUGE_PAGE - 1);
  if (end > start) {
    // Only advice: failure is harmless.
    madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
}

/// Maps `size` bytes starting on a huge page boundary; returns null on
/// failure.
void* mapAligned(std::size_t size) {
  const std::size_t slack = HUGE_PAGE;
  void* mapped =
      mmap(nullptr, size + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) {
    return nullptr;
  }
  const uintptr_t address = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t start = (address + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  if (start > address) {
    munmap(mapped, start - address);
  }
  const uintptr_t end = start + size;
  if (address + size + slack > end) {
    munmap(reinterpret_cast<void*>(end), address + size + slack - end);
  }
  return reinterpret_cast<void*>(start);
}

}  // namespace

void* allocateBlock(std::size_t bytes) {
  void* block = nullptr;
  if (isMapped(bytes)) {
    block = mapAligned(mappedSize(bytes));
    if (block != nullptr) {
      adviseHugePages(block, mappedSize(bytes));
    }
  } else {
    block = std::malloc(bytes == 0 ? 1 : bytes);
  }
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  return block;
}

void* resizeBlock(void* block, std::size_t oldBytes, std::size_t newBytes) {
  if (block == nullptr) {
    return allocateBlock(newBytes);
  }
  if (!isMapped(oldBytes) && !isMapped(newBytes)) {
    void* resized = std::realloc(block, newBytes == 0 ? 1 : newBytes);
    if (resized == nullptr) {
      throw std::bad_alloc();
    }
    return resized;
  }
  if (!isMapped(oldBytes) || !isMapped(newBytes)) {
    // Between the heap and a mapping: at most a megabyte is copied.
    void* moved = allocateBlock(newBytes);
    std::memcpy(moved, block, oldBytes < newBytes ? oldBytes : newBytes);
    freeBlock(block, oldBytes);
    return moved;
  }
  const std::size_t oldSize = mappedSize(oldBytes);
  const std::size_t newSize = mappedSize(newBytes);
  if (newSize == oldSize) {
    return block;
  }
  if (newSize < oldSize) {
    munmap(static_cast<char*>(block) + newSize, oldSize - newSize);
    return block;
  }
  // The pages move to a fresh range of the new size, aligned as a new block
  // would be; the part beyond the old size is new, untouched memory.
  void* target = mapAligned(newSize);
  if (target == nullptr) {
    throw std::bad_alloc();
  }
  void* moved = mremap(block, oldSize, newSize, MREMAP_MAYMOVE | MREMAP_FIXED, target);
  if (moved == MAP_FAILED) {
    munmap(target, newSize);
    throw std::bad_alloc();
  }
  adviseHugePages(moved, newSize);
  return moved;
}

void freeBlock(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) {
    return;
  }
  if (isMapped(bytes)) {
    munmap(block, mappedSize(bytes));
  } else {
    std::free(block);
  }
}

void* allocateZeroedBlock(std::size_t bytes) {
  // calloc hands out fresh, already zeroed pages for large sizes, so the
  // block is not written twice.
  void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  if (bytes >= LARGE_BLOCK) {
    adviseHugePages(block, bytes);
  }
  return block;
}
