#ifndef ZORVEX_CONSOLE_SCREENS_H_
#define ZORVEX_CONSOLE_SCREENS_H_

#include <iosfwd>

/// Writes the start-up banner to `out`, each line flushed.
void printBanner(std::ostream& out);
/// Writes the help screen (HELP) to `out`, each line flushed.
void printHelpScreen(std::ostream& out);
/// Writes the functions screen (SHOWFUNCS) to `out`, each line flushed.
void printFunctionsScreen(std::ostream& out);

#endif  // ZORVEX_CONSOLE_SCREENS_H_
