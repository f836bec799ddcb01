#pragma once
// The clock and the timers of the drag-and-drop code. One clock in
// milliseconds serves every time check (drag-start detection, mouse speed);
// timers run on a replaceable backend: Qt timers in the program, manual
// timers that a fake clock fires in tests.
#include "OleTypes.h"

#include <functional>
#include <memory>

namespace pem {

// Milliseconds of the one clock (both names read the same clock).
DWORD GetTickCount();
DWORD timeGetTime();
// Replaces the clock; none restores the steady clock.
void SetClockSource(std::function<DWORD()> source);

class ITimerBackend {
public:
    virtual ~ITimerBackend() = default;
    // (Re)starts a periodic timer of interval ms.
    virtual void Start(unsigned intervalMs) = 0;
    virtual void Stop() = 0;
};
using TTimerBackendFactory = std::function<std::unique_ptr<ITimerBackend>(std::function<void()> tick)>;
// Replaces how timers run; none gives manual timers (see TFakeClock).
void SetTimerBackendFactory(TTimerBackendFactory factory);

// A periodic timer: while Enabled, OnTimer runs every Interval ms.
class TOleTimer {
public:
    TOleTimer();
    ~TOleTimer();
    TOleTimer(const TOleTimer&) = delete;
    TOleTimer& operator=(const TOleTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    unsigned Interval() const { return interval_; }
    // Restarts a running timer with the new interval.
    void SetInterval(unsigned ms);
    std::function<void()> OnTimer;

private:
    void Restart();
    bool enabled_ = false;
    unsigned interval_ = 1000;
    std::unique_ptr<ITimerBackend> backend_;
    unsigned backendGeneration_ = 0;
};

// A clock that stands still until advanced, with manual timers: while it
// lives, GetTickCount reads it and new timer starts are manual; Advance moves
// time on and runs every timer that falls due, in time order.
class TFakeClock {
public:
    explicit TFakeClock(DWORD start = 100000);
    ~TFakeClock();
    TFakeClock(const TFakeClock&) = delete;
    TFakeClock& operator=(const TFakeClock&) = delete;

    DWORD Now() const { return now_; }
    void Advance(DWORD ms);
    // Timers currently running.
    int RunningTimers() const;

private:
    DWORD now_;
    std::function<DWORD()> prevClock_;
    TTimerBackendFactory prevFactory_;
};

} // namespace pem
