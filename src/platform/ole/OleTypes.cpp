#include "OleTypes.h"

#include <cstdio>

namespace pem {

std::string OleErrorMessage(HRESULT hr) {
    switch (hr) {
    case E_NOTIMPL:
        return "Not implemented";
    case E_NOINTERFACE:
        return "No such interface supported";
    case E_POINTER:
        return "Invalid pointer";
    case E_FAIL:
        return "Unspecified error";
    case E_UNEXPECTED:
        return "Catastrophic failure";
    case E_OUTOFMEMORY:
        return "Not enough storage is available to complete this operation";
    case E_INVALIDARG:
        return "The parameter is incorrect";
    case DV_E_FORMATETC:
        return "Invalid FORMATETC structure";
    case DV_E_TYMED:
        return "Invalid tymed";
    case DV_E_CLIPFORMAT:
        return "Invalid clipboard format";
    case DRAGDROP_E_NOTREGISTERED:
        return "Trying to revoke a drop target that has not been registered";
    case DRAGDROP_E_ALREADYREGISTERED:
        return "This window has already been registered as a drop target";
    case DRAGDROP_E_INVALIDHWND:
        return "Invalid window handle";
    case CLIPBRD_E_CANT_OPEN:
        return "OpenClipboard Failed";
    default: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "OLE error %08X", static_cast<unsigned>(hr));
        return buf;
    }
    }
}

EOleSysError::EOleSysError(HRESULT hr) : Exception(OleErrorMessage(hr)), hr_(hr) {}

void OleCheck(HRESULT hr) {
    if (FAILED(hr)) throw EOleSysError(hr);
}

} // namespace pem
