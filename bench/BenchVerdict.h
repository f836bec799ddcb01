#pragma once
// One form for every judged figure of the benchmarks:
//   "<what>: <figure> (goal <op> <goal>): met|missed  [load 1.23 1.10 0.95]"
// The load average is printed beside each verdict, since a figure taken on a
// busy machine reads differently from one taken on a quiet one.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// "load 1m 5m 15m" as getloadavg gives it; "load ?" where it cannot.
inline std::string LoadAverageText() {
    double l[3] = {0, 0, 0};
    if (::getloadavg(l, 3) != 3) return "load ?";
    char buf[64];
    std::snprintf(buf, sizeof buf, "load %.2f %.2f %.2f", l[0], l[1], l[2]);
    return buf;
}

inline const char* MetText(bool met) { return met ? "met" : "missed"; }

// Prints the verdict line for a figure that must stay at or below goal
// (atMost) or reach at least goal; returns whether it was met.
inline bool JudgeFigure(const char* what, double figure, const char* unit, double goal, bool atMost = true) {
    const bool met = atMost ? figure <= goal : figure >= goal;
    std::printf("%s: %.3g%s (goal %s %.3g%s): %s  [%s]\n", what, figure, unit, atMost ? "<=" : ">=", goal, unit,
                MetText(met), LoadAverageText().c_str());
    return met;
}

// Prints a verdict on a condition that is no single figure (same results,
// linear growth ...); returns met.
inline bool JudgeCondition(const char* what, bool met) {
    std::printf("%s: %s  [%s]\n", what, MetText(met), LoadAverageText().c_str());
    return met;
}

} // namespace
