#ifndef ZORVEX_TEXT_WIDE_STRING_H_
#define ZORVEX_TEXT_WIDE_STRING_H_

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "text/unit_buffer.h"

/// The program's only text type: 16-bit code units with an explicit length.
///
/// Bytes enter by sign extension (0x80..0xFF become 0xFF80..0xFFFF) and leave
/// as the low byte of each unit, so every byte read from the console is
/// written back unchanged. A string is a value: copies never share units.
///
/// The units live in a buffer that is reused when a string is refilled (see
/// UnitBuffer); `capacity()` still reports the array size a string of exact
/// size would have (length + 1, or 0 when the string holds no array).
class WideString {
 public:
  /// The empty string with no array.
  WideString();
  /// One unit per byte before the terminating zero, each sign-extended.
  WideString(const char* bytes);
  /// The "%f" text of the value (see number_text.h), never truncated.
  explicit WideString(double value);
  /// One unit: the character sign-extended.
  explicit WideString(char character);
  /// One unit, stored unchanged.
  explicit WideString(char16_t unit);
  WideString(const WideString& other) = default;
  WideString(WideString&& other) noexcept;
  WideString& operator=(const WideString& other) = default;
  WideString& operator=(WideString&& other) noexcept;
  virtual ~WideString();

  /// Returns the unit a byte becomes: the byte sign-extended.
  static char16_t widenByte(char byte) {
    return static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(byte)));
  }

  /// Builds a string from `size` bytes, each sign-extended; zero bytes are kept.
  static WideString fromBytes(const char* bytes, std::size_t size);

  /// Replaces the text with `size` bytes, each sign-extended, reusing the buffer.
  void assignBytes(const char* bytes, std::size_t size);
  /// Appends `size` bytes, each sign-extended, in place.
  void appendBytes(const char* bytes, std::size_t size);

  /// The most units a text may have for its positions, its length and its
  /// capacity all to fit in an int; whoever takes text from outside
  /// refuses longer ones.
  static constexpr std::size_t MAX_LENGTH = std::numeric_limits<int>::max() - 1;

  /// Returns the number of units of text.
  int length() const { return static_cast<int>(text().size()); }
  /// Returns true when the text has more than `units` units; a number's
  /// text is not written out for the answer.
  bool longerThan(std::size_t units) const;
  /// Returns the array size: length + 1, or 0 when the string holds no array.
  int capacity() const { return hasArray_ ? length() + 1 : 0; }
  /// Returns the unit at `index`, or a shared zero unit outside the text.
  char16_t& at(int index);
  /// Returns the unit at `index`, or 0 outside the text.
  char16_t at(int index) const;
  /// Returns true when both texts have the same length and the same units.
  bool equals(const WideString& other) const { return view() == other.view(); }
  /// Replaces this string with a copy of `other`; returns this string.
  WideString& assign(const WideString& other);
  /// Returns this text followed by `other`'s text; neither operand changes.
  WideString concat(const WideString& other) const;
  /// Appends `other`'s text to this string in place.
  void append(const WideString& other);
  /// Appends one unit in place.
  void appendUnit(char16_t unit);
  /// Returns the units [from, to); to = -1 means the end. Empty unless
  /// 0 <= from < to <= length.
  WideString substring(int from, int to) const;
  /// Inserts `text` before the unit at `position` (0 <= position <= length).
  void insertAt(int position, const WideString& text);
  /// Removes the unit at `position`; any other position changes nothing.
  void eraseAt(int position);
  /// Keeps only the units [from, to) in place, as `substring` would give
  /// them, without copying the text anywhere else.
  void keepRange(int from, int to);
  /// Replaces every occurrence of `pattern`, rescanning after each
  /// replacement so that a replacement can complete a new occurrence.
  void replaceAll(const WideString& pattern, const WideString& replacement);
  /// Removes every occurrence of `pattern` from `start` on, rescanning
  /// after each removal so that units closing up are examined again.
  void removeAll(const WideString& pattern, int start);
  /// Turns 'a'..'z' into 'A'..'Z' in place; every other unit stays.
  void toUpper();
  /// Turns 'A'..'Z' into 'a'..'z' in place; every other unit stays.
  void toLower();
  /// Returns the decimal value of the low bytes of the text, read by the C
  /// library's decimal conversion; 0.0 when the text starts with no number.
  double toNumber() const { return memo_.valueKnown ? memo_.value : readNumber(); }
  /// Releases the text; length and capacity become 0.
  void clear();
  /// Replaces the text with the "%f" text of `value`, reusing the buffer.
  void setNumber(double value);
  /// Writes the low byte of each unit to `out`; adds no line end, no flush.
  void writeTo(std::ostream& out) const;

  /// Replaces the text with a copy of `units`, reusing the buffer.
  void assignUnits(std::u16string_view units);
  /// Replaces the text with the first `size` units of `units`, all of
  /// which may be read (a run and the rest of its line), reusing the buffer.
  void assignRun(std::u16string_view units, std::size_t size) {
    replaceText().assignPrefix(units, size);
    hasArray_ = true;
  }
  /// As assignRun, for the run of a number whose value, when given, is what
  /// toNumber reads from the run: it is remembered instead of read again.
  void assignNumberRun(std::u16string_view units, std::size_t size, std::optional<double> value) {
    replaceText().assignPrefix(units, size);
    hasArray_ = true;
    if (value) {
      memo_.valueKnown = true;
      memo_.value = *value;
    }
  }
  /// Rewrites the text in one pass: `rewrite(unit)` returns the unit to
  /// keep in its place, or NO_UNIT to drop it. Returns nothing.
  template <typename Rewrite>
  void rewriteUnits(Rewrite rewrite);
  /// As rewriteUnits(rewrite), for a `rewrite` that drops every unit equal
  /// to `dropped`: long runs of that unit are passed over eight at a time.
  /// Four units at a time are also given to `keepsFour` (as one integer,
  /// the first unit in the lowest 16 bits), which returns true only when
  /// `rewrite` keeps each of them as it is: such blocks move whole.
  template <typename Rewrite, typename KeepsFour>
  void rewriteUnits(Rewrite rewrite, char16_t dropped, KeepsFour keepsFour);
  /// Replaces the text with `size` bytes, each widened as assignBytes
  /// widens it and rewritten as rewriteUnits(rewrite, dropped, ...) would
  /// rewrite it, in one pass. Eight bytes at a time are given to `keepsEight`
  /// (as one integer, read from memory as it lies), which returns true only
  /// when every byte is below 0x80 and `rewrite` keeps it as it is: such
  /// blocks are widened whole.
  template <typename Rewrite, typename KeepsEight>
  void assignRewrittenBytes(const char* bytes, std::size_t size, Rewrite rewrite, char dropped,
                            KeepsEight keepsEight);
  /// The value a `rewriteUnits` callback returns to drop a unit.
  static constexpr int NO_UNIT = -1;

  /// Returns the units as a view, valid until the string next changes.
  std::u16string_view view() const { return text().view(); }

 private:
  /// The units, with a number's text written out first if it is pending.
  const UnitBuffer& text() const {
    if (memo_.textPending) {
      writePendingText();
    }
    return units_;
  }
  void writePendingText() const;
  /// Ends a rewrite that kept the first `kept` units.
  void keepRewritten(std::size_t kept);
  /// Reads the text as `toNumber` does when no value is remembered.
  double readNumber() const;
  /// The units for changing them: pending text written out, then as
  /// `replaceText`.
  UnitBuffer& changeText() {
    text();
    return replaceText();
  }
  /// The units for replacing them whole. Every change of the text comes
  /// through here: it is the one place that forgets whatever was known of
  /// the old text as a number.
  UnitBuffer& replaceText() {
    // The remembered numbers mean nothing once both flags are down.
    memo_.textPending = false;
    memo_.valueKnown = false;
    return units_;
  }

  mutable UnitBuffer units_;
  bool hasArray_ = false;

  /// A string written by `setNumber` remembers the value its text reads
  /// back as, and may put off writing the text itself until someone looks
  /// at it: the engine mostly writes numbers only to read them back.
  struct NumberMemo {
    bool textPending = false;  // units_ still lacks the "%f" text of `written`
    bool valueKnown = false;   // `toNumber` is `value`
    double written = 0.0;
    double value = 0.0;
  };
  mutable NumberMemo memo_;
};

template <typename Rewrite>
void WideString::rewriteUnits(Rewrite rewrite) {
  UnitBuffer& units = changeText();
  char16_t* data = units.data();
  const std::size_t size = units.size();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const int replacement = rewrite(data[i]);
    if (replacement != NO_UNIT) {
      data[kept++] = static_cast<char16_t>(replacement);
    }
  }
  keepRewritten(kept);
}

template <typename Rewrite, typename KeepsFour>
void WideString::rewriteUnits(Rewrite rewrite, char16_t dropped, KeepsFour keepsFour) {
  UnitBuffer& units = changeText();
  char16_t* data = units.data();
  const std::size_t size = units.size();
  const uint64_t droppedFour = uint64_t{dropped} * 0x0001000100010001ull;
  std::size_t kept = 0;
  std::size_t i = 0;
  while (i < size) {
    if (size - i >= 4) {
      uint64_t low;
      std::memcpy(&low, data + i, sizeof low);
      if (size - i >= 8 && low == droppedFour) {
        uint64_t high;
        std::memcpy(&high, data + i + 4, sizeof high);
        if (high == droppedFour) {
          i += 8;
          continue;
        }
      }
      if (keepsFour(low)) {
        std::memcpy(data + kept, &low, sizeof low);  // read before, so kept <= i is safe
        kept += 4;
        i += 4;
        continue;
      }
    }
    const std::size_t blockEnd = size - i >= 4 ? i + 4 : size;
    for (; i < blockEnd; ++i) {
      // Written whether kept or not (kept <= i, so nothing unread is
      // overwritten), so that which units are dropped costs no branch.
      const int replacement = rewrite(data[i]);
      data[kept] = static_cast<char16_t>(replacement);
      kept += replacement != NO_UNIT;
    }
  }
  keepRewritten(kept);
}

template <typename Rewrite, typename KeepsEight>
void WideString::assignRewrittenBytes(const char* bytes, std::size_t size, Rewrite rewrite,
                                      char dropped, KeepsEight keepsEight) {
  char16_t* data = replaceText().replace(size);
  hasArray_ = true;
  const uint64_t droppedEight =
      uint64_t{static_cast<unsigned char>(dropped)} * 0x0101010101010101ull;
  std::size_t kept = 0;
  const auto takeByte = [&](char byte) {
    // As in rewriteUnits: written whether kept or not (kept <= the bytes
    // taken before this one).
    const int replacement = rewrite(widenByte(byte));
    data[kept] = static_cast<char16_t>(replacement);
    kept += replacement != NO_UNIT;
  };
  std::size_t i = 0;
  for (; size - i >= 8; i += 8) {
    uint64_t eight;
    std::memcpy(&eight, bytes + i, sizeof eight);
    if (eight == droppedEight) {
      continue;
    }
    if (keepsEight(eight)) {
      // Below 0x80 a byte widens to its own value, signed or not: the
      // eight are widened as one vector.
      typedef uint8_t Bytes __attribute__((vector_size(8)));
      typedef uint16_t Units __attribute__((vector_size(16)));
      Bytes block;
      std::memcpy(&block, &eight, sizeof block);
      const Units units = __builtin_convertvector(block, Units);
      std::memcpy(data + kept, &units, sizeof units);
      kept += 8;
      continue;
    }
    for (std::size_t j = 0; j < 8; ++j) {
      takeByte(bytes[i + j]);
    }
  }
  for (; i < size; ++i) {
    takeByte(bytes[i]);
  }
  keepRewritten(kept);
}

/// Writes `text` to `out` as by `writeTo`; returns `out`.
std::ostream& operator<<(std::ostream& out, const WideString& text);

/// Fills `target` with one line of `in`: the bytes up to the next line feed,
/// which is not stored. A carriage return ending the line is dropped, so
/// files with CR LF line ends read as plain lines. Returns `in`, which fails
/// only when the input ended before anything of the line was read.
std::istream& readLine(std::istream& in, WideString& target);

/// Returns `bytes` without the line end it finishes with: a line feed, a
/// carriage return and a line feed, or a carriage return alone (the last
/// line of a CR LF file cut short). Every reader of lines strips them so.
std::string_view withoutLineEnd(std::string_view bytes);

#endif  // ZORVEX_TEXT_WIDE_STRING_H_
