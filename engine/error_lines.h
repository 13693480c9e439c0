#ifndef ZORVEX_ENGINE_ERROR_LINES_H_
#define ZORVEX_ENGINE_ERROR_LINES_H_

#include <string_view>

#include "engine/token.h"

// The texts of the engine's error lines. Each line is written whole to the
// calculator's error stream and sent at once; the failing piece of the
// expression yields 0.0 and the evaluation goes on. Scripts match these
// texts, blanks included.

/// A divisor that is zero (or not a number).
constexpr std::string_view DIVIDE_BY_ZERO = "Error: Divide by zero!";
/// The square root of a negative number (or of not a number).
constexpr std::string_view SQRT_OF_NEGATIVE = "Error: Parameter of sqrt() can't be negative.";
/// A line with more tokens than the table has slots; it is not evaluated.
constexpr std::string_view TOO_MANY_TOKENS =
    "Error: Expression has more than 128 tokens. Returns 0.0 .";
/// Whether `line` gives `count` as the number just before " tokens".
constexpr bool namesTokenCount(std::string_view line, int count) {
  std::size_t end = line.find(" tokens");
  for (; count > 0; count /= 10) {
    if (end == 0 || end == std::string_view::npos || line[--end] != '0' + count % 10) {
      return false;
    }
  }
  return line.substr(0, end).ends_with("more than ");
}
// The text is fixed, but the number in it is the size of the token table.
static_assert(namesTokenCount(TOO_MANY_TOKENS, MAX_TOKENS),
              "the error line must name the size of the token table");
/// An undeclared variable: the text before and after its name.
constexpr std::string_view UNDECLARED_BEFORE = "Error: Variable '";
constexpr std::string_view UNDECLARED_AFTER = "' is undeclared. It is used as 0.0 .";
/// An unknown function: the text before and after its head ("name(").
constexpr std::string_view UNDEFINED_FUNCTION_BEFORE = "Error: Undefined function '";
constexpr std::string_view UNDEFINED_FUNCTION_AFTER = ")'. Returns 0.0 .";

#endif  // ZORVEX_ENGINE_ERROR_LINES_H_
