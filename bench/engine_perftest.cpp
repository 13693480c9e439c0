// Microbenchmarks of the engine's hot paths: whole lines, the tokenizer and
// the number conversions. Run: build/zorvex_perftest [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "bench/line_kinds.h"
#include "engine/calculator.h"
#include "text/number_text.h"
#include "text/wide_string.h"

namespace {

// Lines of the kinds a script feeds the calculator.
const char* const TYPICAL_LINES[] = {
    "1+2",
    "qa=(50*58/13.6^2+27.7*63.71)-71.2*15.96",
    "qb=46.9*45.7/78.43 - 23.2",
    "(94/2.29^2-54.9)/67.1+94.5*(38.3)",
    "2pi*sqrt(16)+sin(30)",
    "|-8*56|/(56^6-789)",
    "var={[67+(5+1)]-89}*pi",
};

void evaluateLine(benchmark::State& state) {
  std::ostringstream out;
  std::ostringstream err;
  Calculator calculator(out, err);
  const std::string text = TYPICAL_LINES[state.range(0)];
  WideString line;
  for (auto _ : state) {
    line.assignBytes(text.data(), text.size());
    benchmark::DoNotOptimize(calculator.evaluateLine(line));
  }
  state.SetLabel(text);
}
BENCHMARK(evaluateLine)->DenseRange(0, std::size(TYPICAL_LINES) - 1);

// One fresh line after another of one kind, each copied into the line as
// the console reads it; the figure is the time per line.
void freshLineOfKind(benchmark::State& state) {
  std::ostringstream out;
  std::ostringstream err;
  Calculator calculator(out, err);
  WideString line;
  for (const char* setup : SETUP_LINES) {
    line = WideString(setup);
    calculator.evaluateLine(line);
  }
  const LineKind& kind = LINE_KINDS[state.range(0)];
  std::vector<std::string> texts(kind.lines.begin(), kind.lines.end());
  std::size_t next = 0;
  for (auto _ : state) {
    const std::string& text = texts[next];
    next = next + 1 == texts.size() ? 0 : next + 1;
    line.assignBytes(text.data(), text.size());
    benchmark::DoNotOptimize(calculator.evaluateLine(line));
  }
  if (calculator.errorLineCount() != 0) {
    state.SkipWithError("a line of the kind wrote an error line");
  }
  state.SetLabel(kind.name);
}
BENCHMARK(freshLineOfKind)->DenseRange(0, std::size(LINE_KINDS) - 1);

void tokenize(benchmark::State& state) {
  std::ostringstream out;
  Calculator calculator(out, out);
  const std::string text =
      "qd=99.91*(55.76+51.5^2/72.18)-62.99*(27.35)/43.2+6*(48.2+72.69/6:11.53^2)";
  WideString line;
  for (auto _ : state) {
    line.assignBytes(text.data(), text.size());
    benchmark::DoNotOptimize(calculator.tokenize(line));
  }
}
BENCHMARK(tokenize);

void tokenizeBlankLine(benchmark::State& state) {
  std::ostringstream out;
  Calculator calculator(out, out);
  const std::string text = std::string(static_cast<std::size_t>(state.range(0)), ' ') + "1+1";
  WideString line;
  for (auto _ : state) {
    line.assignBytes(text.data(), text.size());
    benchmark::DoNotOptimize(calculator.tokenize(line));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(tokenizeBlankLine)->Arg(1 << 10)->Arg(1 << 20);

const double VALUES[] = {445.0, 1.0 / 3.0, -50.26544, 30840978667.0, 0.0078125, 1e-7, 6.28318};

void formatFixedNumber(benchmark::State& state) {
  char buffer[NUMBER_TEXT_CAPACITY];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatFixed(VALUES[i++ % std::size(VALUES)], buffer));
  }
}
BENCHMARK(formatFixedNumber);

void readBackWithoutText(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(readBackOfFixed(VALUES[i++ % std::size(VALUES)]));
  }
}
BENCHMARK(readBackWithoutText);

void formatGeneralText(benchmark::State& state) {
  char buffer[NUMBER_TEXT_CAPACITY];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatGeneral(VALUES[i++ % std::size(VALUES)], buffer));
  }
}
BENCHMARK(formatGeneralText);

void parseNumberText(benchmark::State& state) {
  const std::vector<WideString> texts = {WideString("445.000000"), WideString("0.333333"),
                                         WideString("-50.265440"), WideString("13.6"),
                                         WideString("1.5.2")};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(texts[i++ % texts.size()].toNumber());
  }
}
BENCHMARK(parseNumberText);

}  // namespace

BENCHMARK_MAIN();
