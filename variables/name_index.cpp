#include "variables/name_index.h"

#include "variables/variable_store.h"

namespace {

constexpr std::size_t INITIAL_SLOTS = 64;

}  // namespace

NameIndex::NameIndex() : slots_(INITIAL_SLOTS) {}

Variable* NameIndex::find(std::u16string_view name) const {
  const uint64_t hash = hashOf(name);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.variable == nullptr) {
      return nullptr;
    }
    if (slot.hash == hash && slot.variable->name.view() == name) {
      return slot.variable;
    }
  }
}

void NameIndex::insert(Variable* variable) {
  if (2 * (count_ + 1) > slots_.size()) {
    grow();
  }
  const uint64_t hash = hashOf(variable->name.view());
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].variable != nullptr) {
    i = (i + 1) & mask;
  }
  slots_[i] = Slot{hash, variable};
  ++count_;
}

uint64_t NameIndex::hashOf(std::u16string_view name) {
  // FNV-1a over the units, with a final mix so that the low bits, which
  // pick the slot, depend on every unit.
  uint64_t hash = 14695981039346656037ull;
  for (char16_t unit : name) {
    hash = (hash ^ unit) * 1099511628211ull;
  }
  hash ^= hash >> 29;
  hash *= 0xbf58476d1ce4e5b9ull;
  return hash ^ (hash >> 32);
}

void NameIndex::grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.variable != nullptr) {
      std::size_t i = slot.hash & mask;
      while (slots_[i].variable != nullptr) {
        i = (i + 1) & mask;
      }
      slots_[i] = slot;
    }
  }
}
