#include "console/interrupts.h"

#include <signal.h>

namespace {

volatile sig_atomic_t interrupted = 0;

void noteInterrupt(int) { interrupted = 1; }

}  // namespace

void catchInterrupts() {
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
