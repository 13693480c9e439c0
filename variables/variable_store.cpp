#include "variables/variable_store.h"

#include <ostream>

#include "text/number_text.h"

Variable* VariableStore::find(const WideString& name) const { return table_.find(name.view()); }

void VariableStore::set(const WideString& name, double value) {
  if (Variable* node = find(name)) {
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
  Variable* node = table_.add(name, value);
  if (last_ == nullptr) {
    first_ = node;
  } else {
    last_->next = node;
  }
  last_ = node;
  return node;
}
