// One-shot benchmark: each line of a workload is handed over as a fresh
// string and evaluated at once, the way an embedding program calls a
// calculator library: through Zorvex's C API (zorvex_evaluate) and through
// muparser (SetExpr, then Eval), in one process. Prints, for each kind of
// line, the best of several runs in nanoseconds of processor time per line
// for Zorvex on the kind's lines that write no error line, and for both on
// those of them muparser reads too, with their ratio.
//
//     zorvex_oneshot WORKLOAD [RUNS [KIND]]
//
// WORKLOAD has one line of the calculator a line (compare.py's zorvex.txt;
// a final "exit" is left out). A kind of line is a generator over the
// workload's lines: it may keep some (a filter) or make new ones. With
// KIND, only that kind is run, and Zorvex alone: the form for counting its
// instructions under callgrind (bench/oneshot_instructions.sh), where
// muparser would take most of the time.

#include <muParser.h>
#include <time.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine/zorvex.h"

namespace {

using Lines = std::vector<std::string>;

/// A kind of line: its name and how its lines are made from the workload's.
struct Kind {
  std::string name;
  std::function<Lines(const Lines&)> lines;
};

/// Lines per kind at most, so that every kind takes about as long.
constexpr std::size_t LINES_PER_KIND = 100000;

bool hasLetters(const std::string& line) {
  return std::any_of(line.begin(), line.end(), [](char c) { return std::isalpha(c & 0xFF); });
}

bool hasGroups(const std::string& line) {
  return line.find_first_of("()[]{}|") != std::string::npos;
}

/// The workload's lines that `keep` accepts, or what `make` makes of them.
Lines linesOf(const Lines& workload, const std::function<bool(const std::string&)>& keep,
              const std::function<std::string(const std::string&)>& make = nullptr) {
  Lines lines;
  for (const std::string& line : workload) {
    if (lines.size() == LINES_PER_KIND) break;
    if (keep(line)) lines.push_back(make ? make(line) : line);
  }
  return lines;
}

/// Arithmetic on numbers alone: no names, brackets or bars.
bool operatorsOnly(const std::string& line) { return !hasLetters(line) && !hasGroups(line); }

/// Every kind measured, in the order they are reported.
std::vector<Kind> kinds() {
  return {
      {"operators", [](const Lines& w) { return linesOf(w, operatorsOnly); }},
      {"functions",
       [](const Lines& w) {
         return linesOf(w, operatorsOnly, [](const std::string& l) {
           return "sin(" + l + ")*cos(60)+sqrt(2.25)-atan(" + l + ")";
         });
       }},
      {"variables",
       [](const Lines& w) {
         return linesOf(w, [](const std::string& l) { return hasLetters(l) && !hasGroups(l); });
       }},
      {"brackets-bars",
       [](const Lines& w) {
         // The workload's bracketed lines, and as many with bars around
         // arithmetic (which muparser does not read).
         Lines lines = linesOf(w, [](const std::string& l) {
           return !hasLetters(l) && l.find_first_of("([{") != std::string::npos;
         });
         lines.resize(std::min(lines.size(), LINES_PER_KIND / 2));
         const Lines bars = linesOf(w, operatorsOnly, [](const std::string& l) {
           return "|" + l + "|*(2+|" + l + "-7|)";
         });
         lines.insert(lines.end(), bars.begin(),
                      bars.begin() + std::min(bars.size(), LINES_PER_KIND / 2));
         return lines;
       }},
      {"large",
       [](const Lines& w) {
         // Intermediate values beyond 4e9, whose six-decimal text is long.
         return linesOf(w, operatorsOnly,
                        [](const std::string& l) { return "(" + l + ")*12345678.9+98765432109"; });
       }},
      {"mix",
       [](const Lines& w) {
         return Lines(w.begin(), w.begin() + std::min(w.size(), LINES_PER_KIND));
       }},
  };
}

/// The variables the workload assigns and uses, as muparser needs them
/// declared, and the values both sides start with, so that a kind that
/// leaves out the workload's assignments still finds them set.
const char* const VARIABLES[] = {"qa", "qb", "qc", "qd", "qf"};
constexpr double STARTING_VALUES[] = {12.5, -3.25, 7.75, 41.0, 2.5};

/// Zorvex through its C API: one calculator, a fresh string per line.
class ZorvexRunner {
 public:
  ZorvexRunner() {
    if (zorvex_create(&calculator_) != ZORVEX_OK) {
      std::fprintf(stderr, "oneshot: no calculator\n");
      std::exit(1);
    }
    for (std::size_t i = 0; i < std::size(VARIABLES); ++i) {
      zorvex_set_variable(calculator_, VARIABLES[i], std::strlen(VARIABLES[i]), STARTING_VALUES[i]);
    }
  }
  ~ZorvexRunner() { zorvex_destroy(calculator_); }
  /// Evaluates `line`; returns false when it wrote an error line.
  bool evaluate(const std::string& line, double& value) {
    return zorvex_evaluate(calculator_, line.data(), line.size(), &value) == ZORVEX_OK &&
           zorvex_error_count(calculator_) == 0;
  }

 private:
  zorvex* calculator_ = nullptr;
};

/// muparser: one parser with the workload's variables, SetExpr and Eval per line.
class MuparserRunner {
 public:
  MuparserRunner() {
    for (std::size_t i = 0; i < std::size(VARIABLES); ++i) {
      values_[i] = STARTING_VALUES[i];
      parser_.DefineVar(VARIABLES[i], &values_[i]);
    }
  }
  /// Evaluates `line`; returns false when muparser rejects it.
  bool evaluate(const std::string& line, double& value) {
    try {
      parser_.SetExpr(line);
      value = parser_.Eval();
      return true;
    } catch (const mu::Parser::exception_type&) {
      return false;
    }
  }

 private:
  mu::Parser parser_;
  double values_[std::size(VARIABLES)] = {};
};

/// The processor time this thread has used, in nanoseconds: on a machine
/// shared with other work it counts only our own time, as wall time would not.
double cpuNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

/// The best of `runs` runs over `lines`, each with a runner made afresh,
/// in nanoseconds per line. Kept out of line so that callgrind can count
/// the instructions of the timed runs alone (--toggle-collect).
template <typename Runner>
[[gnu::noinline]] double nanosecondsPerLine(const Lines& lines, int runs, double& sink) {
  double best = std::numeric_limits<double>::infinity();
  for (int run = 0; run < runs; ++run) {
    Runner runner;
    double sum = 0.0;
    const double start = cpuNanoseconds();
    for (const std::string& line : lines) {
      double value = 0.0;
      runner.evaluate(line, value);
      sum += value;
    }
    const double stop = cpuNanoseconds();
    sink += sum;
    best = std::min(best, (stop - start) / static_cast<double>(lines.size()));
  }
  return best;
}

/// The lines of `lines` that `Runner` evaluates without complaint (for
/// Zorvex: without an error line, in a session over all of them, as the
/// timed runs see them).
template <typename Runner>
Lines acceptedBy(const Lines& lines) {
  Runner runner;
  Lines accepted;
  for (const std::string& line : lines) {
    double value = 0.0;
    if (runner.evaluate(line, value)) {
      accepted.push_back(line);
    }
  }
  return accepted;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zorvex_oneshot WORKLOAD [RUNS [KIND]]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const char* onlyKind = argc > 3 ? argv[3] : nullptr;
  std::ifstream in(argv[1], std::ios::binary);
  Lines workload;
  for (std::string line; std::getline(in, line);) {
    workload.push_back(line);
  }
  if (!in.eof() || workload.empty()) {
    std::fprintf(stderr, "oneshot: cannot read %s\n", argv[1]);
    return 1;
  }
  if (workload.back() == "exit") {
    workload.pop_back();
  }
  double sink = 0.0;
  bool kindFound = onlyKind == nullptr;
  for (const Kind& kind : kinds()) {
    if (onlyKind != nullptr && kind.name != onlyKind) {
      continue;
    }
    kindFound = true;
    const Lines all = kind.lines(workload);
    const Lines lines = acceptedBy<ZorvexRunner>(all);
    if (lines.empty()) {
      std::printf("oneshot %s: no line without an error line\n", kind.name.c_str());
      continue;
    }
    const double zorvexNs = nanosecondsPerLine<ZorvexRunner>(lines, runs, sink);
    std::printf("oneshot %s: zorvex %.1f ns/line on %zu lines", kind.name.c_str(), zorvexNs,
                lines.size());
    if (onlyKind != nullptr) {
      std::printf("\n");
      continue;
    }
    // The yardstick on the lines it reads too, with Zorvex on the same ones.
    const Lines both = acceptedBy<MuparserRunner>(lines);
    if (both.empty()) {
      std::printf("; muparser reads none of them\n");
      continue;
    }
    const double bothNs = nanosecondsPerLine<ZorvexRunner>(both, runs, sink);
    const double muparserNs = nanosecondsPerLine<MuparserRunner>(both, runs, sink);
    std::printf("; on the %zu muparser reads: zorvex %.1f ns/line, muparser %.1f ns/line, %.2fx\n",
                both.size(), bothNs, muparserNs, muparserNs / bothNs);
  }
  if (!kindFound) {
    std::fprintf(stderr, "oneshot: no kind of line called %s\n", onlyKind);
    return 2;
  }
  // The sums keep the evaluations from being optimised away.
  return sink == 12345.678 ? 3 : 0;
}
