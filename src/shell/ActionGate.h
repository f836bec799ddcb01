#pragma once
// The gate every action of the main window passes before its own handler:
// while a tool runs only viewing, saving, cancelling, the console log and
// leaving are allowed; collecting files and generating need the job's names
// and the output directory first.
#include <string>

namespace pem {

enum class TGateDecision {
    Refuse,      // the action may not run now
    CheckNames,  // check the job's names and the output directory first
    ClearStatus, // clear the status bar, then run
    Run,         // run as it is
};

inline constexpr const char* kGateRefusedMessage = "Only viewing,Save,Cancel & Exit are allowed when processing";

// Action names and categories are compared exactly (case matters).
TGateDecision GateAction(const std::string& actionName, const std::string& category, bool toolRunning);

} // namespace pem
