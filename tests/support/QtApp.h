#pragma once
// One offscreen application per test program, made on first need.
#include <QApplication>
#include <cstdlib>

namespace pemtest {

inline QApplication* EnsureQApp() {
    if (auto* a = qobject_cast<QApplication*>(QCoreApplication::instance())) return a;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char arg0[] = "pemtest";
    static char* argv[] = {arg0, nullptr};
    return new QApplication(argc, argv);
}

} // namespace pemtest
