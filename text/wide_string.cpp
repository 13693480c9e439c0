#include "text/wide_string.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <ostream>
#include <utility>

#include "text/number_text.h"

namespace {

/// Widens one byte as a signed character, as every byte entering the type is.
char16_t widen(char byte) {
  return static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(byte)));
}

/// Buffers above this many units are released by `clear` instead of being
/// kept for reuse, so one huge line does not pin its memory for the run.
constexpr std::size_t KEPT_BUFFER_UNITS = 1 << 16;

/// Replaces `units` with the bytes of `text`, one unit per byte.
void copyBytes(std::string_view text, WideString::Units& units) {
  units.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
  }
}

}  // namespace

WideString::WideString() = default;

WideString::WideString(const char* bytes) : hasArray_(true) {
  for (const char* p = bytes; *p != '\0'; ++p) {
    units_.push_back(widen(*p));
  }
}

WideString::WideString(double value) { setNumber(value); }

WideString::WideString(char character) : units_(1, widen(character)), hasArray_(true) {}

WideString::WideString(char16_t unit) : units_(1, unit), hasArray_(true) {}

WideString::WideString(WideString&& other) noexcept
    : units_(std::move(other.units_)), hasArray_(other.hasArray_), memo_(other.memo_) {
  other.clear();
}

WideString& WideString::operator=(WideString&& other) noexcept {
  if (this != &other) {
    units_.swap(other.units_);
    hasArray_ = other.hasArray_;
    memo_ = other.memo_;
    other.clear();
  }
  return *this;
}

WideString::~WideString() = default;

WideString WideString::fromBytes(const char* bytes, std::size_t size) {
  WideString result;
  result.assignBytes(bytes, size);
  return result;
}

void WideString::assignBytes(const char* bytes, std::size_t size) {
  Units& units = replaceText();
  units.resize(size);
  for (std::size_t i = 0; i < size; ++i) {
    units[i] = widen(bytes[i]);
  }
  hasArray_ = true;
}

char16_t& WideString::at(int index) {
  if (index >= 0 && index < length()) {
    // The caller may write through the reference.
    return changeText()[static_cast<std::size_t>(index)];
  }
  // Callers only read through this reference; it is reset on every use so a
  // stray write cannot leak into a later read.
  static char16_t zeroUnit;
  zeroUnit = 0;
  return zeroUnit;
}

char16_t WideString::at(int index) const {
  return (index >= 0 && index < length()) ? text()[static_cast<std::size_t>(index)] : 0;
}

WideString& WideString::assign(const WideString& other) {
  if (this != &other) {
    *this = other;
  }
  return *this;
}

WideString WideString::concat(const WideString& other) const {
  WideString result(*this);
  result.append(other);
  return result;
}

void WideString::append(const WideString& other) {
  if (other.length() == 0) {
    return;
  }
  if (this == &other) {
    const Units copy = text();
    changeText().append(copy);
  } else {
    changeText().append(other.text());
  }
  hasArray_ = true;
}

void WideString::appendUnit(char16_t unit) {
  changeText().push_back(unit);
  hasArray_ = true;
}

WideString WideString::substring(int from, int to) const {
  if (to == -1) {
    to = length();
  }
  if (from < 0 || to > length() || from >= to) {
    return WideString();
  }
  WideString result;
  result.assignUnits(view().substr(static_cast<std::size_t>(from),
                                   static_cast<std::size_t>(to - from)));
  return result;
}

void WideString::insertAt(int position, const WideString& text) {
  if (position < 0 || position > length()) {
    return;
  }
  WideString result = substring(0, position).concat(text).concat(substring(position, -1));
  *this = std::move(result);
}

void WideString::eraseAt(int position) {
  if (position < 0 || position >= length()) {
    return;
  }
  WideString result = substring(0, position).concat(substring(position + 1, -1));
  *this = std::move(result);
}

void WideString::replaceAll(const WideString& pattern, const WideString& replacement) {
  const std::size_t patternLength = pattern.view().size();
  if (patternLength == 0 || replacement.view().find(pattern.view()) != std::u16string_view::npos) {
    // The rescanning scan never ends for these arguments (every position or
    // every replacement matches again); leave the text as it is.
    return;
  }
  if (patternLength == 1 && replacement.view().size() == 1) {
    // A one-unit replacement cannot complete a new one-unit occurrence, so
    // the rescanning scan comes down to replacing every unit in one pass.
    const char16_t from = pattern.view()[0];
    const char16_t to = replacement.view()[0];
    rewriteUnits([from, to](char16_t unit) -> int { return unit == from ? to : unit; });
    return;
  }
  const int l = static_cast<int>(patternLength);
  int p = 0;
  while (p < length()) {
    if (view().substr(static_cast<std::size_t>(p)).starts_with(pattern.view())) {
      for (int j = 0; j < l; ++j) {
        eraseAt(p);
      }
      insertAt(p, replacement);
      p = std::max(p - l + 1, 0);
    } else {
      ++p;
    }
  }
}

void WideString::removeAll(const WideString& pattern, int start) {
  const std::size_t patternLength = pattern.view().size();
  if (patternLength == 0 || start >= length()) {
    return;
  }
  if (start < 0) {
    start = 0;
  }
  if (patternLength == 1) {
    // Removing a one-unit pattern never steps back before the current
    // position, so the rescanning scan is a single filtering pass.
    const char16_t removed = pattern.view()[0];
    int position = 0;
    rewriteUnits([removed, start, &position](char16_t unit) -> int {
      return (position++ >= start && unit == removed) ? NO_UNIT : unit;
    });
    return;
  }
  const int l = static_cast<int>(patternLength);
  int p = start;
  while (p < length()) {
    if (view().substr(static_cast<std::size_t>(p)).starts_with(pattern.view())) {
      for (int j = 0; j < l; ++j) {
        eraseAt(p);
      }
      p = std::max(p - l + 1, 0);
    } else {
      ++p;
    }
  }
}

void WideString::toUpper() {
  for (char16_t& unit : changeText()) {
    if (unit >= u'a' && unit <= u'z') {
      unit = static_cast<char16_t>(unit - 0x20);
    }
  }
}

void WideString::toLower() {
  for (char16_t& unit : changeText()) {
    if (unit >= u'A' && unit <= u'Z') {
      unit = static_cast<char16_t>(unit + 0x20);
    }
  }
}

double WideString::readNumber() const {
  const Units& units = text();
  if (std::optional<double> value = parseUnitsExactly(units)) {
    return *value;
  }
  // The general case: the low bytes as a byte string, read by the C rules.
  std::string bytes(units.size(), '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[i] = static_cast<char>(units[i] & 0xFF);
  }
  return parseDecimal(bytes);
}

void WideString::clear() {
  if (units_.capacity() > KEPT_BUFFER_UNITS) {
    Units().swap(units_);
  } else {
    units_.clear();
  }
  hasArray_ = false;
  memo_ = NumberMemo();
}

void WideString::setNumber(double value) {
  hasArray_ = true;
  if (std::optional<double> readBack = readBackOfFixed(value)) {
    // The text can wait: the value it reads back as is already known.
    memo_ = NumberMemo{true, true, value, *readBack};
    return;
  }
  // Huge and non-finite values: the text is written now and read when asked.
  char buffer[NUMBER_TEXT_CAPACITY];
  copyBytes(formatFixed(value, buffer), units_);
  memo_ = NumberMemo();
}

void WideString::writeTo(std::ostream& out) const {
  char chunk[256];
  std::size_t filled = 0;
  for (char16_t unit : text()) {
    chunk[filled++] = static_cast<char>(unit & 0xFF);
    if (filled == sizeof chunk) {
      out.write(chunk, static_cast<std::streamsize>(filled));
      filled = 0;
    }
  }
  out.write(chunk, static_cast<std::streamsize>(filled));
}

void WideString::assignUnits(std::u16string_view units) {
  replaceText().assign(units);
  hasArray_ = true;
}

void WideString::writePendingText() const {
  char buffer[NUMBER_TEXT_CAPACITY];
  copyBytes(formatFixed(memo_.written, buffer), units_);
  memo_.textPending = false;
}

WideString::Units& WideString::changeText() {
  text();
  memo_ = NumberMemo();
  return units_;
}

std::ostream& operator<<(std::ostream& out, const WideString& text) {
  text.writeTo(out);
  return out;
}

namespace {

/// The bytes of one input line, in a block that doubles as the line grows,
/// so a line of any length costs time and memory linear in its length.
class LineBytes {
 public:
  LineBytes() = default;
  LineBytes(const LineBytes&) = delete;
  LineBytes& operator=(const LineBytes&) = delete;
  ~LineBytes() { freeBlock(data_); }

  /// Reads up to and including the next line feed (not stored); returns
  /// false when the input ended before anything was read.
  bool read(std::istream& in) {
    size_ = 0;
    for (;;) {
      if (capacity_ - size_ < 2) {
        grow();
      }
      in.getline(data_ + size_, static_cast<std::streamsize>(capacity_ - size_));
      const std::size_t extracted = static_cast<std::size_t>(in.gcount());
      if (in.fail() && !in.eof() && extracted == capacity_ - size_ - 1) {
        // The buffer filled before the line ended: make room and go on.
        size_ += extracted;
        in.clear();
        continue;
      }
      // The line feed, when one ended the line, was counted but not stored.
      const bool sawLineFeed = !in.eof() && !in.fail();
      size_ += extracted - (sawLineFeed ? 1 : 0);
      return sawLineFeed || size_ > 0;
    }
  }

  /// Gives back a large block once a long line is done with.
  void trim() {
    if (capacity_ > KEPT_LINE_BYTES) {
      freeBlock(data_);
      data_ = nullptr;
      capacity_ = 0;
    }
  }

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  void dropLast() { --size_; }

 private:
  static constexpr std::size_t KEPT_LINE_BYTES = std::size_t{1} << 20;

  void grow() {
    const std::size_t capacity = capacity_ == 0 ? 4096 : capacity_ * 2;
    char* data = static_cast<char*>(allocateBlock(capacity));
    if (size_ > 0) {
      std::memcpy(data, data_, size_);
    }
    freeBlock(data_);
    data_ = data;
    capacity_ = capacity;
  }

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace

std::istream& readLine(std::istream& in, WideString& target) {
  target.clear();
  // One buffer reused from line to line: a line is read in one piece and
  // widened once.
  static thread_local LineBytes bytes;
  const bool gotLine = bytes.read(in);
  if (bytes.size() > 0 && bytes.data()[bytes.size() - 1] == '\r') {
    bytes.dropLast();
  }
  if (bytes.size() > 0) {
    target.assignBytes(bytes.data(), bytes.size());
  }
  bytes.trim();
  if (!gotLine) {
    in.setstate(std::ios::failbit);
  } else if (in.fail()) {
    in.clear(in.rdstate() & ~std::ios::failbit);  // a last line without a line feed
  }
  return in;
}
