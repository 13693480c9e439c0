// Fuzz target: the C library driven by arbitrary bytes. Each piece between
// line feeds is one call on one long-lived calculator, chosen by its first
// byte: evaluate the rest as a line, set or read the variable it names,
// list the variables, or format a value made of its bytes. Every answer is
// checked against what the header promises; a broken promise aborts.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/zorvex.h"

namespace {

void require(bool promise) {
  if (!promise) {
    std::abort();
  }
}

zorvex* sharedCalculator() {
  static zorvex* calculator = [] {
    zorvex* made = nullptr;
    require(zorvex_create(&made) == ZORVEX_OK && made != nullptr);
    return made;
  }();
  return calculator;
}

bool isName(const char* bytes, std::size_t size) {
  if (size == 0) {
    return false;
  }
  for (std::size_t i = 0; i < size; ++i) {
    const char c = bytes[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
      return false;
    }
  }
  return true;
}

/// A value from up to eight bytes, so that NaNs, infinities and
/// subnormals all come up.
double valueOf(const char* bytes, std::size_t size) {
  double value = 0.0;
  std::memcpy(&value, bytes, size < sizeof value ? size : sizeof value);
  return value;
}

void checkFormat(double value) {
  char buffer[ZORVEX_FORMAT_CAPACITY];
  std::size_t length = 0;
  require(zorvex_format(value, buffer, sizeof buffer, &length) == ZORVEX_OK);
  require(length == std::strlen(buffer) && length < ZORVEX_FORMAT_CAPACITY);
  char small[ZORVEX_FORMAT_CAPACITY];
  std::size_t again = 0;
  require(zorvex_format(value, small, length, &again) == ZORVEX_BUFFER_TOO_SMALL);
  require(again == length);
}

void call(zorvex* calculator, const char* bytes, std::size_t size) {
  const char* rest = bytes + 1;
  const std::size_t restSize = size - 1;
  switch (static_cast<unsigned char>(bytes[0]) % 5) {
    case 0:
    case 1: {
      double value = 0.0;
      require(zorvex_evaluate(calculator, rest, restSize, &value) == ZORVEX_OK);
      std::size_t length = 0;
      const char* errors = zorvex_errors(calculator, &length);
      require(errors != nullptr && errors[length] == '\0');
      // Every error line ends in a line feed and holds no other.
      std::size_t feeds = 0;
      for (std::size_t i = 0; i < length; ++i) {
        feeds += errors[i] == '\n';
      }
      require(feeds == zorvex_error_count(calculator));
      require(length == 0 || errors[length - 1] == '\n');
      checkFormat(value);
      break;
    }
    case 2: {
      // The name is the bytes up to the first '=', the value those after it.
      const char* equals = static_cast<const char*>(std::memchr(rest, '=', restSize));
      const std::size_t nameSize = equals != nullptr ? equals - rest : restSize;
      const double value = equals != nullptr ? valueOf(equals + 1, restSize - nameSize - 1) : 1.0;
      const zorvex_status status = zorvex_set_variable(calculator, rest, nameSize, value);
      require(status == (isName(rest, nameSize) ? ZORVEX_OK : ZORVEX_BAD_ARGUMENT));
      if (status == ZORVEX_OK) {
        double read = 0.0;
        require(zorvex_get_variable(calculator, rest, nameSize, &read) == ZORVEX_OK);
        require(std::memcmp(&read, &value, sizeof read) == 0);
      }
      break;
    }
    case 3: {
      double value = 0.0;
      const zorvex_status status = zorvex_get_variable(calculator, rest, restSize, &value);
      require(isName(rest, restSize) ? (status == ZORVEX_OK || status == ZORVEX_NOT_FOUND)
                                     : status == ZORVEX_BAD_ARGUMENT);
      break;
    }
    default: {
      std::size_t seen = 0;
      require(zorvex_list_variables(
                  calculator,
                  [](void* context, const char* name, std::size_t length, double value) {
                    std::size_t& count = *static_cast<std::size_t*>(context);
                    // The unnamed entry first, then names of letters only.
                    require(count == 0 ? length == 0 : isName(name, length));
                    checkFormat(value);
                    ++count;
                    return 0;
                  },
                  &seen) == ZORVEX_OK);
      require(seen >= 3);  // the unnamed entry, pi and rad
      checkFormat(valueOf(rest, restSize));
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zorvex* calculator = sharedCalculator();
  const char* bytes = reinterpret_cast<const char*>(data);
  std::size_t start = 0;
  while (start < size) {
    const void* feed = std::memchr(bytes + start, '\n', size - start);
    const std::size_t stop =
        feed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(feed) - bytes) : size;
    if (stop > start) {
      call(calculator, bytes + start, stop - start);
    }
    start = stop + 1;
  }
  return 0;
}
