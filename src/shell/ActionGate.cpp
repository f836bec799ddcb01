#include "ActionGate.h"

namespace pem {

namespace {
bool AllowedWhileRunning(const std::string& name, const std::string& category) {
    if (category == "Viewer") return true;
    for (const char* allowed : {"ActSaveProject", "ActCloseAll", "ActCancelRun", "ActSwitchOnLog", "ActSwitchOffLog"})
        if (name == allowed) return true;
    return false;
}
} // namespace

TGateDecision GateAction(const std::string& actionName, const std::string& category, bool toolRunning) {
    if (toolRunning && !AllowedWhileRunning(actionName, category)) return TGateDecision::Refuse;
    if (category == "FileCollect" || category == "Generate") return TGateDecision::CheckNames;
    return toolRunning ? TGateDecision::Run : TGateDecision::ClearStatus;
}

} // namespace pem
