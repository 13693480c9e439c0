#ifndef ZORVEX_ENGINE_CALCULATOR_H_
#define ZORVEX_ENGINE_CALCULATOR_H_

#include <array>
#include <cstdint>
#include <iosfwd>
#include <string_view>

#include "engine/token.h"
#include "text/wide_string.h"
#include "variables/variable_store.h"

/// The ten kinds the evaluator reduces, in the order it reduces them: the
/// precedence of the expression language, highest first.
constexpr std::array<TokenKind, 10> operatorOrder = {
    '(', '|', TOKEN_FUNCTION, '^', '*', '/', ':', '+', '-', '='};

/// The value of the variable pi, and the one the angle conversions use: six
/// digits, not the mathematical constant, so that every result that goes
/// through pi or through degrees carries the same error.
constexpr double PI_SIX_DIGITS = 3.14159;

/// The expression engine: a table of MAX_TOKENS slots in which every line is
/// cut into tokens, rewritten and reduced in place, and the variables of the
/// run. Error lines go to the error stream, the variable listing to the
/// output stream.
class Calculator {
 public:
  /// A calculator writing its listing to `out` and its error lines to `err`.
  Calculator(std::ostream& out, std::ostream& err);
  Calculator(const Calculator&) = delete;
  Calculator& operator=(const Calculator&) = delete;
  virtual ~Calculator();

  /// Evaluates one line, normalising it in place; returns its value.
  double evaluateLine(WideString& line) {
    normalizeLine(line);
    return evaluateNormalizedLine(line);
  }
  /// Evaluates a line that normalizeLine (or normalizeBytes) has already
  /// been through; returns its value.
  double evaluateNormalizedLine(WideString& line);

  /// Empties the table, normalises `line` in place and cuts it into tokens.
  /// A run of a million units or more that is at least as long as the rest
  /// of the line moves into its token, and `line` keeps only what follows
  /// it. Returns false, with the table holding the first MAX_TOKENS tokens,
  /// when the line has more tokens than the table has slots.
  bool tokenize(WideString& line);
  /// Lower-cases `line`, removes its blanks and tabs and turns every
  /// bracket shape into a round bracket, in place.
  static void normalizeLine(WideString& line);
  /// Fills `line` with `bytes` widened as WideString widens bytes and
  /// normalised as normalizeLine would leave them, in one pass.
  static void normalizeBytes(std::string_view bytes, WideString& line);
  /// Folds minus signs into numbers, marks function heads and replaces
  /// variable names by their values (times an adjacent number), in the
  /// line tokenize cut last (which notes whether it has names).
  void resolveNames();
  /// Reduces the slots [from, to) (-1: the table's start or end) operator
  /// kind by operator kind; returns the first number left at or after from.
  double reduceRange(int from, int to);
  /// Returns the first slot of [from, to) with the given kind, or -1.
  int findKind(TokenKind kind, int from, int to) const;
  /// Returns the slot in [from, to) that closes a pair opened just before
  /// from (a ')' nests, a '|' does not), or -1.
  int findMatchingClose(TokenKind closeKind, int from, int to) const;
  /// Empties the nearest number at or beyond `pos` in one direction and
  /// returns its value; 0.0 when a bracket, bar or head stops the search.
  double takeOperand(int pos, bool leftwards);
  /// Computes the operator in slot `pos` from its operands, consuming them.
  double applyBinaryOperator(int pos);
  /// Empties the nearest name at or left of `pos` and returns its text, or
  /// the empty text when there is none.
  WideString takeAssignedName(int pos);
  /// Evaluates the function whose head text is `functionText` at `x`.
  double applyFunction(const WideString& functionText, double x);

  /// Sets (or creates) the variable `name`.
  void setVariable(const WideString& name, double value);
  /// Returns the value of `name`, or 0.0 after an error line.
  double getVariable(const WideString& name);
  /// Returns the variable `name`, or null.
  Variable* findVariable(const WideString& name) const;
  /// Writes the variable listing to the output stream.
  void showVariables();
  /// Returns how many error lines the calculator has written so far.
  uint64_t errorLineCount() const { return errorLineCount_; }

  Token tokens[MAX_TOKENS];
  VariableStore variables;
  int32_t tokenCount = 0;

 private:
  /// One past the last slot the current line occupies; every slot beyond
  /// it is empty, so searches stop there instead of at the table's end.
  int usedEnd() const { return usedSlots_; }
  int rangeStart(int from) const { return from == -1 ? 0 : from; }
  int rangeEnd(int to) const { return to == -1 ? usedSlots_ : to; }
  void writeNumber(int slot, double value);
  /// Folds the minus sign in `slot` into the number after it.
  void foldMinusSign(int slot);
  /// tokenize for a line already normalised.
  bool cutIntoTokens(WideString& line);
  /// takeOperand leftwards and rightwards.
  double takeLeftOperand(int pos);
  double takeRightOperand(int pos);
  /// Empties `slot` and links its neighbours past it, so that later
  /// searches step over it without looking at it.
  void emptySlot(int slot) {
    tokens[slot].kind = TOKEN_EMPTY;
    const int previous = previousSlot_[slot];
    const int next = nextSlot_[slot];
    if (previous >= 0) {
      nextSlot_[previous] = static_cast<int16_t>(next);
    }
    if (next < usedSlots_) {
      previousSlot_[next] = static_cast<int16_t>(previous);
    }
  }
  /// Links every slot of the line to its neighbours (see previousSlot_).
  void linkSlots();
  /// Empties the slots whose text is too long to keep for the next line.
  void releaseLongTokens();
  /// Writes one error line: `text`, then the subject's text and `tail`
  /// when there is a subject.
  void writeError(std::string_view text, const WideString* subject = nullptr,
                  std::string_view tail = {});

  std::ostream& out_;
  std::ostream& err_;
  int usedSlots_ = 0;
  /// The searches' steps over the slots [0, usedSlots_): every slot
  /// strictly between a slot and its previous or next slot is empty, so a
  /// search that passes empty slots may jump along these links instead of
  /// stepping one slot at a time. Only the tokenizer makes a slot non-empty,
  /// and it links the slots afresh; emptying a slot keeps the rule true
  /// whether or not its neighbours are relinked past it, and emptySlot does
  /// relink them. The last slot's next is usedSlots_.
  int16_t previousSlot_[MAX_TOKENS];
  int16_t nextSlot_[MAX_TOKENS];
  uint64_t errorLineCount_ = 0;
  /// The variable rad, which holds the angle mode. It is created with the
  /// calculator, never removed, and its node never moves, so a function
  /// call reads the mode through it without building or looking up the
  /// name; the value read is the variable's value at the moment of the call.
  const Variable* rad_ = nullptr;
  /// True when the current line has a run too long to keep its memory for
  /// the next line.
  bool longRuns_ = false;
  /// True when the current line has a name (a variable or a function head).
  bool hasNames_ = false;
};

#endif  // ZORVEX_ENGINE_CALCULATOR_H_
