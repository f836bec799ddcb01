#pragma once
// One form for every figure the benchmarks print beside their detail lines:
//   "<what>: <figure> (goal <op> <goal>): met|missed  [load 1.23 1.10 0.95]"
//   "<what>: <figure> (information, not judged)  [load 1.23 1.10 0.95]"
// The load average is printed beside each verdict, since a figure taken on a
// busy machine reads differently from one taken on a quiet one. A figure
// without a goal is shown as information, never as met.
#include <cmath>
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

// Three significant digits, but whole numbers from 1000 up (no exponent).
inline std::string FigureText(double v) {
    char buf[48];
    std::snprintf(buf, sizeof buf, std::fabs(v) >= 1000 ? "%.0f" : "%.3g", v);
    return buf;
}

// Prints the verdict line for a figure that must stay at or below goal
// (atMost) or reach at least goal; returns whether it was met.
inline bool JudgeFigure(const char* what, double figure, const char* unit, double goal, bool atMost = true) {
    const bool met = atMost ? figure <= goal : figure >= goal;
    std::printf("%s: %s%s (goal %s %s%s): %s  [%s]\n", what, FigureText(figure).c_str(), unit,
                atMost ? "<=" : ">=", FigureText(goal).c_str(), unit, MetText(met), LoadAverageText().c_str());
    return met;
}

// Prints a verdict on a condition that is no single figure (same results,
// linear growth ...); returns met.
inline bool JudgeCondition(const char* what, bool met) {
    std::printf("%s: %s  [%s]\n", what, MetText(met), LoadAverageText().c_str());
    return met;
}

// Prints a figure that has no goal, marked as such.
inline void ShowFigure(const char* what, double figure, const char* unit) {
    std::printf("%s: %s%s (information, not judged)  [%s]\n", what, FigureText(figure).c_str(), unit,
                LoadAverageText().c_str());
}

} // namespace
