// One-shot benchmark: each line of a workload is handed over as a fresh
// string and evaluated at once, the way an embedding program calls a
// calculator library: through Zorvex's C API (zorvex_evaluate) and through
// muparser (SetExpr, then Eval), on the lines both accept, in one process.
// Prints, for each kind of line, how many lines were timed and the best of
// several runs in nanoseconds of processor time per line for each, with
// their ratio.
//
//     zorvex_oneshot WORKLOAD [RUNS]
//
// WORKLOAD has one line of the calculator a line (compare.py's zorvex.txt;
// a final "exit" is left out). A kind of line is a generator over the
// workload's lines: it may keep some (a filter) or make new ones.

#include <muParser.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
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

/// Every kind measured, in the order they are reported.
std::vector<Kind> kinds() {
  return {
      {"mix", [](const Lines& workload) { return workload; }},
  };
}

/// The variables the workload assigns and uses, as muparser needs them declared.
const char* const VARIABLES[] = {"qa", "qb", "qc", "qd", "qf"};

/// Zorvex through its C API: one calculator, a fresh string per line.
class ZorvexRunner {
 public:
  ZorvexRunner() {
    if (zorvex_create(&calculator_) != ZORVEX_OK) {
      std::fprintf(stderr, "oneshot: no calculator\n");
      std::exit(1);
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
/// in nanoseconds per line.
template <typename Runner>
double nanosecondsPerLine(const Lines& lines, int runs, double& sink) {
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

/// The lines both evaluate without complaint, each side in a session of
/// its own over all of `lines`, as the timed runs see them.
Lines acceptedByBoth(const Lines& lines) {
  ZorvexRunner zorvex;
  MuparserRunner muparser;
  Lines accepted;
  for (const std::string& line : lines) {
    double value = 0.0;
    const bool zorvexAccepts = zorvex.evaluate(line, value);
    if (muparser.evaluate(line, value) && zorvexAccepts) {
      accepted.push_back(line);
    }
  }
  return accepted;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zorvex_oneshot WORKLOAD [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
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
  for (const Kind& kind : kinds()) {
    const Lines all = kind.lines(workload);
    const Lines lines = acceptedByBoth(all);
    if (lines.empty()) {
      std::printf("oneshot %s: no line both accept\n", kind.name.c_str());
      continue;
    }
    const double zorvexNs = nanosecondsPerLine<ZorvexRunner>(lines, runs, sink);
    const double muparserNs = nanosecondsPerLine<MuparserRunner>(lines, runs, sink);
    std::printf("oneshot %s: %zu of %zu lines; zorvex %.1f ns/line, muparser %.1f ns/line, %.2fx\n",
                kind.name.c_str(), lines.size(), all.size(), zorvexNs, muparserNs,
                muparserNs / zorvexNs);
  }
  // The sums keep the evaluations from being optimised away.
  return sink == 12345.678 ? 3 : 0;
}
