#include "console/messages.h"

#include "console/console_io.h"

namespace {

void put(OutputBuffer& err, std::string_view text) {
  err.sputn(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

void reportFailure(OutputBuffer& err, std::string_view what, std::string_view reason) {
  // Gathered in the buffer and sent together, without allocating: this also
  // reports that memory ran out.
  put(err, "zorvex: ");
  put(err, what);
  if (!reason.empty()) {
    put(err, ": ");
    put(err, reason);
  }
  put(err, "\n");
  err.push();
}
