#pragma once
// The gate every action of the main window passes before its own handler:
// while a tool runs only viewing, saving, cancelling, the console log and
// leaving are allowed; collecting files and generating need the job's names
// and the output directory first. While files are being added, or the
// structure computed, nothing that changes the job's lists, its file or the
// output directory runs: that pass holds the list half merged and serves the
// window, and a change made inside it is lost or corrupts the list.
#include <string>

namespace pem {

enum class TGateDecision {
    Refuse,      // the action may not run now
    Hold,        // the action may not run now, and says nothing (a pass over the lists is under way)
    CheckNames,  // check the job's names and the output directory first
    ClearStatus, // clear the status bar, then run
    Run,         // run as it is
};

inline constexpr const char* kGateRefusedMessage = "Only viewing,Save,Cancel & Exit are allowed when processing";

// Action names and categories are compared exactly (case matters).
TGateDecision GateAction(const std::string& actionName, const std::string& category, bool toolRunning,
                         bool listsInUse = false);

} // namespace pem
