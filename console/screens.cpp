#include "console/screens.h"

#include <ostream>
#include <string>

#include "console/version.h"

namespace {

// Several lines end in blanks; they are part of the screens.

const char* const HELP_LINES[] = {
    "",
    "** Zorvex Help Screen",
    "  ex.",
    "    (5*89)+2^2",
    "    |-8*56|/(56^6-789) ",
    "    var={[67+(5+1)]-89}*pi",
    "    var^(-67) ",
    "   a:b or a/b    divides a through b",
    "   a*b           multiplies a by b",
    "   a+b, a-b      addition and subtraction",
    "   {[(...)]}     parantheses",
    "   |expr|        absolute value of 'expr'",
    "",
    "  Order of operators:",
    "    | , () , ^ , * , / , + , - , = ",
    "  Variables:",
    "    Create a new variable with 'var=expr'",
    "     -> sets var to expr.",
    "    This variable can later be used like above.",
    "  Predefined and user-defined variables: ",
    "    type 'showvars'     ",
    "  Functions:",
    "    type 'showfuncs'",
    "",
};

// function-table: the functions of engine/function_table.cpp as the screen
// presents them; a new function is shown here only by choice, and the
// screen's test lists the ones it shows.
const char* const FUNCTIONS_LINES[] = {
    "",
    "** Zorvex Functions",
    "   sin(x), cos(x), tan(x), cot(x)  Standard trigonometric functions",
    "   asin(x), acos(x), atan(x)       Arcsin etc. from x",
    "",
    " The variable 'rad' specifies whether the angles are given in",
    " radians or degrees. By default, rad=0 so angles are in degrees.",
    "",
    " Example:",
    "   sin(90)*cos(90)",
    "   acos(0)",
    "   rad=1",
    "   sin(pi)",
    "",
};

void printLine(std::ostream& out, const std::string& line) {
  out << line << '\n';
  out.flush();
}

template <std::size_t N>
void printLines(std::ostream& out, const char* const (&lines)[N]) {
  for (const char* line : lines) {
    printLine(out, line);
  }
}

}  // namespace

void printBanner(std::ostream& out) {
  const std::string rule(48, '-');
  printLine(out, rule);
  printLine(out, std::string("            Zorvex v") + VERSION_TEXT);
  printLine(out, "");
  printLine(out, " A calculator that reduces its token table in place.");
  printLine(out, " Every intermediate result carries six decimals.");
  printLine(out, "");
  printLine(out, " Type 'help' for a detailed help screen");
  printLine(out, "   It is recommened to take a look at ");
  printLine(out, "   this screen to see the basic funct.");
  printLine(out, " Type 'exit' to close Zorvex");
  printLine(out, rule);
  printLine(out, "");
}

void printHelpScreen(std::ostream& out) { printLines(out, HELP_LINES); }

void printFunctionsScreen(std::ostream& out) { printLines(out, FUNCTIONS_LINES); }
