#ifndef ZORVEX_ENGINE_SESSION_H_
#define ZORVEX_ENGINE_SESSION_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "engine/calculator.h"
#include "text/number_text.h"
#include "text/wide_string.h"

/// Room for the text formatValue writes.
constexpr std::size_t VALUE_TEXT_CAPACITY = NUMBER_TEXT_CAPACITY;

/// One calculator as its users see it: the one place where a line becomes a
/// value and its error lines. It owns a Calculator whose error lines it
/// keeps as text, one line's at a time, and it names, sets and lists the
/// variables by their bytes. It catches nothing: a memory failure leaves as
/// std::bad_alloc, with the variables and the last line's error lines and
/// count as they were before the call.
class CalculatorSession {
 public:
  /// A calculator with the predefined variables pi and rad. With
  /// `errorLines`, each error line goes there the moment it is found and
  /// errors() stays empty: a line of any size then costs no second copy of
  /// its names, and a reader of both streams sees the lines in order.
  explicit CalculatorSession(std::ostream* errorLines = nullptr);
  CalculatorSession(const CalculatorSession&) = delete;
  CalculatorSession& operator=(const CalculatorSession&) = delete;

  /// Evaluates the bytes of one line as the dialogue does; returns its value.
  double evaluate(std::string_view line);
  /// Evaluates a line already read into `line`, normalising it in place, as
  /// the dialogue does; returns its value.
  double evaluate(WideString& line);

  /// Returns the error lines of the last evaluation, each ended by '\n'
  /// (empty when they go to a stream).
  std::string_view errors() const { return errors_; }
  /// Returns how many error lines the last evaluation wrote.
  std::size_t errorCount() const { return errorCount_; }
  /// Returns how many error lines every evaluation so far wrote together.
  uint64_t totalErrorCount() const { return calculator_.errorLineCount(); }

  /// Writes the dialogue's text for `value` (what follows "= ") into
  /// `buffer` (VALUE_TEXT_CAPACITY bytes); returns a view of it.
  static std::string_view formatValue(double value, char* buffer) {
    return formatGeneral(value, buffer);
  }

  /// Returns true when `name` is a variable name: letters only, at least one.
  static bool isVariableName(std::string_view name);
  /// Sets the variable `name` (capitals taken in lower case), creating it
  /// at the end of the listing; returns false, changing nothing, when
  /// `name` is not a variable name.
  bool setVariable(std::string_view name, double value);
  /// Returns the value of the variable `name`, or nothing when there is no
  /// such variable or `name` is not a variable name.
  std::optional<double> variable(std::string_view name) const;
  /// Calls `visit(name, value)` for every variable in the listing's order,
  /// the unnamed entry first (with an empty name), until it returns true.
  template <typename Visit>
  void forEachVariable(Visit visit) const;
  /// Writes the variable listing of the dialogue's SHOWVARS to `out`.
  void writeVariables(std::ostream& out) const { calculator_.variables.show(out); }

  /// Returns the names of the functions of the language, in their table's order.
  static std::vector<std::string_view> functionNames();

 private:
  /// The calculator's error stream: appends everything to a text.
  class TextBuffer : public std::streambuf {
   public:
    explicit TextBuffer(std::string& text) : text_(text) {}

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;

   private:
    std::string& text_;
  };

  /// evaluate for a line already normalised.
  double evaluateNormalized(WideString& line);
  /// Fills `key` with `name` in lower case; false when it is not a name.
  static bool lowerName(std::string_view name, WideString& key);

  std::string errors_;
  std::size_t errorCount_ = 0;
  /// The error lines of the line being evaluated, until it is done.
  std::string pending_;
  TextBuffer pendingBuffer_{pending_};
  std::ostream errorStream_{&pendingBuffer_};
  /// The calculator never lists its variables to a stream of its own.
  std::ostream noListing_{nullptr};
  Calculator calculator_;
  WideString line_;
  mutable WideString name_;
  mutable std::string nameBytes_;
};

template <typename Visit>
void CalculatorSession::forEachVariable(Visit visit) const {
  for (const Variable* node = calculator_.variables.first(); node != nullptr; node = node->next) {
    nameBytes_.clear();
    for (char16_t unit : node->name.view()) {
      nameBytes_.push_back(static_cast<char>(unit));
    }
    if (visit(std::string_view(nameBytes_), node->value)) {
      return;
    }
  }
}

#endif  // ZORVEX_ENGINE_SESSION_H_
