// The C library over CalculatorSession. Every entry point turns whatever
// the engine throws into a status: a C caller can neither catch a C++
// exception nor survive an abort.
#include "engine/zorvex.h"

#include <cstring>
#include <exception>
#include <new>
#include <string_view>

#include "engine/session.h"
#include "engine/version.h"
#include "text/wide_string.h"

struct zorvex {
  CalculatorSession session;
};

namespace {

/// Runs `call`, which returns a status; a memory failure, or any other
/// exception, becomes ZORVEX_NO_MEMORY, the only failure the engine has.
template <typename Call>
zorvex_status guarded(Call call) noexcept {
  try {
    return call();
  } catch (...) {
    // The engine throws nothing but std::bad_alloc (and std::length_error
    // for a text beyond what memory could hold, the same failure).
    return ZORVEX_NO_MEMORY;
  }
}

std::string_view bytes(const char* data, size_t length) {
  return length == 0 ? std::string_view() : std::string_view(data, length);
}

}  // namespace

extern "C" {

const char* zorvex_status_text(zorvex_status status) {
  switch (status) {
    case ZORVEX_OK:
      return "success";
    case ZORVEX_NO_MEMORY:
      return "out of memory";
    case ZORVEX_BAD_HANDLE:
      return "no calculator";
    case ZORVEX_BAD_ARGUMENT:
      return "invalid argument";
    case ZORVEX_BUFFER_TOO_SMALL:
      return "buffer too small";
    case ZORVEX_NOT_FOUND:
      return "no such variable";
  }
  return "unknown status";
}

const char* zorvex_version(void) { return ENGINE_VERSION_TEXT; }

int zorvex_version_number(void) {
  return ENGINE_VERSION_MAJOR * 10000 + ENGINE_VERSION_MINOR * 100 + ENGINE_VERSION_PATCH;
}

zorvex_status zorvex_create(zorvex** calculator) {
  if (calculator == nullptr) {
    return ZORVEX_BAD_ARGUMENT;
  }
  *calculator = nullptr;
  return guarded([&] {
    *calculator = new zorvex;
    return ZORVEX_OK;
  });
}

void zorvex_destroy(zorvex* calculator) { delete calculator; }

zorvex_status zorvex_evaluate(zorvex* calculator, const char* line, size_t length, double* value) {
  if (calculator == nullptr) {
    return ZORVEX_BAD_HANDLE;
  }
  if (value == nullptr || (line == nullptr && length > 0) || length > WideString::MAX_LENGTH) {
    return ZORVEX_BAD_ARGUMENT;
  }
  return guarded([&] {
    *value = calculator->session.evaluate(bytes(line, length));
    return ZORVEX_OK;
  });
}

const char* zorvex_errors(const zorvex* calculator, size_t* length) {
  if (calculator == nullptr) {
    if (length != nullptr) {
      *length = 0;
    }
    return nullptr;
  }
  const std::string_view errors = calculator->session.errors();
  if (length != nullptr) {
    *length = errors.size();
  }
  // The session keeps its error lines in a std::string, always terminated.
  return errors.data();
}

size_t zorvex_error_count(const zorvex* calculator) {
  return calculator == nullptr ? 0 : calculator->session.errorCount();
}

zorvex_status zorvex_format(double value, char* buffer, size_t size, size_t* length) {
  if (buffer == nullptr) {
    return ZORVEX_BAD_ARGUMENT;
  }
  char text[VALUE_TEXT_CAPACITY];
  const std::string_view formatted = CalculatorSession::formatValue(value, text);
  if (length != nullptr) {
    *length = formatted.size();
  }
  if (formatted.size() >= size) {
    return ZORVEX_BUFFER_TOO_SMALL;
  }
  std::memcpy(buffer, formatted.data(), formatted.size());
  buffer[formatted.size()] = '\0';
  return ZORVEX_OK;
}

zorvex_status zorvex_set_variable(zorvex* calculator, const char* name, size_t length,
                                  double value) {
  if (calculator == nullptr) {
    return ZORVEX_BAD_HANDLE;
  }
  if (name == nullptr || !CalculatorSession::isVariableName(bytes(name, length))) {
    return ZORVEX_BAD_ARGUMENT;
  }
  return guarded([&] {
    calculator->session.setVariable(bytes(name, length), value);
    return ZORVEX_OK;
  });
}

zorvex_status zorvex_get_variable(const zorvex* calculator, const char* name, size_t length,
                                  double* value) {
  if (calculator == nullptr) {
    return ZORVEX_BAD_HANDLE;
  }
  if (name == nullptr || value == nullptr ||
      !CalculatorSession::isVariableName(bytes(name, length))) {
    return ZORVEX_BAD_ARGUMENT;
  }
  return guarded([&] {
    const std::optional<double> found = calculator->session.variable(bytes(name, length));
    if (!found) {
      return ZORVEX_NOT_FOUND;
    }
    *value = *found;
    return ZORVEX_OK;
  });
}

zorvex_status zorvex_list_variables(const zorvex* calculator, zorvex_variable_visitor visit,
                                    void* context) {
  if (calculator == nullptr) {
    return ZORVEX_BAD_HANDLE;
  }
  if (visit == nullptr) {
    return ZORVEX_BAD_ARGUMENT;
  }
  return guarded([&] {
    calculator->session.forEachVariable([&](std::string_view name, double value) {
      return visit(context, name.data(), name.size(), value) != 0;
    });
    return ZORVEX_OK;
  });
}

}  // extern "C"
