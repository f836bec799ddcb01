#pragma once
// Serving the window during a long loop on the GUI thread: pending events are
// processed at a bounded rate (not per item), so a loop over 100,000 files
// stays responsive without spending its time in the event loop.
#include <chrono>
#include <optional>

namespace pem {

class TEventPump {
public:
    explicit TEventPump(std::chrono::milliseconds interval = std::chrono::milliseconds(30)) : interval_(interval) {}
    // Whether the interval has passed since the last pump.
    bool Due() const { return std::chrono::steady_clock::now() - last_ >= Interval(); }
    // Processes pending events when due (or always, with force).
    void Pump(bool force = false);

    // One interval for every pump, in place of each loop's own (nullopt puts
    // theirs back). Tests that act inside a loop of a few items set 0, so
    // that the loop serves the window at each chance it has.
    static void OverrideInterval(std::optional<std::chrono::milliseconds> interval);

private:
    std::chrono::milliseconds Interval() const;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

} // namespace pem
