#include "EventPump.h"

#include "Forms.h"

namespace pem {

void TEventPump::Pump(bool force) {
    if (!force && !Due()) return;
    Application().ProcessMessages();
    last_ = std::chrono::steady_clock::now();
}

} // namespace pem
