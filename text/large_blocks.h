#ifndef ZORVEX_TEXT_LARGE_BLOCKS_H_
#define ZORVEX_TEXT_LARGE_BLOCKS_H_

#include <cstddef>
#include <new>

/// Allocates `bytes` of uninitialised memory for a buffer that may be
/// large. Blocks of several megabytes are placed on huge pages, so that
/// filling one costs a handful of page faults instead of thousands; smaller
/// ones come from the ordinary heap. Throws std::bad_alloc on failure.
void* allocateBlock(std::size_t bytes);

/// Frees a block from allocateBlock; null is ignored.
void freeBlock(void* block) noexcept;

/// An allocator that takes its memory from allocateBlock, for containers
/// whose contents can grow to the size of a whole input line.
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;

  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) { return static_cast<T*>(allocateBlock(count * sizeof(T))); }
  void deallocate(T* block, std::size_t) noexcept { freeBlock(block); }

  template <typename U>
  bool operator==(const LargeBlockAllocator<U>&) const noexcept {
    return true;
  }
};

#endif  // ZORVEX_TEXT_LARGE_BLOCKS_H_
