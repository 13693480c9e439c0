#include "variables/variable_store.h"

#include <ostream>

#include "text/number_text.h"

Variable* VariableStore::find(const WideString& name) const { return table_.find(name.view()); }

void VariableStore::set(const WideString& name, double value) {
  if (Variable* node = find(name)) {
    if (noting_) {
      changes_.push_back(Change{node, node->value});
    }
    node->value = value;
    return;
  }
  if (first_ == nullptr) {
    append(WideString(), 0.0);
    if (name.length() == 0) {
      // The unnamed variable just created is the one being set.
      first_->value = value;
      return;
    }
  }
  append(name, value);
}

void VariableStore::noteChanges() {
  changes_.clear();
  noting_ = true;
}

void VariableStore::keepChanges() {
  changes_.clear();
  noting_ = false;
}

void VariableStore::undoChanges() noexcept {
  for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
    if (change->node == nullptr) {
      removeLast();
    } else {
      change->node->value = change->oldValue;
    }
  }
  keepChanges();
}

void VariableStore::show(std::ostream& out) const {
  char buffer[NUMBER_TEXT_CAPACITY];
  out << '\n';
  out.flush();
  for (const Variable* node = first_; node != nullptr; node = node->next) {
    out << node->name << "\t\t" << formatGeneral(node->value, buffer) << '\n';
    out.flush();
  }
  out << '\n';
  out.flush();
}

Variable* VariableStore::append(const WideString& name, double value) {
  if (noting_) {
    // Noted first: a failure to note it must leave nothing to take back.
    changes_.push_back(Change{nullptr, 0.0});
  }
  Variable* node;
  try {
    node = table_.add(name, value);
  } catch (...) {
    if (noting_) {
      changes_.pop_back();
    }
    throw;
  }
  if (last_ == nullptr) {
    first_ = node;
  } else {
    last_->next = node;
  }
  last_ = node;
  return node;
}

void VariableStore::removeLast() {
  table_.removeLast();
  last_ = table_.last();
  if (last_ == nullptr) {
    first_ = nullptr;
  } else {
    last_->next = nullptr;
  }
}
