#ifndef ZORVEX_TEXT_UNIT_BUFFER_H_
#define ZORVEX_TEXT_UNIT_BUFFER_H_

#include <cstddef>
#include <cstring>
#include <string_view>

/// The storage of a string's 16-bit units: a size and a block from
/// large_blocks, which may hold room beyond the size.
///
/// A buffer is reused when its string is refilled, so that the token table
/// and the input line cost no allocation per line once they have grown.
/// A buffer grown far beyond KEPT_UNITS by one long line is not kept for
/// the short lines after it: any change that leaves it mostly unused gives
/// the memory back.
class UnitBuffer {
 public:
  /// Buffers up to this many units are kept for reuse whatever they hold.
  static constexpr std::size_t KEPT_UNITS = std::size_t{1} << 16;

  UnitBuffer() = default;
  UnitBuffer(const UnitBuffer& other);
  UnitBuffer(UnitBuffer&& other) noexcept;
  UnitBuffer& operator=(const UnitBuffer& other);
  UnitBuffer& operator=(UnitBuffer&& other) noexcept;
  ~UnitBuffer();

  /// Returns the units.
  char16_t* data() { return data_; }
  /// Returns the units.
  const char16_t* data() const { return data_; }
  /// Returns the number of units.
  std::size_t size() const { return size_; }
  /// Returns the units as a view.
  std::u16string_view view() const { return {data_, size_}; }

  /// Makes the size `size`, keeping the units before it; units beyond the
  /// old size are unset. Returns the units.
  char16_t* resize(std::size_t size);
  /// Makes the size `size` with every unit unset, for text that replaces
  /// the old one whole. Returns the units.
  char16_t* replace(std::size_t size);
  /// Replaces the units with a copy of `units`.
  void assign(std::u16string_view units) {
    // Short text into a kept buffer with room for it, the tokenizer's case
    // for nearly every token: copied here, without a call. Text from this
    // buffer itself lies before its end and takes the general way.
    if (units.size() <= SHORT_UNITS && units.size() <= capacity_ && capacity_ <= KEPT_UNITS &&
        (units.data() < data_ || units.data() >= data_ + size_)) {
      for (std::size_t i = 0; i < units.size(); ++i) {
        data_[i] = units[i];
      }
      size_ = units.size();
      return;
    }
    assignAnyUnits(units);
  }
  /// Replaces the units with the first `size` units of `source`, all of
  /// which may be read; `source` must not lie in this buffer.
  void assignPrefix(std::u16string_view source, std::size_t size) {
    // A short text whose source runs on for a whole block is copied as one
    // block of fixed size, which takes no loop; the units copied beyond
    // `size` lie within the room and are not part of the text.
    if (size <= BLOCK_UNITS && capacity_ >= BLOCK_UNITS && capacity_ <= KEPT_UNITS) {
      if (source.size() >= BLOCK_UNITS) {
        std::memcpy(data_, source.data(), BLOCK_UNITS * sizeof(char16_t));
      } else {
        copyFewUnits(source.data(), size);  // a run at the line's end
      }
      size_ = size;
      return;
    }
    assign(source.substr(0, size));
  }
  /// Appends a copy of `units` (which must not lie in this buffer).
  void append(std::u16string_view units);
  /// Keeps only the units [from, to), moved to the front.
  void keepRange(std::size_t from, std::size_t to);
  /// Makes the size 0, giving a large block back.
  void clear();
  /// Exchanges the contents of two buffers.
  void swap(UnitBuffer& other) noexcept;

 private:
  /// Texts up to this many units are copied by assign itself.
  static constexpr std::size_t SHORT_UNITS = 16;
  /// The least room a buffer is given, and the block assignPrefix copies.
  static constexpr std::size_t BLOCK_UNITS = 8;

  /// Copies `size` units (fewer than BLOCK_UNITS) of `source` to the
  /// front: two copies of fixed size that overlap, without a loop.
  void copyFewUnits(const char16_t* source, std::size_t size) {
    if (size >= 4) {
      std::memcpy(data_, source, 4 * sizeof(char16_t));
      std::memcpy(data_ + size - 4, source + size - 4, 4 * sizeof(char16_t));
    } else if (size >= 2) {
      std::memcpy(data_, source, 2 * sizeof(char16_t));
      std::memcpy(data_ + size - 2, source + size - 2, 2 * sizeof(char16_t));
    } else if (size == 1) {
      data_[0] = source[0];
    }
  }
  /// As assign, for any text.
  void assignAnyUnits(std::u16string_view units);
  /// Gives the block back and makes the buffer empty.
  void release() noexcept;
  /// Changes the room to `capacity` units, keeping the first units.
  void reallocate(std::size_t capacity);
  /// True when `size` units would leave a large block mostly unused.
  bool oversized(std::size_t size) const { return capacity_ > KEPT_UNITS && size < capacity_ / 4; }

  char16_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

#endif  // ZORVEX_TEXT_UNIT_BUFFER_H_
