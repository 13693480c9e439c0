#include "console/interrupts.h"

#include <signal.h>

namespace {

volatile sig_atomic_t interrupted = 0;

void noteInterrupt(int) { interrupted = 1; }

}  // namespace

void catchInterrupts() {
  // A program started with SIGINT ignored (in the background of a shell
  // without job control) is not meant to be interrupted: it stays ignored.
  struct sigaction current {};
  if (sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = &noteInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: the read waiting for the user's line must return so
  // that the reader can give the line up.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
}

bool takeInterrupt() {
  const bool taken = interrupted != 0;
  interrupted = 0;
  return taken;
}
