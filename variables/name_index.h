#ifndef ZORVEX_VARIABLES_NAME_INDEX_H_
#define ZORVEX_VARIABLES_NAME_INDEX_H_

#include <cstdint>
#include <string_view>
#include <vector>

struct Variable;

/// Finds variables by name in constant time: an open-addressing table of
/// (hash, node) pairs kept at most half full, so a look-up usually touches
/// one slot and one node, however many variables a run creates.
class NameIndex {
 public:
  NameIndex();

  /// Returns the variable named `name`, or null.
  Variable* find(std::u16string_view name) const;
  /// Adds `variable` under its name, which must not be in the index yet.
  void insert(Variable* variable);

 private:
  struct Slot {
    uint64_t hash = 0;
    Variable* variable = nullptr;
  };

  static uint64_t hashOf(std::u16string_view name);
  void grow();

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

#endif  // ZORVEX_VARIABLES_NAME_INDEX_H_
