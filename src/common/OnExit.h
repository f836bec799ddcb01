#pragma once
// Runs an action when a scope ends, however it ends.
#include <utility>

namespace pem {

template <class F>
class TOnExit {
public:
    explicit TOnExit(F f) : f_(std::move(f)) {}
    ~TOnExit() { f_(); }
    TOnExit(const TOnExit&) = delete;
    TOnExit& operator=(const TOnExit&) = delete;

private:
    F f_;
};

} // namespace pem
