#include "HandlerGuard.h"

#include "DialogService.h"
#include "Exceptions.h"

#include <exception>
#include <new>

namespace pem {

std::function<void(const char*)> OnGuardedException;

bool RunGuarded(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::bad_alloc&) {
        // What failed was too big for memory; what the user did can be
        // tried again with less, so say it plainly.
        try {
            ShowExceptionMessage("Out of memory");
            if (OnGuardedException) OnGuardedException("Out of memory");
        } catch (...) {
        }
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
