#include "OleTimers.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace pem {

namespace {

std::function<DWORD()>& Clock() {
    static std::function<DWORD()> c;
    return c;
}

TTimerBackendFactory& Factory() {
    static TTimerBackendFactory f;
    return f;
}

unsigned& Generation() {
    static unsigned g = 1;
    return g;
}

// Manual timers: due times on the one clock, fired by a fake clock.
class ManualTimer;
std::vector<ManualTimer*>& Manual() {
    static std::vector<ManualTimer*> v;
    return v;
}

class ManualTimer : public ITimerBackend {
public:
    explicit ManualTimer(std::function<void()> tick) : tick_(std::move(tick)) { Manual().push_back(this); }
    ~ManualTimer() override { Manual().erase(std::find(Manual().begin(), Manual().end(), this)); }
    void Start(unsigned ms) override {
        interval_ = std::max(1u, ms);
        due_ = GetTickCount() + interval_;
        running_ = true;
    }
    void Stop() override { running_ = false; }
    bool running_ = false;
    DWORD due_ = 0;
    unsigned interval_ = 1;
    std::function<void()> tick_;
};

} // namespace

DWORD GetTickCount() {
    if (Clock()) return Clock()();
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD timeGetTime() { return GetTickCount(); }

void SetClockSource(std::function<DWORD()> source) { Clock() = std::move(source); }

void SetTimerBackendFactory(TTimerBackendFactory factory) {
    Factory() = std::move(factory);
    ++Generation();
}

TOleTimer::TOleTimer() = default;
TOleTimer::~TOleTimer() = default;

void TOleTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (on)
        Restart();
    else if (backend_)
        backend_->Stop();
}

void TOleTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (enabled_) Restart();
}

void TOleTimer::Restart() {
    if (!backend_ || backendGeneration_ != Generation()) {
        auto tick = [this] {
            if (enabled_ && OnTimer) OnTimer();
        };
        backend_ = Factory() ? Factory()(tick) : std::make_unique<ManualTimer>(tick);
        backendGeneration_ = Generation();
    }
    backend_->Start(interval_);
}

TFakeClock::TFakeClock(DWORD start) : now_(start), prevClock_(Clock()), prevFactory_(Factory()) {
    SetClockSource([this] { return now_; });
    SetTimerBackendFactory(nullptr);
}

TFakeClock::~TFakeClock() {
    SetClockSource(std::move(prevClock_));
    SetTimerBackendFactory(std::move(prevFactory_));
}

void TFakeClock::Advance(DWORD ms) {
    const DWORD end = now_ + ms;
    for (;;) {
        ManualTimer* next = nullptr;
        for (ManualTimer* t : Manual())
            if (t->running_ && static_cast<int32_t>(t->due_ - end) <= 0 &&
                (!next || static_cast<int32_t>(t->due_ - next->due_) < 0))
                next = t;
        if (!next) break;
        if (static_cast<int32_t>(next->due_ - now_) > 0) now_ = next->due_;
        next->due_ = now_ + next->interval_;
        next->tick_(); // may stop, restart or free the timer
    }
    now_ = end;
}

int TFakeClock::RunningTimers() const {
    return static_cast<int>(std::count_if(Manual().begin(), Manual().end(), [](ManualTimer* t) { return t->running_; }));
}

} // namespace pem
