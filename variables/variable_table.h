#ifndef ZORVEX_VARIABLES_VARIABLE_TABLE_H_
#define ZORVEX_VARIABLES_VARIABLE_TABLE_H_

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "text/wide_string.h"
#include "variables/name_hash.h"

/// One named value of the run; nodes form a list in creation order.
struct Variable {
  WideString name;
  double value = 0.0;
  Variable* next = nullptr;
};

/// Owns the variable nodes of a run and finds them by name in constant
/// time. Nodes are carved out of large blocks in creation order and never
/// move; an open-addressing index of small slots, at most half full, maps
/// names to them, so a look-up touches one slot and one node however many
/// variables there are. Names are hashed under a secret key, so no input
/// can choose names that all land on the same slots.
class VariableTable {
 public:
  /// An empty table hashing under this process's key.
  VariableTable();
  /// An empty table hashing under `key`, for placements that must repeat.
  explicit VariableTable(const NameHashKey& key);

  /// Returns the variable named `name`, or null.
  Variable* find(std::u16string_view name) const;
  /// Creates a variable that is not yet in the table and returns it; its
  /// `next` is null. A memory failure leaves the table as it was.
  Variable* add(const WideString& name, double value);
  /// Returns the variable created last, or null when there is none.
  Variable* last() const { return nodeCount_ == 0 ? nullptr : &node(nodeCount_ - 1); }
  /// Takes the variable created last out of the table, as if it had never
  /// been added. Returns nothing.
  void removeLast();
  /// Returns the key the table hashes its names under.
  const NameHashKey& hashKey() const { return key_; }

 private:
  /// One index slot: the node's number plus one (0: empty) and the high
  /// half of its name's hash, which settles most mismatches without
  /// touching the node.
  struct Slot {
    uint32_t tag;
    uint32_t node;
  };
  struct FreeSlots {
    void operator()(Slot* slots) const { std::free(slots); }
  };
  using SlotArray = std::unique_ptr<Slot[], FreeSlots>;

  uint64_t hashOf(std::u16string_view name) const { return hashName(name, key_); }
  static SlotArray allocateSlots(std::size_t count);
  Variable& node(uint32_t number) const;
  void place(uint64_t hash, uint32_t nodeNumber);
  void grow();

  NameHashKey key_;
  std::vector<std::unique_ptr<Variable[]>> blocks_;
  uint32_t nodeCount_ = 0;
  SlotArray slots_;
  std::size_t slotCount_ = 0;
};

#endif  // ZORVEX_VARIABLES_VARIABLE_TABLE_H_
