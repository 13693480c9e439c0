#include "engine/calculator.h"

#include <array>
#include <cstring>
#include <ostream>

#include "engine/error_lines.h"

Calculator::Calculator(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
  setVariable(WideString("pi"), PI_SIX_DIGITS);
  const WideString rad("rad");
  setVariable(rad, 0.0);
  rad_ = findVariable(rad);
}

Calculator::~Calculator() = default;

double Calculator::evaluateNormalizedLine(WideString& line) {
  double value = 0.0;
  if (cutIntoTokens(line)) {
    resolveNames();
    value = reduceRange(-1, -1);
  } else {
    // A line beyond the table's capacity is not evaluated at all, so no
    // variable is read or assigned on the strength of a truncated line.
    writeError(TOO_MANY_TOKENS);
  }
  if (longRuns_) {
    releaseLongTokens();
  }
  return value;
}

void Calculator::setVariable(const WideString& name, double value) { variables.set(name, value); }

double Calculator::getVariable(const WideString& name) {
  if (const Variable* variable = findVariable(name)) {
    return variable->value;
  }
  writeError(UNDECLARED_BEFORE, &name, UNDECLARED_AFTER);
  return 0.0;
}

Variable* Calculator::findVariable(const WideString& name) const { return variables.find(name); }

void Calculator::showVariables() { variables.show(out_); }

void Calculator::writeNumber(int slot, double value) {
  tokens[slot].text.setNumber(value);
  tokens[slot].kind = TOKEN_NUMBER;
}

void Calculator::linkSlots() {
  // Every slot is linked to its direct neighbours, copied from two tables.
  static constexpr auto PREVIOUS = [] {
    std::array<int16_t, MAX_TOKENS> links{};
    for (int slot = 0; slot < MAX_TOKENS; ++slot) links[slot] = static_cast<int16_t>(slot - 1);
    return links;
  }();
  static constexpr auto NEXT = [] {
    std::array<int16_t, MAX_TOKENS> links{};
    for (int slot = 0; slot < MAX_TOKENS; ++slot) links[slot] = static_cast<int16_t>(slot + 1);
    return links;
  }();
  // Nearly every line fits the first SHORT_LINE slots: those copy as one
  // block of fixed size, without a call (links beyond the line are unused).
  constexpr int SHORT_LINE = 32;
  if (usedSlots_ <= SHORT_LINE) {
    std::memcpy(previousSlot_, PREVIOUS.data(), SHORT_LINE * sizeof(int16_t));
    std::memcpy(nextSlot_, NEXT.data(), SHORT_LINE * sizeof(int16_t));
    return;
  }
  const std::size_t bytes = static_cast<std::size_t>(usedSlots_) * sizeof(int16_t);
  std::memcpy(previousSlot_, PREVIOUS.data(), bytes);
  std::memcpy(nextSlot_, NEXT.data(), bytes);
}

void Calculator::releaseLongTokens() {
  // Nothing reads the table after the evaluation, and the next line empties
  // it anyway; a long run's text is emptied now so that its memory is not
  // held while the program waits for that line.
  for (int slot = 0; slot < usedSlots_; ++slot) {
    if (tokens[slot].text.longerThan(UnitBuffer::KEPT_UNITS)) {
      tokens[slot].kind = TOKEN_EMPTY;
      tokens[slot].text.clear();
    }
  }
}

void Calculator::writeError(std::string_view text, const WideString* subject,
                            std::string_view tail) {
  err_ << text;
  if (subject != nullptr) {
    err_ << *subject << tail;
  }
  err_ << '\n';
  err_.flush();
  ++errorLineCount_;
}
