#include "console/messages.h"

#include <unistd.h>

#include <cerrno>

#include "console/console_io.h"

namespace {

void put(OutputBuffer& err, std::string_view text) {
  err.sputn(text.data(), static_cast<std::streamsize>(text.size()));
}

/// Writes `text` with each control character spelled as a backslash escape
/// ("\n", "\t", "\033"), so that a file name or an argument cannot break
/// the one line of a message or send codes to the terminal.
void putEscaped(OutputBuffer& err, std::string_view text) {
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      err.sputc(c);
    } else if (c == '\n') {
      put(err, "\\n");
    } else if (c == '\t') {
      put(err, "\\t");
    } else if (c == '\r') {
      put(err, "\\r");
    } else {
      const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                            static_cast<char>('0' + ((byte >> 3) & 7)),
                            static_cast<char>('0' + (byte & 7))};
      err.sputn(octal, sizeof octal);
    }
  }
}

}  // namespace

void reportFailure(OutputBuffer& err, std::string_view what, std::string_view reason) {
  // Gathered in the buffer and sent together, without allocating: this also
  // reports that memory ran out.
  put(err, "zorvex: ");
  putEscaped(err, what);
  if (!reason.empty()) {
    put(err, ": ");
    putEscaped(err, reason);
  }
  put(err, "\n");
  err.push();
}

void reportOutOfMemoryUnbuffered() {
  constexpr std::string_view PREFIX = "zorvex: ";
  char line[PREFIX.size() + OUT_OF_MEMORY.size() + 1];
  PREFIX.copy(line, PREFIX.size());
  OUT_OF_MEMORY.copy(line + PREFIX.size(), OUT_OF_MEMORY.size());
  line[sizeof line - 1] = '\n';
  // One write of the whole line; there is nothing left to do if it fails.
  while (::write(STDERR_FILENO, line, sizeof line) < 0 && errno == EINTR) {
  }
}
