#include "engine/calculator.h"

#include <cmath>
#include <ostream>

#include "engine/error_lines.h"
#include "engine/functions.h"

namespace {

// The angle conversions derive from the same 3.14159 that pi holds, so
// degree results carry its error consistently (asin(1) is 90.000076).
constexpr double DEGREES_TO_RADIANS = 3.14159 / 180.0;
constexpr double RADIANS_TO_DEGREES = 180.0 / 3.14159;

bool isHead(const WideString& text, std::u16string_view head) { return text.view() == head; }

// Every name that applyFunction below knows.
constexpr std::string_view FUNCTION_NAMES[] = {"sqrt",   "asin", "arcsin", "acos", "arccos", "atan",
                                               "arctan", "sin",  "cos",    "tan",  "cot"};

}  // namespace

std::span<const std::string_view> functionNames() { return FUNCTION_NAMES; }

double Calculator::applyFunction(const WideString& functionText, double x) {
  if (isHead(functionText, u"sqrt(")) {
    if (x < 0.0 || std::isnan(x)) {
      writeError(SQRT_OF_NEGATIVE);
      return 0.0;
    }
    return std::sqrt(x);
  }
  const double rad = getVariable(WideString("rad"));
  const bool degrees = rad == 0.0 || std::isnan(rad);
  if (isHead(functionText, u"asin(") || isHead(functionText, u"arcsin(")) {
    return degrees ? std::asin(x) * RADIANS_TO_DEGREES : std::asin(x);
  }
  if (isHead(functionText, u"acos(") || isHead(functionText, u"arccos(")) {
    return degrees ? std::acos(x) * RADIANS_TO_DEGREES : std::acos(x);
  }
  if (isHead(functionText, u"atan(") || isHead(functionText, u"arctan(")) {
    return degrees ? std::atan2(x, 1.0) * RADIANS_TO_DEGREES : std::atan2(x, 1.0);
  }
  if (degrees) {
    x = x * DEGREES_TO_RADIANS;
  }
  if (isHead(functionText, u"sin(")) {
    return std::sin(x);
  }
  if (isHead(functionText, u"cos(")) {
    return std::cos(x);
  }
  if (isHead(functionText, u"tan(")) {
    return std::tan(x);
  }
  if (isHead(functionText, u"cot(")) {
    return 1.0 / std::tan(x);
  }
  writeError(UNDEFINED_FUNCTION_BEFORE, &functionText, UNDEFINED_FUNCTION_AFTER);
  return 0.0;
}
