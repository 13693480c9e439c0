#include "engine/calculator.h"

#include <array>
#include <cstdint>

namespace {

bool isLetter(char16_t unit) { return unit >= u'a' && unit <= u'z'; }

bool isNumberCharacter(char16_t unit) { return (unit >= u'0' && unit <= u'9') || unit == u'.'; }

}  // namespace

bool Calculator::tokenize(WideString& line) {
  // Only the slots the previous line used can hold anything.
  for (int i = 0; i < usedSlots_; ++i) {
    tokens[i].kind = TOKEN_EMPTY;
    tokens[i].text.clear();
  }
  usedSlots_ = 0;
  presentKinds_ = 0;
  tokenCount = MAX_TOKENS;

  normalizeLine(line);

  // Letters and number characters form runs; every other unit is a token
  // of its own whose kind is the unit.
  const std::u16string_view units = line.view();
  int slot = -1;
  std::size_t i = 0;
  while (i < units.size()) {
    if (slot + 1 == MAX_TOKENS) {
      usedSlots_ = MAX_TOKENS;
      return false;
    }
    ++slot;
    const char16_t unit = units[i];
    const bool letter = isLetter(unit);
    if (letter || isNumberCharacter(unit)) {
      const auto sameClass = letter ? isLetter : isNumberCharacter;
      std::size_t end = i + 1;
      while (end < units.size() && sameClass(units[end])) {
        ++end;
      }
      tokens[slot].kind = letter ? TOKEN_NAME : TOKEN_NUMBER;
      tokens[slot].text.assignUnits(units.substr(i, end - i));
      i = end;
    } else {
      tokens[slot].kind = unit;
      presentKinds_ |= operatorBit(unit);
      ++i;
    }
  }
  usedSlots_ = slot + 1;
  return true;
}

void Calculator::normalizeLine(WideString& line) {
  // Letters to lower case, blanks and tabs out, every bracket shape to
  // round brackets: all in one pass over the line, with the same result as
  // folding, removing and replacing one unit at a time.
  line.rewriteUnits([](char16_t unit) -> int {
    if (unit >= 0x80) {
      return unit;
    }
    static constexpr auto normalized = [] {
      std::array<int16_t, 0x80> table{};
      for (int c = 0; c < 0x80; ++c) {
        table[c] = static_cast<int16_t>(c);
      }
      for (int c = 'A'; c <= 'Z'; ++c) {
        table[c] = static_cast<int16_t>(c + 0x20);
      }
      table[' '] = table['\t'] = WideString::NO_UNIT;
      table['{'] = table['['] = '(';
      table['}'] = table[']'] = ')';
      return table;
    }();
    return normalized[unit];
  });
}
