#include "engine/function_table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

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

/// Heads are compared as one integer each: up to this many units, a byte
/// per unit, the first unit in the lowest byte.
constexpr std::size_t KEYED_UNITS = 8;

/// Returns the key of a head, or 0 for a head no row can have: a longer
/// one, or one with a unit of 0 or beyond 0x7F, which no name has. Two
/// heads with the same non-zero key are the same units, since every unit
/// counted is non-zero and fits its byte.
constexpr uint64_t headKey(std::u16string_view head) {
  if (head.size() > KEYED_UNITS) {
    return 0;
  }
  uint64_t key = 0;
  for (std::size_t i = 0; i < head.size(); ++i) {
    const unsigned unit = head[i];
    if (unit - 1 >= 0x7F) {
      return 0;
    }
    key |= uint64_t{unit} << (8 * i);
  }
  return key;
}

/// The key of each row's head: its name and "(", keyed as a head is.
constexpr auto HEAD_KEYS = [] {
  std::array<uint64_t, std::size(FUNCTIONS)> keys{};
  for (std::size_t row = 0; row < keys.size(); ++row) {
    const std::string_view name = FUNCTIONS[row].name;
    char16_t head[KEYED_UNITS + 1] = {};
    const std::size_t size = std::min(name.size(), KEYED_UNITS);
    std::copy_n(name.begin(), size, head);
    head[size] = u'(';
    // A name too long for a key gives 0, which fails the assertion below.
    keys[row] = headKey(std::u16string_view(head, size + 1));
  }
  return keys;
}();
static_assert(std::find(HEAD_KEYS.begin(), HEAD_KEYS.end(), 0) == HEAD_KEYS.end(),
              "every head fits a key");

}  // namespace

std::span<const FunctionRow> functionTable() { return FUNCTIONS; }

const FunctionRow* findFunction(std::u16string_view head) {
  const uint64_t key = headKey(head);
  for (std::size_t row = 0; row < HEAD_KEYS.size(); ++row) {
    if (key == HEAD_KEYS[row]) {
      return &FUNCTIONS[row];
    }
  }
  return nullptr;  // a key of 0 matches no row
}
