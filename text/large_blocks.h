#ifndef ZORVEX_TEXT_LARGE_BLOCKS_H_
#define ZORVEX_TEXT_LARGE_BLOCKS_H_

#include <cstddef>

/// The size of a huge page of the processor's memory translation.
constexpr std::size_t HUGE_PAGE = std::size_t{1} << 21;

/// Allocates `bytes` of uninitialised memory for a buffer that may be as
/// large as a whole input line. Blocks of a megabyte and more are mapped
/// from the system on their own, so freeing one gives its memory back at
/// once, and blocks of several megabytes go on huge pages, so that filling
/// one costs a handful of page faults instead of thousands. Returns the
/// block; throws std::bad_alloc on failure.
void* allocateBlock(std::size_t bytes);

/// Changes the size of a block from allocateBlock of `oldBytes` to
/// `newBytes`, keeping its first bytes. A large block is moved or trimmed
/// by remapping its pages, never by copying them, so growing costs no
/// second copy and shrinking gives the spare pages back. Returns the block,
/// which may have moved; throws std::bad_alloc on failure (the old block
/// is then unchanged).
void* resizeBlock(void* block, std::size_t oldBytes, std::size_t newBytes);

/// Frees a block from allocateBlock or resizeBlock of `bytes`; null is
/// ignored.
void freeBlock(void* block, std::size_t bytes) noexcept;

/// Allocates `bytes` of zeroed memory from the ordinary heap, to be released
/// with std::free, with its whole huge pages advised as such: for large
/// tables whose look-ups land anywhere in them. Returns the block; throws
/// std::bad_alloc on failure.
void* allocateZeroedBlock(std::size_t bytes);

#endif  // ZORVEX_TEXT_LARGE_BLOCKS_H_
