#include "engine/calculator.h"

#include <ostream>

#include "engine/error_lines.h"

Calculator::Calculator(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
  // pi is the six-digit 3.14159, not the mathematical constant; the angle
  // conversions of the function library use the same value.
  setVariable(WideString("pi"), 3.14159);
  setVariable(WideString("rad"), 0.0);
}

Calculator::~Calculator() = default;

double Calculator::evaluateLine(WideString& line) {
  if (!tokenize(line)) {
    // A line beyond the table's capacity is not evaluated at all, so no
    // variable is read or assigned on the strength of a truncated line.
    writeError(TOO_MANY_TOKENS);
    return 0.0;
  }
  resolveNames();
  return reduceRange(-1, -1);
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
