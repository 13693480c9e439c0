#include "text/wide_string.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <ostream>
#include <utility>

#include "text/number_text.h"

namespace {

/// Writes `size` bytes widened to units at `units`.
void widenInto(const char* bytes, std::size_t size, char16_t* units) {
  for (std::size_t i = 0; i < size; ++i) {
    units[i] = WideString::widenByte(bytes[i]);
  }
}

/// Replaces `units` with the bytes of `text`, one unit per byte.
void copyBytes(std::string_view text, UnitBuffer& units) {
  char16_t* target = units.replace(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    target[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
  }
}

/// Replaces `units` with the "%f" text of `value`. Kept out of line, so
/// that setNumber's common way has no text buffer on its stack.
[[gnu::noinline]] void writeFixedText(double value, UnitBuffer& units) {
  char buffer[NUMBER_TEXT_CAPACITY];
  copyBytes(formatFixed(value, buffer), units);
}

}  // namespace

WideString::WideString() = default;

WideString::WideString(const char* bytes) { assignBytes(bytes, std::strlen(bytes)); }

WideString::WideString(double value) { setNumber(value); }

WideString::WideString(char character) { appendUnit(widenByte(character)); }

WideString::WideString(char16_t unit) { appendUnit(unit); }

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
  widenInto(bytes, size, replaceText().replace(size));
  hasArray_ = true;
}

void WideString::appendBytes(const char* bytes, std::size_t size) {
  if (size == 0) {
    return;
  }
  UnitBuffer& units = changeText();
  const std::size_t old = units.size();
  widenInto(bytes, size, units.resize(old + size) + old);
  hasArray_ = true;
}

bool WideString::longerThan(std::size_t units) const {
  if (memo_.textPending && units >= NUMBER_TEXT_CAPACITY) {
    return false;  // no number's text is that long
  }
  return view().size() > units;
}

char16_t& WideString::at(int index) {
  if (index >= 0 && index < length()) {
    // The caller may write through the reference.
    return changeText().data()[index];
  }
  // Callers only read through this reference; it is reset on every use so a
  // stray write cannot leak into a later read. Each thread has its own, as
  // calculators may run in threads of their own.
  thread_local char16_t zeroUnit;
  zeroUnit = 0;
  return zeroUnit;
}

char16_t WideString::at(int index) const {
  return (index >= 0 && index < length()) ? text().data()[index] : 0;
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
    const UnitBuffer copy = text();
    changeText().append(copy.view());
  } else {
    changeText().append(other.view());
  }
  hasArray_ = true;
}

void WideString::appendUnit(char16_t unit) {
  UnitBuffer& units = changeText();
  const std::size_t old = units.size();
  units.resize(old + 1)[old] = unit;
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
  result.assignUnits(
      view().substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
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

void WideString::keepRange(int from, int to) {
  if (to == -1) {
    to = length();
  }
  if (from < 0 || to > length() || from >= to) {
    clear();
    return;
  }
  changeText().keepRange(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
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
  UnitBuffer& units = changeText();
  char16_t* data = units.data();
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (data[i] >= u'a' && data[i] <= u'z') {
      data[i] = static_cast<char16_t>(data[i] - 0x20);
    }
  }
}

void WideString::toLower() {
  UnitBuffer& units = changeText();
  char16_t* data = units.data();
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (data[i] >= u'A' && data[i] <= u'Z') {
      data[i] = static_cast<char16_t>(data[i] + 0x20);
    }
  }
}

double WideString::readNumber() const { return parseUnits(view()); }

void WideString::clear() {
  replaceText().clear();
  hasArray_ = false;
}

void WideString::setNumber(double value) {
  UnitBuffer& units = replaceText();
  hasArray_ = true;
  if (std::optional<double> readBack = readBackOfFixed(value)) {
    // The text can wait: the value it reads back as is already known. The
    // old text goes now, so that a long one holds no memory meanwhile.
    units.clear();
    memo_ = NumberMemo{true, true, value, *readBack};
    return;
  }
  // Huge and non-finite values: the text is written now and read when asked.
  writeFixedText(value, units);
}

void WideString::writeTo(std::ostream& out) const {
  char chunk[256];
  std::size_t filled = 0;
  for (char16_t unit : view()) {
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

void WideString::keepRewritten(std::size_t kept) {
  if (kept != units_.size()) {
    units_.resize(kept);
    if (kept == 0) {
      hasArray_ = false;  // rebuilt from nothing, as a removal leaves it
    }
  }
}

void WideString::writePendingText() const {
  writeFixedText(memo_.written, units_);
  memo_.textPending = false;
}

std::ostream& operator<<(std::ostream& out, const WideString& text) {
  text.writeTo(out);
  return out;
}

std::istream& readLine(std::istream& in, WideString& target) {
  target.clear();
  // The line is read in chunks widened straight into the target, so no
  // copy of the whole line exists beside it. The last byte of a full chunk
  // is held back for the next one: a carriage return there may end the line.
  constexpr std::size_t CHUNK = std::size_t{1} << 16;
  char chunk[CHUNK];
  std::size_t held = 0;
  bool readAnything = false;
  for (;;) {
    in.getline(chunk + held, static_cast<std::streamsize>(CHUNK - held));
    const std::size_t extracted = static_cast<std::size_t>(in.gcount());
    readAnything |= extracted > 0;
    if (in.fail() && !in.eof() && extracted == CHUNK - held - 1) {
      // The chunk filled before the line ended: keep its last byte back.
      const std::size_t size = held + extracted;
      target.appendBytes(chunk, size - 1);
      chunk[0] = chunk[size - 1];
      held = 1;
      in.clear();
      continue;
    }
    // The line feed, when one ended the line, was counted but not stored.
    const bool sawLineFeed = !in.eof() && !in.fail();
    const std::string_view line(chunk, held + extracted - (sawLineFeed ? 1 : 0));
    const std::string_view kept = withoutLineEnd(line);  // a CR LF line end
    target.appendBytes(kept.data(), kept.size());
    if (!readAnything) {
      in.setstate(std::ios::failbit);
    } else if (in.fail()) {
      in.clear(in.rdstate() & ~std::ios::failbit);  // a last line without a line feed
    }
    return in;
  }
}

std::string_view withoutLineEnd(std::string_view bytes) {
  if (bytes.ends_with('\n')) {
    bytes.remove_suffix(1);
  }
  if (bytes.ends_with('\r')) {
    bytes.remove_suffix(1);
  }
  return bytes;
}
