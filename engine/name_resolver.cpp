#include <algorithm>

#include "engine/calculator.h"

void Calculator::resolveNames() {
  // Pairs of neighbouring slots, left to right; the last pair is
  // (MAX_TOKENS - 2, MAX_TOKENS - 1), so a name in the last slot stays a name.
  // Pairs beyond the line's last token hold nothing to rewrite.
  const int lastPair = std::min(usedEnd(), tokenCount - 1);
  if (!hasNames_) {
    // Without names only the minus signs change, and only pairs that start
    // with one need a look.
    for (int i = 0; i < lastPair; ++i) {
      if (tokens[i].kind == '-' && tokens[i + 1].kind == TOKEN_NUMBER) {
        foldMinusSign(i);
      }
    }
    return;
  }
  for (int i = 0; i < lastPair; ++i) {
    Token& current = tokens[i];
    Token& next = tokens[i + 1];

    // A minus directly in front of a number belongs to the number.
    if (current.kind == '-' && next.kind == TOKEN_NUMBER) {
      foldMinusSign(i);
    }

    // A name directly followed by a bracket is a function head.
    if (current.kind == TOKEN_NAME && next.kind == '(') {
      current.kind = TOKEN_FUNCTION;
      current.text.appendUnit(u'(');
      emptySlot(i + 1);
    }

    // Any other name not being assigned to stands for its value, times a
    // number written directly before it or, failing that, directly after it.
    if (current.kind == TOKEN_NAME && next.kind != '=') {
      int factorSlot = -1;
      if (i != 0 && tokens[i - 1].kind == TOKEN_NUMBER) {
        factorSlot = i - 1;
      } else if (next.kind == TOKEN_NUMBER) {
        factorSlot = i + 1;
      }
      double value = getVariable(current.text);
      if (factorSlot != -1) {
        value = tokens[factorSlot].text.toNumber() * value;
        emptySlot(factorSlot);
      }
      current.text.setNumber(value);
      current.kind = TOKEN_NUMBER;
    }
  }
}

void Calculator::foldMinusSign(int slot) {
  tokens[slot + 1].text.setNumber(-tokens[slot + 1].text.toNumber());
  tokens[slot].kind = '+';
}
