#include "engine/function_table.h"

#include <cmath>

#include "engine/error_lines.h"
#include "text/portable.h"

namespace {

// The implementations are wrapped because the standard library's own
// functions may not have their address taken.
double squareRoot(double x) { return std::sqrt(x); }
double sine(double x) { return std::sin(x); }
double cosine(double x) { return std::cos(x); }
double tangent(double x) { return std::tan(x); }
double cotangent(double x) { return 1.0 / std::tan(x); }
double arcsine(double x) { return portable::asin(x); }
double arccosine(double x) { return portable::acos(x); }
double arctangent(double x) { return std::atan2(x, 1.0); }

// Every place that lists the functions for people or tools carries the
// marker "function-table"; a new row goes there too.
constexpr FunctionRow FUNCTIONS[] = {
    // {name, implementation, argument is an angle, result is an angle, error for a
    // negative argument}
    {"sqrt", squareRoot, false, false, SQRT_OF_NEGATIVE},
    {"sin", sine, true, false},
    {"cos", cosine, true, false},
    {"tan", tangent, true, false},
    {"cot", cotangent, true, false},
    {"asin", arcsine, false, true},
    {"acos", arccosine, false, true},
    {"atan", arctangent, false, true},
    {"arcsin", arcsine, false, true},
    {"arccos", arccosine, false, true},
    {"arctan", arctangent, false, true},
};

bool isHeadOf(std::u16string_view head, std::string_view name) {
  if (head.size() != name.size() + 1 || head.back() != u'(') {
    return false;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (head[i] != static_cast<unsigned char>(name[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::span<const FunctionRow> functionTable() { return FUNCTIONS; }

const FunctionRow* findFunction(std::u16string_view head) {
  for (const FunctionRow& row : FUNCTIONS) {
    if (isHeadOf(head, row.name)) {
      return &row;
    }
  }
  return nullptr;
}
