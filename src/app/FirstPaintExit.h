#pragma once
// A hook for the start-up benchmark, and nothing else: with the environment
// variable PEMARIS_BENCH_EXIT_AT_FIRST_PAINT set, the process prints
// "first paint" and ends at once (no clean-up, no settings written) right
// after its main window has been painted for the first time, so that the
// time from the process's start to its first picture can be taken from
// outside. The benchmark's bare reference window ends the same way. The
// program does not arm it for a start with "-AutoRun" (main.cpp).
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace pem::bench_hook {

inline constexpr const char* kExitAtFirstPaint = "PEMARIS_BENCH_EXIT_AT_FIRST_PAINT";

class FirstPaintExit : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!done_ && e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow() &&
            qobject_cast<QMainWindow*>(o) != nullptr) {
            done_ = true;
            // The window and its children are painted and flushed in one
            // pass: end once that pass is over.
            QTimer::singleShot(0, [] {
                std::fputs("first paint\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool done_ = false;
};

inline void InstallFirstPaintExit() { QCoreApplication::instance()->installEventFilter(new FirstPaintExit); }

// Arms the hook for the application object about to be made, when the
// variable is set.
inline void ArmFirstPaintExitFromEnvironment() {
    if (const char* v = std::getenv(kExitAtFirstPaint); v != nullptr && *v != '\0') qAddPreRoutine(InstallFirstPaintExit);
}

} // namespace pem::bench_hook
