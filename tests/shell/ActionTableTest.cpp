// The main window's actions as the window is built: every action with its
// caption, category, short cut, whether it starts shown and whether it has a
// tick state, and nothing else in the list.
#include "MainFormHarness.h"

#include <gtest/gtest.h>
#include <set>

using namespace pem;

namespace {

struct ActionRow {
    const char* name;
    const char* caption;
    const char* category;
    const char* shortCut;
    bool shown;
    bool ticked;
};

constexpr bool S = true;  // shown at the start
constexpr bool H = false; // hidden until the product, the language or the advanced view shows it

const ActionRow kActions[] = {
    {"ActNewProject", "New job", "Project", "", S, false},
    {"ActOpenProject", "Open job...", "Project", "", S, false},
    {"ActSaveProject", "Save job", "Project", "", S, false},
    {"ActSaveProjectAs", "Save job as...", "Project", "", S, false},
    {"ActCloseAll", "Exit", "Project", "", S, false},
    {"ActRestartProject", "Reset output", "Project", "", S, false},
    {"ActAddfiles", "Add &files to the job", "FileCollect", "Ctrl+B", S, false},
    {"ActAddDirectories", "Add complete directories ", "FileCollect", "Ctrl+A", S, false},
    {"ActRemoveFiles", "Remove &unchecked list items", "FileCollect", "", S, false},
    {"ActToggleSelect", "&Reverse the selection", "FileCollect", "Alt+R", S, false},
    {"ActSelectAll", "Select &all items in the list", "FileCollect", "Alt+A", S, false},
    {"ActUnselectAll", "&Unselect all of the items", "FileCollect", "Alt+U", S, false},
    {"ActToggleComponent", "Toggle whole component", "FileCollect", "", S, false},
    {"ActToggleModule", "Toggle whole module", "FileCollect", "", S, false},
    {"ActCalculateCommonRoot", "Analyze component/modul structure", "FileCollect", "", S, false},
    {"ActCalculateCommonRootStrict", "Recalculate modular structure", "FileCollect", "", S, false},
    {"ActCountLinesOnly", "Count lines only", "FileCollect", "", S, false},
    {"ActNameByDirectory", "Automatically create \"Systems\"  by module level", "FileCollect", "", H, true},
    {"ActSpecifyTestCaseFile", "Select TestCase file", "FileCollect", "", H, false},
    {"ActSpecifyMethodFile", "Select Method file", "FileCollect", "", H, false},
    {"ActSpecifyTestExecutionLog", "Select test execution log", "FileCollect", "", H, false},
    {"ActSpecifyTestResult", "Select trace files", "FileCollect", "", H, false},
    {"ActSpecifyDefiXML", "Select Defect file", "FileCollect", "", H, false},
    {"ActRunAnal", "Analyse", "Generate", "", S, false},
    {"ActRunWordScanner", "Word scanner", "Generate", "", S, false},
    {"ActRunTransform", "Transform", "Generate", "", H, false},
    {"ActRunSearch", "Search", "Generate", "", H, false},
    {"ActRunTestDesigner", "Test designer", "Generate", "", H, false},
    {"ActCreateVelling", "Create Test Specificaton", "Generate", "", H, false},
    {"ActRunTSP", "TSP", "Generate", "", H, false},
    {"ActRunTST", "TST", "Generate", "", H, false},
    {"ActRunTSC", "TSC", "Generate", "", H, false},
    {"ActRunTSM", "TSM", "Generate", "", H, false},
    {"ActRunCTA", "CTA", "Generate", "", H, false},
    {"ActModuleRanking", "Module ranking", "Generate", "", H, false},
    {"ActDeficiencyRanking", "Deficiency ranking", "Generate", "", H, false},
    {"ActCompoundMetrics", "Compound metrics", "Generate", "", H, false},
    {"ActSpecStatistic", "View Defect Statistic Report", "Mindra", "", H, false},
    {"ActSpecRanking", "ActSpecRanking", "Mindra", "", H, false},
    {"ActCancelRun", "Cancel", "Run", "", S, false},
    {"ActSwitchOnLog", "Show console", "Run", "", S, false},
    {"ActSwitchOffLog", "Hide console", "Run", "", S, false},
    {"ActDontRun", "Stop before starting COBOL subtask", "Run", "", S, true},
    {"ActViewSpecs", "Open specification listings", "Viewer", "Ctrl+S", H, false},
    {"ActViewDefis", "Open deficiency reports", "Viewer", "Ctrl+D", S, false},
    {"ActViewTestCases", "View & Edit Test Cases", "Viewer", "Ctrl+T", H, false},
    {"ActViewMetrics", "Show metrics", "Viewer", "Ctrl+M", H, false},
    {"ActViewGeneral", "Open a file in the general internal viewer", "Viewer", "Ctrl+W", S, false},
    {"ActViewNotepad", "Call external editor", "Viewer", "", S, false},
    {"ActViewParameters", "Show XML parameter file in a viewer tab", "ExtraActions", "", H, false},
    {"ActViewProductLog", "View product log (<Productname>.log)", "Viewer", "Ctrl+L", S, false},
    {"ActViewConsoleLog", "View console log from the last run", "Viewer", "", H, false},
    {"ActViewMethodList", "View/Edit method list", "Viewer", "", H, false},
    {"ActXMLEditor", "XML Editor", "Viewer", "", H, false},
    {"ActSelectFont", "Select font for the viewer/printer", "Viewer", "", S, false},
    {"ActCloseTab", "Close current page", "Viewer", "Ctrl+F4", S, false},
    {"ActCloseAllPages", "Close all editor pages", "Viewer", "", S, false},
    {"ActSortBySource", "Sort by source file name", "Sort", "", S, true},
    {"ActSortByLevel", "Sort by deficiency level", "Sort", "", S, true},
    {"ActSortByRuleName", "Sort by rules", "Sort", "", S, true},
    {"ActFindText", "&Find text ", "Sort", "Ctrl+F", S, false},
    {"ActLoadWordList", "Import a word list", "WordList", "", S, false},
    {"ActSaveWordList", "Export word list to a file", "WordList", "", S, false},
    {"ActLoadTextFile", "Load a text file to pick up control words", "WordList", "", S, false},
    {"ActAddselectedToLIst", "Add selected text to word list", "WordList", "Ctrl+A", S, false},
    {"ActRemoveDuplicates", "Remove duplicates", "WordList", "", S, false},
    {"ActRemoveUnidentified", "Remove items with undefined type(\"????\")", "WordList", "", S, false},
    {"ActPrintCurrent", "&Print ", "Print", "Ctrl+P", S, false},
    {"ActPrintFile", "Print a file(s)", "Print", "", S, false},
    {"ActSelectPrinter", "Select printer", "Print", "", S, false},
    {"ActPreviewBeforePrinting", "Preview before printing", "Print", "", S, true},
    {"ActWriteINIFile", "Save INI file", "ExtraActions", "", H, false},
    {"ActShowAdvanced", "Advanced options", "Help", "", H, true},
    {"ActAbout", "About...", "Help", "", S, false},
    {"ActHelpShell", "Help on Pemaris shell", "Help", "", S, false},
};

class ActionTableTest : public pemtest::MainFormTest {};

} // namespace

TEST_F(ActionTableTest, EveryActionAsTheWindowIsBuilt) {
    TfrmPemarisMain f;
    std::set<std::string> named;
    for (const auto& r : kActions) {
        SCOPED_TRACE(r.name);
        named.insert(r.name);
        TAction* a = f.ActionListMain->FindAction(r.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Name(), r.name);
        EXPECT_EQ(a->Caption(), r.caption);
        EXPECT_EQ(a->Category(), r.category);
        EXPECT_EQ(a->ShortCut(), r.shortCut);
        EXPECT_EQ(a->Visible(), r.shown);
        EXPECT_EQ(a->isCheckable(), r.ticked);
    }
    for (TAction* a : f.ActionListMain->ActionVector()) EXPECT_TRUE(named.count(a->Name())) << a->Name();
    // The viewer font before the settings store names one.
    EXPECT_EQ(f.FontDialog1->Font.name, "Lucida Console");
    EXPECT_EQ(f.FontDialog1->Font.height, -11);
}
