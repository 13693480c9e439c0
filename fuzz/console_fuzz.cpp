// Fuzz target: arbitrary bytes as the whole standard input of one run of the
// console dialogue, over in-memory buffers.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/console.h"
#include "console/line_sources.h"
#include "console/memory_streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryInputBuffer input(std::string(reinterpret_cast<const char*>(data), size));
  MemoryOutputBuffer out;
  MemoryOutputBuffer err;
  StreamLineSource lines(input, out);
  const int status = runConsole(lines, out, err);

  // In-memory buffers never fail to take output, so every run must end as
  // EXIT or the end of input end it: status 0, everything pushed, and the
  // last thing written is the prompt that the final line or the end of
  // input answered.
  const std::string& written = out.text();
  if (status != 0 || out.pushedText() != written || written.size() < 2 ||
      written.compare(written.size() - 2, 2, "> ") != 0) {
    std::abort();
  }
  return 0;
}
