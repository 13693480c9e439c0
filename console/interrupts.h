#ifndef ZORVEX_CONSOLE_INTERRUPTS_H_
#define ZORVEX_CONSOLE_INTERRUPTS_H_

#include <signal.h>

// The signals of a run at a terminal. Each handler only notes what came and
// lets a blocked read return; the reader acts on it at a safe moment. A
// signal that ends the program (SIGTERM, SIGHUP, SIGQUIT) puts the terminal
// back as the run found it and then ends this program alone, by that same
// signal, so that its parent sees the usual status 128+n. No signal is ever
// passed on to anyone else.

/// The handlers of one run at a terminal, installed for as long as the
/// object lives and then replaced by the ones it found.
class TerminalSignals {
 public:
  /// Takes over the signals of a run reading the terminal `fd`, noting the
  /// terminal's modes as they are now.
  explicit TerminalSignals(int fd);
  ~TerminalSignals();
  TerminalSignals(const TerminalSignals&) = delete;
  TerminalSignals& operator=(const TerminalSignals&) = delete;

  /// Notes stops, continues and window size changes too, for a line editor
  /// that owns the terminal's modes and acts on them.
  void catchEditorSignals();
  /// Stops the program as Ctrl-Z asks, with the terminal in the modes the
  /// run found it in; returns once the program is continued (at once where
  /// there is no job control), with the terminal's modes as they were.
  void stop();

 private:
  void install(int signal, void (*handler)(int), int flags);

  int fd_;
  struct sigaction previous_[NSIG] = {};
  bool installed_[NSIG] = {};
};

/// Returns true when Ctrl-C (SIGINT) came since the last call, and forgets it.
bool takeInterrupt();
/// Returns true when the window changed size since the last call, and forgets it.
bool takeResize();
/// Returns true when Ctrl-Z asked for a stop since the last call, and forgets it.
bool takeStop();
/// Returns true when the program was continued since the last call, and forgets it.
bool takeContinue();

#endif  // ZORVEX_CONSOLE_INTERRUPTS_H_
