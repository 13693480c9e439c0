#include "engine/calculator.h"

namespace {

bool isLetter(char16_t unit) { return unit >= u'a' && unit <= u'z'; }

bool isNumberCharacter(char16_t unit) { return (unit >= u'0' && unit <= u'9') || unit == u'.'; }

/// The class of the unit before the current one when it was neither a
/// letter nor a number character.
constexpr TokenKind NO_RUN = -1;

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

  line.toLower();
  line.removeAll(WideString(' '), 0);
  line.removeAll(WideString('\t'), 0);
  line.replaceAll(WideString('{'), WideString('('));
  line.replaceAll(WideString('['), WideString('('));
  line.replaceAll(WideString('}'), WideString(')'));
  line.replaceAll(WideString(']'), WideString(')'));

  int slot = -1;
  TokenKind previous = NO_RUN;
  for (char16_t unit : line.view()) {
    TokenKind kind;
    if (isLetter(unit)) {
      kind = TOKEN_NAME;
    } else if (isNumberCharacter(unit)) {
      kind = TOKEN_NUMBER;
    } else {
      kind = unit;
    }
    const bool continuesRun = kind == previous && (kind == TOKEN_NAME || kind == TOKEN_NUMBER);
    if (!continuesRun) {
      if (slot + 1 == MAX_TOKENS) {
        usedSlots_ = MAX_TOKENS;
        return false;
      }
      ++slot;
      tokens[slot].kind = kind;
      presentKinds_ |= operatorBit(kind);
    }
    if (kind == TOKEN_NAME || kind == TOKEN_NUMBER) {
      tokens[slot].text.appendUnit(unit);
      previous = kind;
    } else {
      previous = NO_RUN;
    }
  }
  usedSlots_ = slot + 1;
  return true;
}
