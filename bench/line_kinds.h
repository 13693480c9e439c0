#ifndef ZORVEX_BENCH_LINE_KINDS_H_
#define ZORVEX_BENCH_LINE_KINDS_H_

// The kinds of line the one-shot figures are split by. Each kind is a few
// lines that differ, so that no figure rests on a single line's luck; none
// of them writes an error line. The variables the lines use are assigned
// first by SETUP_LINES.

#include <span>

/// One kind of line and its lines.
struct LineKind {
  const char* name;
  std::span<const char* const> lines;
};

/// Assignments that give the lines' variables their values.
inline constexpr const char* SETUP_LINES[] = {"qa=(50*58/13.6^2+27.7*63.71)-71.2*15.96",
                                              "qb=46.9*45.7/78.43 - 23.2",
                                              "qc=(94/2.29^2-54.9)/67.1+94.5*(38.3)",
                                              "qd=99.91*(55.76+51.5^2/72.18)-62.99*(27.35)/43.2",
                                              "qf=35.2+29.51*75+76.2",
                                              "r=2"};

inline constexpr const char* OPERATOR_LINES[] = {
    "1+2",
    "46.9*45.7/78.43 - 23.2",
    "7.6/68.55 - 96.11",
    "64.6^2",
    "36.4*30.55",
    "65.63^3/74.55^2",
    "49-38*1.69",
    "40.71+66.7*16.9+94.85",
    "0.9*84.23+20.23",
    "11.8/57+22.73",
    "8/4:2-3^2*1.5+7.25-0.125",
    "15.41*23.9-66.9*36.87/9.5^2",
};

inline constexpr const char* FUNCTION_LINES[] = {
    "sqrt(16)+sin(30)",  "cos(60)*tan(45)",      "asin(0.5)+acos(0.5)",
    "atan(1)*2",         "sqrt(2)^2-1",          "sin(45)^2+cos(45)^2",
    "cot(30)/3",         "arctan(0.75)-10",      "2*cos(-60)+sqrt(81)",
    "tan(10)+arcsin(1)", "sqrt(sqrt(16)+9)*2.5", "sin(12.5)*cos(77.5)",
};

inline constexpr const char* VARIABLE_LINES[] = {
    "qc*qa",       "qd-66",         "qc*70 + qc", "2pi*qa",        "qb/qd-qa", "pi*r^2",
    "qa*qf/qb+qc", "75-qa*79.7-qc", "x=qa+1",     "52.52/qd-67.9", "qf2+qb",   "y=x*qc-r",
};

inline constexpr const char* GROUPING_LINES[] = {
    "(5*89)+2^2",
    "{[67+(5+1)]-89}*3",
    "|3-7|*(2+|1-9|)",
    "((1+2)*(3+4))/(5+6)",
    "|(-2.5)*4|+[(7-1)/3]",
    "(32*22.2/35.9+40.7)",
    "((66-76*35/58.6)/1.63^2+8.5*2)",
    "|-8*56|/(56+789)",
    "[(1.5+2.5)*(3.5-0.5)]^2",
    "(78.3-76.76/78-14.1*3/(81.2+0.21*75))^2",
    "|-|2-5|*4|+(((7)))",
    "{(9-4)*[2+(3*|1-6|)]}/7",
};

inline constexpr const char* LARGE_LINES[] = {
    "56^6-789",           "123456.7*98765.4",   "2^40+1",
    "99999^3/7",          "4294967296*3.5",     "10^12/7",
    "77777777*88888888",  "|-8*56|/(56^6-789)", "(2^35+0.5)*3",
    "987654321*123+4.25", "6^15-6^14",          "(31^7/13)+2^33",
};

/// The first lines of the shared 1M-line workload (generator seed 1).
inline constexpr const char* MIX_LINES[] = {
    "qa=(50*58/13.6^2+27.7*63.71)-71.2*15.96-37*64.51/(99.87*13.21/3.8^3-30*70.4/45.59)",
    "qb=46.9*45.7/78.43 - 23.2",
    "qc=(94/2.29^2-54.9)/67.1+94.5*(38.3)",
    "qc-87.58+27/14",
    "64.6*(93.8^2*35.9/66.53)",
    "(69.08+qc)^2+24.1-80.5",
    "7.6/68.55 - 96.11",
    "64.6^2",
    "36.4*30.55",
    "65.63^3/74.55^2",
    "40.71+66.7*16.9+94.85",
    "23+53",
    "qb*qa^2/51.84+(83.2*94.16)",
    "14.78/qd-68.5",
    "qc*70 + qc",
    "34.36/(77.3/19.1 + 27.41*18) - qf/54.42^2 - qb*34.77",
    "10^2",
    "qd-66",
    "60.73/28.5:qf^2+qf/51.2+92.65*qc",
    "49-38*1.69",
    "52.52/qd-67.9",
    "qc*qa+(43.57*qf/qa)/43.2",
    "qc+24.56*34.3/[48.9]",
    "0.9*84.23+20.23",
    "60^3*qa/66.4-21.77",
    "92.1*72.49+qb*52.5/[23.72^2*93.9-qa]",
    "(78.3-76.76/78-14.1*qc/(81.2+0.21*75+33.6^2/34))^3+((66-76*35/58.6)/1.63^2+qa*qf)",
    "75-qa*79.7-qc",
    "qc*qa",
    "(32*22.2/35.9+40.7)",
    "11.8/57+22.73",
    "35.4/qf-(89.88/qc:qd+qd+8.51)",
};

/// Every kind, in the order the figures are reported.
inline constexpr LineKind LINE_KINDS[] = {
    {"operators", OPERATOR_LINES},     {"functions", FUNCTION_LINES}, {"variables", VARIABLE_LINES},
    {"brackets-bars", GROUPING_LINES}, {"large", LARGE_LINES},        {"mix", MIX_LINES},
};

#endif  // ZORVEX_BENCH_LINE_KINDS_H_
