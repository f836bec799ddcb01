// The gate before every action of the main window.
#include "ActionGate.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {

struct GateCase {
    const char* name;
    const char* category;
    bool running;
    TGateDecision expected;
};

const GateCase kGateCases[] = {
    // While a tool runs: viewers and the five named actions pass, all else is refused.
    {"ActViewDefis", "Viewer", true, TGateDecision::Run},
    {"ActXMLEditor", "Viewer", true, TGateDecision::Run},
    {"ActSaveProject", "Project", true, TGateDecision::Run},
    {"ActCloseAll", "Project", true, TGateDecision::Run},
    {"ActCancelRun", "Run", true, TGateDecision::Run},
    {"ActSwitchOnLog", "Run", true, TGateDecision::Run},
    {"ActSwitchOffLog", "Run", true, TGateDecision::Run},
    {"ActAddfiles", "FileCollect", true, TGateDecision::Refuse},
    {"ActRunAnal", "Generate", true, TGateDecision::Refuse},
    {"ActSaveProjectAs", "Project", true, TGateDecision::Refuse},
    {"ActOpenProject", "Project", true, TGateDecision::Refuse},
    {"ActAbout", "Help", true, TGateDecision::Refuse},
    // Names and categories are compared exactly.
    {"actsaveproject", "Project", true, TGateDecision::Refuse},
    {"ActViewSpecs", "viewer", true, TGateDecision::Refuse},
    // Without a running tool: collecting and generating check the job first,
    // everything else clears the status bar.
    {"ActAddfiles", "FileCollect", false, TGateDecision::CheckNames},
    {"ActRunAnal", "Generate", false, TGateDecision::CheckNames},
    {"ActRunAnal", "generate", false, TGateDecision::ClearStatus},
    {"ActViewDefis", "Viewer", false, TGateDecision::ClearStatus},
    {"ActSaveProject", "Project", false, TGateDecision::ClearStatus},
};

TEST(ActionGate, DecisionTable) {
    for (const auto& c : kGateCases)
        EXPECT_EQ(GateAction(c.name, c.category, c.running), c.expected)
            << c.name << " / " << c.category << (c.running ? " while running" : "");
}

// While files are added or the structure computed, whatever changes the
// job, writes it or writes into the output directory is held; looking,
// leaving and the rest run as they would.
TEST(ActionGate, WhileTheListsAreInUse) {
    const GateCase cases[] = {
        {"ActAddDirectories", "FileCollect", false, TGateDecision::Hold},
        {"ActCalculateCommonRootStrict", "FileCollect", false, TGateDecision::Hold},
        {"ActRunAnal", "Generate", false, TGateDecision::Hold},
        {"ActModuleRanking", "Generate", false, TGateDecision::Hold},
        {"ActLoadWordList", "WordList", false, TGateDecision::Hold},
        {"ActNewProject", "Project", false, TGateDecision::Hold},
        {"ActOpenProject", "Project", false, TGateDecision::Hold},
        {"ActSaveProject", "Project", false, TGateDecision::Hold},
        {"ActSaveProjectAs", "Project", false, TGateDecision::Hold},
        {"ActRestartProject", "Project", false, TGateDecision::Hold},
        {"ActCloseAll", "Project", false, TGateDecision::ClearStatus},
        {"ActViewDefis", "Viewer", false, TGateDecision::ClearStatus},
        {"ActSelectFont", "Viewer", false, TGateDecision::ClearStatus},
        {"ActSwitchOnLog", "Run", false, TGateDecision::ClearStatus},
        {"ActAbout", "Help", false, TGateDecision::ClearStatus},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GateAction(c.name, c.category, c.running, true), c.expected) << c.name << " / " << c.category;
}

} // namespace
