#include "ActionGate.h"

namespace pem {

namespace {
bool AllowedWhileRunning(const std::string& name, const std::string& category) {
    if (category == "Viewer") return true;
    for (const char* allowed : {"ActSaveProject", "ActCloseAll", "ActCancelRun", "ActSwitchOnLog", "ActSwitchOffLog"})
        if (name == allowed) return true;
    return false;
}

// Changes the job's lists (the files, their ticks and structure, the word
// lists), the job itself or the output directory, or writes the job, whose
// list may be half merged.
bool ChangesTheJob(const std::string& name, const std::string& category) {
    if (category == "FileCollect" || category == "Generate" || category == "WordList") return true;
    for (const char* job : {"ActNewProject", "ActOpenProject", "ActSaveProject", "ActSaveProjectAs", "ActRestartProject"})
        if (name == job) return true;
    return false;
}
} // namespace

TGateDecision GateAction(const std::string& actionName, const std::string& category, bool toolRunning,
                         bool listsInUse) {
    if (listsInUse && ChangesTheJob(actionName, category)) return TGateDecision::Hold;
    if (toolRunning && !AllowedWhileRunning(actionName, category)) return TGateDecision::Refuse;
    if (category == "FileCollect" || category == "Generate") return TGateDecision::CheckNames;
    return toolRunning ? TGateDecision::Run : TGateDecision::ClearStatus;
}

} // namespace pem
