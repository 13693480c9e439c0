#ifndef ZORVEX_ENGINE_FUNCTION_TABLE_H_
#define ZORVEX_ENGINE_FUNCTION_TABLE_H_

#include <span>
#include <string_view>

/// One function of the expression language: its name and how its argument
/// and result relate to the angle mode. The calculator applies the angle
/// conversions around `compute`, so an implementation always works in
/// radians and never reads the mode itself.
struct FunctionRow {
  /// The name as typed, in lower case and without the bracket.
  std::string_view name;
  /// Computes the function of an argument in radians (where it is an angle).
  double (*compute)(double x);
  /// True when the argument is an angle, so converted from degrees in degree mode.
  bool angleArgument;
  /// True when the result is an angle, converted to degrees in degree mode.
  bool angleResult;
  /// The error line (and result 0.0) for an argument below 0 or NaN; empty: none.
  std::string_view negativeError = {};
};

/// Returns every function of the language, one row each.
std::span<const FunctionRow> functionTable();

/// Returns the row whose name followed by "(" is `head`, unit by unit, or null.
const FunctionRow* findFunction(std::u16string_view head);

#endif  // ZORVEX_ENGINE_FUNCTION_TABLE_H_
