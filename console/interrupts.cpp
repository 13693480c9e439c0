#include "console/interrupts.h"

#include <errno.h>
#include <termios.h>
#include <unistd.h>

#include <initializer_list>

namespace {

// What the handlers note; each is taken (read and cleared) by the reader.
volatile sig_atomic_t interruptArrived = 0;
volatile sig_atomic_t resizeArrived = 0;
volatile sig_atomic_t stopArrived = 0;
volatile sig_atomic_t continueArrived = 0;

// The terminal and its modes as the run found them, for the handler of a
// signal that ends the program. Set before any handler is installed.
int terminalFd = -1;
struct termios foundModes {};
bool haveFoundModes = false;

void noteSignal(int signal) {
  switch (signal) {
    case SIGINT:
      interruptArrived = 1;
      break;
    case SIGWINCH:
      resizeArrived = 1;
      break;
    case SIGTSTP:
      stopArrived = 1;
      break;
    case SIGCONT:
      continueArrived = 1;
      break;
    default:
      break;
  }
}

/// Puts the terminal back in the modes the run found it in, when this
/// program is in the foreground (in the background, changing the modes
/// would stop it instead). Uses only async-signal-safe calls.
void restoreFoundModes() {
  if (!haveFoundModes || tcgetpgrp(terminalFd) != getpgrp()) {
    return;
  }
  tcsetattr(terminalFd, TCSANOW, &foundModes);
}

/// SIGTERM, SIGHUP, SIGQUIT: the terminal is handed back, and the signal,
/// whose default action the handler's entry restored, ends the program as
/// soon as the handler returns.
void endRun(int signal) {
  const int savedErrno = errno;
  restoreFoundModes();
  raise(signal);
  errno = savedErrno;
}

bool take(volatile sig_atomic_t& flag) {
  const bool taken = flag != 0;
  flag = 0;
  return taken;
}

}  // namespace

TerminalSignals::TerminalSignals(int fd) : fd_(fd) {
  terminalFd = fd;
  haveFoundModes = tcgetattr(fd, &foundModes) == 0;
  for (volatile sig_atomic_t* flag :
       {&interruptArrived, &resizeArrived, &stopArrived, &continueArrived}) {
    *flag = 0;
  }
  // No SA_RESTART: a read waiting for the user must return so that the
  // reader can act on what came.
  install(SIGINT, &noteSignal, 0);
  install(SIGTERM, &endRun, SA_RESETHAND);
  install(SIGHUP, &endRun, SA_RESETHAND);
  install(SIGQUIT, &endRun, SA_RESETHAND);
}

void TerminalSignals::catchEditorSignals() {
  install(SIGWINCH, &noteSignal, 0);
  install(SIGTSTP, &noteSignal, 0);
  install(SIGCONT, &noteSignal, 0);
}

TerminalSignals::~TerminalSignals() {
  for (int signal = 1; signal < NSIG; ++signal) {
    if (installed_[signal]) {
      sigaction(signal, &previous_[signal], nullptr);
    }
  }
}

void TerminalSignals::stop() {
  struct termios editing {};
  const bool haveEditing = tcgetattr(fd_, &editing) == 0;
  if (haveFoundModes) {
    tcsetattr(fd_, TCSADRAIN, &foundModes);
  }
  struct sigaction stopping {};
  stopping.sa_handler = SIG_DFL;
  sigemptyset(&stopping.sa_mask);
  struct sigaction noting {};
  sigaction(SIGTSTP, &stopping, &noting);
  // The stop itself may be blocked while the reader looks at what came.
  // Without job control its default action is to do nothing.
  sigset_t stopOnly;
  sigset_t previous;
  sigemptyset(&stopOnly);
  sigaddset(&stopOnly, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stopOnly, &previous);
  raise(SIGTSTP);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  sigaction(SIGTSTP, &noting, nullptr);
  if (haveEditing) {
    tcsetattr(fd_, TCSADRAIN, &editing);
  }
}

void TerminalSignals::install(int signal, void (*handler)(int), int flags) {
  struct sigaction current {};
  // A signal the program was started with ignored (SIGINT in the background
  // of a shell without job control, SIGHUP under nohup) stays ignored.
  if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  if (sigaction(signal, &action, &previous_[signal]) == 0) {
    installed_[signal] = true;
  }
}

bool takeInterrupt() { return take(interruptArrived); }

bool takeResize() { return take(resizeArrived); }

bool takeStop() { return take(stopArrived); }

bool takeContinue() { return take(continueArrived); }
