#ifndef ZORVEX_VARIABLES_VARIABLE_STORE_H_
#define ZORVEX_VARIABLES_VARIABLE_STORE_H_

#include <iosfwd>
#include <memory>
#include <vector>

#include "text/wide_string.h"
#include "variables/name_index.h"

/// One named value of the run; nodes form a list in creation order.
struct Variable {
  WideString name;
  double value = 0.0;
  Variable* next = nullptr;
};

/// The variables of one run: a list in creation order that always starts
/// with the unnamed variable once anything has been stored, with an index
/// beside it so that looking a name up does not walk the list. Nodes are
/// carved out of large blocks, which the store frees together.
class VariableStore {
 public:
  VariableStore() = default;
  VariableStore(const VariableStore&) = delete;
  VariableStore& operator=(const VariableStore&) = delete;

  /// Returns the first node (the unnamed variable), or null while empty.
  Variable* first() const { return first_; }
  /// Returns the first node named `name`, or null.
  Variable* find(const WideString& name) const;
  /// Sets `name` to `value`, creating it at the end of the list if needed;
  /// the first creation puts the unnamed variable in front of it.
  void set(const WideString& name, double value);
  /// Returns the value of `name`; for an undeclared name writes the error
  /// line to `err` and returns 0.0 without creating the variable.
  double get(const WideString& name, std::ostream& err) const;
  /// Writes the listing: an empty line, "name\t\tvalue" for every variable
  /// in creation order (values as %.15g), and an empty line; each flushed.
  void show(std::ostream& out) const;

 private:
  Variable* append(const WideString& name, double value);

  Variable* first_ = nullptr;
  Variable* last_ = nullptr;
  NameIndex index_;
  std::vector<std::unique_ptr<Variable[]>> blocks_;
  std::size_t usedInLastBlock_ = 0;
};

#endif  // ZORVEX_VARIABLES_VARIABLE_STORE_H_
