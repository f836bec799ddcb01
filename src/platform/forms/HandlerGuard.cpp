#include "HandlerGuard.h"

#include "DialogService.h"
#include "Exceptions.h"

#include <exception>

namespace pem {

std::function<void(const char*)> OnGuardedException;

bool RunGuarded(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        try {
            ShowExceptionMessage(e.what());
            if (OnGuardedException) OnGuardedException(e.what());
        } catch (...) {
        }
        return false;
    } catch (...) {
        try {
            ShowExceptionMessage("Unknown error");
            if (OnGuardedException) OnGuardedException("Unknown error");
        } catch (...) {
        }
        return false;
    }
}

} // namespace pem
