#include "engine/session.h"

#include "engine/function_table.h"
#include "text/unit_buffer.h"

CalculatorSession::CalculatorSession(std::ostream* errorLines)
    : calculator_(noListing_, errorLines != nullptr ? *errorLines : errorStream_) {
  // A stream swallows what its buffer throws; a memory failure while an
  // error line is kept must reach the caller instead of losing the line.
  errorStream_.exceptions(std::ios::badbit);
}

double CalculatorSession::evaluate(std::string_view line) {
  // Widened and normalised in one pass over the bytes.
  Calculator::normalizeBytes(line, line_);
  const double value = evaluateNormalized(line_);
  if (line_.longerThan(UnitBuffer::KEPT_UNITS)) {
    line_.clear();  // a huge line's memory is not held until the next one
  }
  return value;
}

double CalculatorSession::evaluate(WideString& line) {
  Calculator::normalizeLine(line);
  return evaluateNormalized(line);
}

double CalculatorSession::evaluateNormalized(WideString& line) {
  pending_.clear();
  if (!errorStream_.good()) {
    errorStream_.clear();  // after a memory failure the stream is left bad
  }
  const uint64_t before = calculator_.errorLineCount();
  VariableStore& variables = calculator_.variables;
  variables.noteChanges();
  double value;
  try {
    value = calculator_.evaluateNormalizedLine(line);
  } catch (...) {
    // A line given up part way takes back what it assigned.
    variables.undoChanges();
    throw;
  }
  variables.keepChanges();
  // Only a line evaluated to its end replaces the error lines of the last
  // (most lines have none, and neither had the last: nothing to exchange).
  if (!pending_.empty() || !errors_.empty()) {
    errors_.swap(pending_);
  }
  errorCount_ = static_cast<std::size_t>(calculator_.errorLineCount() - before);
  if (pending_.size() > UnitBuffer::KEPT_UNITS) {
    // The error lines of a huge line are not held until the next one.
    pending_.clear();
    pending_.shrink_to_fit();
  }
  return value;
}

bool CalculatorSession::isVariableName(std::string_view name) {
  if (name.empty()) {
    return false;
  }
  for (char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
      return false;
    }
  }
  return true;
}

bool CalculatorSession::setVariable(std::string_view name, double value) {
  if (!lowerName(name, name_)) {
    return false;
  }
  calculator_.setVariable(name_, value);
  return true;
}

std::optional<double> CalculatorSession::variable(std::string_view name) const {
  if (!lowerName(name, name_)) {
    return std::nullopt;
  }
  if (const Variable* found = calculator_.findVariable(name_)) {
    return found->value;
  }
  return std::nullopt;
}

std::vector<std::string_view> CalculatorSession::functionNames() {
  std::vector<std::string_view> names;
  for (const FunctionRow& function : functionTable()) {
    names.push_back(function.name);
  }
  return names;
}

bool CalculatorSession::lowerName(std::string_view name, WideString& key) {
  if (!isVariableName(name)) {
    return false;
  }
  key.assignBytes(name.data(), name.size());
  key.toLower();
  return true;
}

CalculatorSession::TextBuffer::int_type CalculatorSession::TextBuffer::overflow(int_type c) {
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    text_.push_back(traits_type::to_char_type(c));
  }
  return traits_type::not_eof(c);
}

std::streamsize CalculatorSession::TextBuffer::xsputn(const char* bytes, std::streamsize count) {
  text_.append(bytes, static_cast<std::size_t>(count));
  return count;
}
