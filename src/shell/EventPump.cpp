#include "EventPump.h"

#include "Forms.h"

namespace pem {

namespace {
std::optional<std::chrono::milliseconds> overridden;
} // namespace

void TEventPump::OverrideInterval(std::optional<std::chrono::milliseconds> interval) { overridden = interval; }

std::chrono::milliseconds TEventPump::Interval() const { return overridden.value_or(interval_); }

void TEventPump::Pump(bool force) {
    if (!force && !Due()) return;
    Application().ProcessMessages();
    last_ = std::chrono::steady_clock::now();
}

} // namespace pem
