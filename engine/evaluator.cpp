#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>

#include "engine/calculator.h"
#include "engine/error_lines.h"
#include "text/portable.h"

namespace {

/// Bit i marks operatorOrder[i], indexed by kind for kinds below 128.
constexpr std::array<uint16_t, 128> OPERATOR_BITS = [] {
  std::array<uint16_t, 128> table{};
  for (std::size_t i = 0; i < operatorOrder.size(); ++i) {
    table[static_cast<std::size_t>(operatorOrder[i])] = static_cast<uint16_t>(1u << i);
  }
  return table;
}();

/// Returns the bit of `kind` in a set of operatorOrder kinds (bit i for
/// operatorOrder[i]), or 0 for any other kind.
constexpr uint32_t operatorBit(TokenKind kind) {
  return (kind >= 0 && kind < 128) ? OPERATOR_BITS[static_cast<std::size_t>(kind)] : 0;
}

constexpr bool isGroupOpener(TokenKind kind) {
  return kind == '(' || kind == '|' || kind == TOKEN_FUNCTION;
}

/// The kinds that open a group come first in operatorOrder.
constexpr int GROUP_KINDS = 3;
static_assert(operatorOrder[0] == '(' && operatorOrder[1] == '|' &&
              operatorOrder[2] == TOKEN_FUNCTION && !isGroupOpener(operatorOrder[GROUP_KINDS]));

}  // namespace

double Calculator::reduceRange(int from, int to) {
  // One pass over the range, from its end, links every slot of an operator
  // kind to the next slot of the same kind. Reductions never create an
  // operator (they write numbers and empty slots), so the slots holding a
  // kind at any later moment are a subset of those linked now: walking a
  // kind's links and skipping the slots that no longer hold it visits
  // exactly the slots a fresh left-to-right search would find, in the same
  // order, without passing over any slot twice.
  //
  // The pass is written without a branch per slot: a slot of any other kind
  // (an empty one included) is linked into a list of its own that nothing
  // reads, and the pass steps one slot at a time rather than along the
  // links, so that each step waits for no load.
  static_assert(MAX_TOKENS <= 128, "slot numbers are kept in int8_t");
  constexpr int OTHER_KINDS = static_cast<int>(operatorOrder.size());
  int8_t nextOfKind[MAX_TOKENS];
  int8_t firstOfKind[OTHER_KINDS + 1];
  std::memset(firstOfKind, -1, sizeof firstOfKind);
  uint32_t kindsInRange = 0;
  for (int i = std::min(rangeEnd(to), usedEnd()) - 1, start = rangeStart(from); i >= start; --i) {
    const uint32_t bit = operatorBit(tokens[i].kind);
    const int k = std::countr_zero(bit | (1u << OTHER_KINDS));
    nextOfKind[i] = firstOfKind[k];
    firstOfKind[k] = static_cast<int8_t>(i);
    kindsInRange |= bit;
  }
  for (uint32_t left = kindsInRange; left != 0; left &= left - 1) {
    const int k = std::countr_zero(left);
    const TokenKind kind = operatorOrder[static_cast<std::size_t>(k)];
    for (int d = firstOfKind[k]; d != -1; d = nextOfKind[d]) {
      if (tokens[d].kind != kind) {
        continue;  // consumed by an earlier reduction
      }
      if (k < GROUP_KINDS) {
        const int m = findMatchingClose(kind == '|' ? '|' : ')', d + 1, to);
        const double inside = reduceRange(d + 1, m);
        double value = inside;
        if (kind == '|') {
          value = std::fabs(inside);
        } else if (kind == TOKEN_FUNCTION) {
          value = applyFunction(tokens[d].text, inside);
        }
        writeNumber(d, value);
        if (m != -1) {
          emptySlot(m);
        }
      } else {
        writeNumber(d, applyBinaryOperator(d));
      }
    }
  }
  return takeRightOperand(rangeStart(from));
}

int Calculator::findKind(TokenKind kind, int from, int to) const {
  const int end = rangeEnd(to);
  for (int i = rangeStart(from); i < end; ++i) {
    if (tokens[i].kind == kind) {
      return i;
    }
  }
  return -1;
}

int Calculator::findMatchingClose(TokenKind closeKind, int from, int to) const {
  // Empty slots neither open nor close, so the search steps over them.
  const int end = std::min(rangeEnd(to), usedEnd());
  int depth = 0;
  for (int i = rangeStart(from); i < end; i = nextSlot_[i]) {
    const TokenKind kind = tokens[i].kind;
    if (kind == closeKind) {
      if (depth == 0) {
        return i;
      }
      --depth;
    } else if (closeKind == ')' && (kind == '(' || kind == TOKEN_FUNCTION)) {
      // A function head carries its own opening bracket.
      ++depth;
    }
  }
  return -1;
}

double Calculator::takeOperand(int pos, bool leftwards) {
  return leftwards ? takeLeftOperand(pos) : takeRightOperand(pos);
}

// Both searches pass over empty slots, so they step along the links, which
// skip only empty slots; beyond the line's last slot every slot is empty too.

double Calculator::takeLeftOperand(int pos) {
  for (int p = std::min(pos, usedEnd() - 1); p >= 0; p = previousSlot_[p]) {
    const TokenKind kind = tokens[p].kind;
    if (kind == TOKEN_NUMBER) {
      emptySlot(p);
      return tokens[p].text.toNumber();
    }
    if (isGroupOpener(kind)) {
      return 0.0;
    }
  }
  return 0.0;
}

double Calculator::takeRightOperand(int pos) {
  // The search runs to the end of the table, whatever range is being
  // reduced, unless a closing bracket or bar stops it.
  for (int p = pos, end = usedEnd(); p < end; p = nextSlot_[p]) {
    const TokenKind kind = tokens[p].kind;
    if (kind == TOKEN_NUMBER) {
      emptySlot(p);
      return tokens[p].text.toNumber();
    }
    if (kind == ')' || kind == '|') {
      return 0.0;
    }
  }
  return 0.0;
}

double Calculator::applyBinaryOperator(int pos) {
  const TokenKind kind = tokens[pos].kind;
  // The operands are searched for from the operator's neighbours along the
  // links: the slots between a slot and its linked neighbours are empty,
  // and the searches pass over empty slots anyway.
  if (kind == '/' || kind == ':') {
    // The divisor is taken first; the dividend stays in the table when the
    // divisor is unusable.
    const double divisor = takeRightOperand(nextSlot_[pos]);
    if (divisor == 0.0 || std::isnan(divisor)) {
      writeError(DIVIDE_BY_ZERO);
      return 0.0;
    }
    return takeLeftOperand(previousSlot_[pos]) / divisor;
  }
  if (kind == '=') {
    const double value = takeRightOperand(pos);
    setVariable(takeAssignedName(pos), value);
    return value;
  }
  const double left = takeLeftOperand(previousSlot_[pos]);
  const double right = takeRightOperand(nextSlot_[pos]);
  if (std::isnan(left) && std::isnan(right)) [[unlikely]] {
    // Which of two NaNs an operation passes on (and so the sign printed) is
    // the machine's choice of operand order, which each compiler makes its
    // own way. The result is the one the program has always printed: the
    // right operand's NaN for + and *, the left one's for - and for ^ (the
    // base's), stated here so that every build, the WebAssembly page's
    // included, prints the same.
    return kind == '+' || kind == '*' ? right : left;
  }
  switch (kind) {
    case '*':
      return left * right;
    case '+':
      return left + right;
    case '-':
      return left - right;
    case '^':
      return portable::pow(left, right);
    default:
      return 0.0;
  }
}

WideString Calculator::takeAssignedName(int pos) {
  for (int p = std::min(pos, usedEnd() - 1); p >= 0; p = previousSlot_[p]) {
    if (tokens[p].kind == TOKEN_NAME) {
      emptySlot(p);
      return tokens[p].text;
    }
  }
  return WideString();
}
