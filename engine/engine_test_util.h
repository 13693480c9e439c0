#ifndef ZORVEX_ENGINE_ENGINE_TEST_UTIL_H_
#define ZORVEX_ENGINE_ENGINE_TEST_UTIL_H_

#include <sstream>
#include <string>
#include <vector>

#include "engine/calculator.h"

/// One non-empty slot as the tests describe it: "slot:kind:text", where a
/// kind is shown as its character (n, o, f or the operator itself).
inline std::vector<std::string> occupiedSlots(const Calculator& calculator) {
  std::vector<std::string> slots;
  for (int i = 0; i < MAX_TOKENS; ++i) {
    const Token& token = calculator.tokens[i];
    if (token.kind == TOKEN_EMPTY) continue;
    std::ostringstream text;
    token.text.writeTo(text);
    slots.push_back(std::to_string(i) + ":" + static_cast<char>(token.kind) + ":" + text.str());
  }
  return slots;
}

/// A calculator whose listing and error lines are captured.
struct CapturedCalculator {
  std::ostringstream out;
  std::ostringstream err;
  Calculator calculator{out, err};

  /// Evaluates `line` and returns its value.
  double evaluate(const char* line) {
    WideString text(line);
    return calculator.evaluateLine(text);
  }
};

#endif  // ZORVEX_ENGINE_ENGINE_TEST_UTIL_H_
