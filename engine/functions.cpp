#include <cmath>

#include "engine/calculator.h"
#include "engine/error_lines.h"
#include "engine/function_table.h"

namespace {

// The angle conversions derive from the same value that pi holds, so
// degree results carry its error consistently (asin(1) is 90.000076).
constexpr double DEGREES_TO_RADIANS = PI_SIX_DIGITS / 180.0;
constexpr double RADIANS_TO_DEGREES = 180.0 / PI_SIX_DIGITS;

}  // namespace

double Calculator::applyFunction(const WideString& functionText, double x) {
  const FunctionRow* row = findFunction(functionText.view());
  if (row == nullptr) {
    writeError(UNDEFINED_FUNCTION_BEFORE, &functionText, UNDEFINED_FUNCTION_AFTER);
    return 0.0;
  }
  if (!row->negativeError.empty() && (x < 0.0 || std::isnan(x))) {
    writeError(row->negativeError);
    return 0.0;
  }
  // The angle mode is read only by functions it concerns.
  if (!row->angleArgument && !row->angleResult) {
    return row->compute(x);
  }
  const double rad = rad_->value;
  const bool degrees = rad == 0.0 || std::isnan(rad);
  if (degrees && row->angleArgument) {
    x = x * DEGREES_TO_RADIANS;
  }
  const double result = row->compute(x);
  return degrees && row->angleResult ? result * RADIANS_TO_DEGREES : result;
}
