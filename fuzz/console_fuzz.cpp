// Fuzz target: arbitrary bytes as the whole standard input of one run of the
// console dialogue, over in-memory streams.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "console/console.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  std::ostringstream err;
  const int status = runConsole(in, out, err);

  // In-memory streams never fail to take output, so every run must end as
  // EXIT or the end of input end it: status 0, and the last thing written
  // is the prompt that the final line or the end of input answered.
  const std::string written = out.str();
  if (status != 0 || written.size() < 2 || written.compare(written.size() - 2, 2, "> ") != 0) {
    std::abort();
  }
  return 0;
}
