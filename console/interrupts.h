#ifndef ZORVEX_CONSOLE_INTERRUPTS_H_
#define ZORVEX_CONSOLE_INTERRUPTS_H_

// Ctrl-C at a terminal: instead of ending the program, SIGINT is noted and
// interrupts the read in progress, so that the line being typed can be
// given up and a fresh prompt shown. Outside a terminal SIGINT keeps its
// default action and none of this is installed.

/// Catches SIGINT from now on, unless it is ignored: it only notes the
/// interrupt and makes a blocked read return (it is not restarted).
void catchInterrupts();

/// Returns true when SIGINT came since the last call, and forgets it.
bool takeInterrupt();

#endif  // ZORVEX_CONSOLE_INTERRUPTS_H_
