#ifndef ZORVEX_VARIABLES_VARIABLE_STORE_H_
#define ZORVEX_VARIABLES_VARIABLE_STORE_H_

#include <iosfwd>
#include <vector>

#include "text/wide_string.h"
#include "variables/variable_table.h"

/// The variables of one run: a list in creation order that always starts
/// with the unnamed variable once anything has been stored, with an index
/// beside it so that looking a name up does not walk the list.
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
  /// Writes the listing: an empty line, "name\t\tvalue" for every variable
  /// in creation order (values as %.15g), and an empty line; each flushed.
  void show(std::ostream& out) const;

  /// Starts noting what `set` changes, so that `undoChanges` can take it
  /// back; forgets what was noted before.
  void noteChanges();
  /// Stops noting changes and forgets them.
  void keepChanges();
  /// Takes back every change noted since `noteChanges`, newest first, and
  /// stops noting.
  void undoChanges() noexcept;

 private:
  /// One noted change: a value overwritten, or (node null) a variable created.
  struct Change {
    Variable* node;
    double oldValue;
  };

  Variable* append(const WideString& name, double value);
  void removeLast();

  Variable* first_ = nullptr;
  Variable* last_ = nullptr;
  VariableTable table_;
  bool noting_ = false;
  std::vector<Change> changes_;
};

#endif  // ZORVEX_VARIABLES_VARIABLE_STORE_H_
