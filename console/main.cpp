#include <unistd.h>

#include <new>
#include <string_view>

#include "console/console.h"
#include "console/fd_streams.h"
#include "console/messages.h"
#include "console/options.h"
#include "console/posix_io.h"
#include "console/run.h"

namespace {

/// Writes `text` to `out` and sends it; returns the exit status.
int printText(OutputBuffer& out, OutputBuffer& err, std::string_view text) {
  out.sputn(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out.push()) {
    reportFailure(err, out.failure());
    return EXIT_FAILED;
  }
  return EXIT_OK;
}

/// Everything the program does once its standard descriptors are open;
/// returns the exit status.
int run(int argc, char* argv[]) {
  const Options options = parseOptions(argc, argv);

  // On a terminal every line is written as soon as it is complete; into a
  // pipe or file the output is gathered and written when the program is
  // about to wait for input, before an error line, and at exit, which no
  // reader can tell apart from writing every line at once.
  FdOutputBuffer out(STDOUT_FILENO, /*deferred=*/isatty(STDOUT_FILENO) == 0);
  FdOutputBuffer err(STDERR_FILENO, /*deferred=*/false, 1024);
  err.pushFirst(&out);

  switch (options.action) {
    case Options::Action::HELP:
      return printText(out, err, usageText());
    case Options::Action::VERSION:
      return printText(out, err, versionText());
    case Options::Action::USAGE_ERROR:
      reportFailure(err, usageFailure(options.usageError));
      return EXIT_USAGE;
    case Options::Action::RUN:
      break;
  }
  return runSession(options, out, err);
}

}  // namespace

int main(int argc, char* argv[]) {
  // First of all, before any file is opened: a descriptor the caller left
  // closed would otherwise be taken by the next file we open.
  openClosedStandardDescriptors();
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Memory ran out before the dialogue could take it over (the command
    // line, the buffers): nothing was computed, so the message is all.
    reportOutOfMemoryUnbuffered();
    return EXIT_FAILED;
  }
}
