#include "text/unit_buffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "text/large_blocks.h"

UnitBuffer::UnitBuffer(const UnitBuffer& other) { assign(other.view()); }

UnitBuffer::UnitBuffer(UnitBuffer&& other) noexcept { swap(other); }

UnitBuffer& UnitBuffer::operator=(const UnitBuffer& other) {
  if (this != &other) {
    assign(other.view());
  }
  return *this;
}

UnitBuffer& UnitBuffer::operator=(UnitBuffer&& other) noexcept {
  if (this != &other) {
    release();
    swap(other);
  }
  return *this;
}

UnitBuffer::~UnitBuffer() { release(); }

char16_t* UnitBuffer::resize(std::size_t size) {
  if (size > capacity_) {
    // Growing doubles the room, so a text built piece by piece is copied a
    // bounded number of times; a large block grows by remapping its pages,
    // and the room beyond the size is never touched, so it costs no memory.
    reallocate(size > 2 * capacity_ ? size : 2 * capacity_);
  } else if (oversized(size)) {
    reallocate(size);
  }
  size_ = size;
  return data_;
}

char16_t* UnitBuffer::replace(std::size_t size) {
  if (size > capacity_ || oversized(size)) {
    // Nothing of the old text is kept, so nothing is copied.
    release();
    reallocate(size);
  }
  size_ = size;
  return data_;
}

void UnitBuffer::assignAnyUnits(std::u16string_view units) {
  if (!units.empty() && units.data() >= data_ && units.data() < data_ + size_) {
    const std::size_t from = static_cast<std::size_t>(units.data() - data_);
    keepRange(from, from + units.size());  // a piece of this buffer's own text
    return;
  }
  char16_t* target = replace(units.size());
  if (!units.empty()) {
    std::memcpy(target, units.data(), units.size() * sizeof(char16_t));
  }
}

void UnitBuffer::append(std::u16string_view units) {
  const std::size_t old = size_;
  char16_t* target = resize(old + units.size());
  if (!units.empty()) {
    std::memcpy(target + old, units.data(), units.size() * sizeof(char16_t));
  }
}

void UnitBuffer::keepRange(std::size_t from, std::size_t to) {
  if (from > 0 && to > from) {
    std::memmove(data_, data_ + from, (to - from) * sizeof(char16_t));
  }
  resize(to > from ? to - from : 0);
}

void UnitBuffer::clear() {
  if (capacity_ > KEPT_UNITS) {
    release();
  }
  size_ = 0;
}

void UnitBuffer::swap(UnitBuffer& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
}

void UnitBuffer::release() noexcept {
  freeBlock(data_, capacity_ * sizeof(char16_t));
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

void UnitBuffer::reallocate(std::size_t capacity) {
  if (capacity == 0) {
    release();
    return;
  }
  capacity = std::max(capacity, BLOCK_UNITS);
  data_ = static_cast<char16_t*>(
      resizeBlock(data_, capacity_ * sizeof(char16_t), capacity * sizeof(char16_t)));
  capacity_ = capacity;
}
