#include "variables/variable_table.h"

#include <utility>

#include "text/large_blocks.h"

namespace {

/// Nodes per block: 2^BLOCK_BITS.
constexpr uint32_t BLOCK_BITS = 8;
constexpr uint32_t BLOCK_SIZE = uint32_t{1} << BLOCK_BITS;

constexpr std::size_t INITIAL_SLOTS = 64;

}  // namespace

VariableTable::VariableTable() : VariableTable(processNameHashKey()) {}

VariableTable::VariableTable(const NameHashKey& key)
    : key_(key), slots_(allocateSlots(INITIAL_SLOTS)), slotCount_(INITIAL_SLOTS) {}

Variable* VariableTable::find(std::u16string_view name) const {
  const uint64_t hash = hashOf(name);
  const uint32_t tag = static_cast<uint32_t>(hash >> 32);
  const std::size_t mask = slotCount_ - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot slot = slots_[i];
    if (slot.node == 0) {
      return nullptr;
    }
    if (slot.tag == tag) {
      Variable& candidate = node(slot.node - 1);
      if (candidate.name.view() == name) {
        return &candidate;
      }
    }
  }
}

Variable* VariableTable::add(const WideString& name, double value) {
  // Everything that can run out of memory comes before the node is
  // counted, so a failure leaves the table as it was and no half-made node
  // is ever placed in the index.
  if (nodeCount_ % BLOCK_SIZE == 0 && blocks_.size() == nodeCount_ / BLOCK_SIZE) {
    blocks_.push_back(std::make_unique<Variable[]>(BLOCK_SIZE));
  }
  if (2 * (static_cast<std::size_t>(nodeCount_) + 1) > slotCount_) {
    grow();
  }
  const uint32_t number = nodeCount_;
  Variable& created = node(number);
  created.name = name;
  created.value = value;
  ++nodeCount_;
  place(hashOf(name.view()), number);
  return &created;
}

void VariableTable::removeLast() {
  if (nodeCount_ == 0) {
    return;
  }
  const uint32_t number = nodeCount_ - 1;
  const std::size_t mask = slotCount_ - 1;
  std::size_t slot = hashOf(node(number).name.view()) & mask;
  while (slots_[slot].node != number + 1) {
    slot = (slot + 1) & mask;
  }
  // Nodes are placed in creation order, by add and again by grow: every
  // other node found its slot without passing this one, which was still
  // empty then, so emptying it again is all it takes.
  slots_[slot] = Slot{0, 0};
  Variable& removed = node(number);
  removed.name.clear();
  removed.value = 0.0;
  removed.next = nullptr;
  nodeCount_ = number;
}

VariableTable::SlotArray VariableTable::allocateSlots(std::size_t count) {
  // Every slot starts empty. Look-ups land anywhere in a large table; on
  // small pages nearly every one would also miss the address translation
  // cache, so its memory goes on huge pages.
  return SlotArray(static_cast<Slot*>(allocateZeroedBlock(count * sizeof(Slot))));
}

Variable& VariableTable::node(uint32_t number) const {
  return blocks_[number >> BLOCK_BITS][number & (BLOCK_SIZE - 1)];
}

void VariableTable::place(uint64_t hash, uint32_t nodeNumber) {
  const std::size_t mask = slotCount_ - 1;
  std::size_t i = hash & mask;
  while (slots_[i].node != 0) {
    i = (i + 1) & mask;
  }
  slots_[i] = Slot{static_cast<uint32_t>(hash >> 32), nodeNumber + 1};
}

void VariableTable::grow() {
  // The new index is had before the old one is let go: a failure keeps
  // the table whole.
  SlotArray larger = allocateSlots(slotCount_ * 2);
  slots_ = std::move(larger);
  slotCount_ *= 2;
  for (uint32_t number = 0; number < nodeCount_; ++number) {
    place(hashOf(node(number).name.view()), number);
  }
}
