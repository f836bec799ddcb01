#pragma once
// Every handler the program binds (actions, control events, timers, drops,
// queued calls) runs inside this guard: the silent abort is swallowed, any
// other exception is shown the way the default handler of the class library
// shows it, and nothing ever crosses the Qt event loop.
#include <functional>

namespace pem {

// Runs fn; returns false when it ended by an exception (silent or not).
bool RunGuarded(const std::function<void()>& fn);

// Called with the message of every non-silent exception the guard caught
// (after the dialog); tests read it. Empty by default.
extern std::function<void(const char* message)> OnGuardedException;

} // namespace pem
