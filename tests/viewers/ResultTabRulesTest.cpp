// The rules of the result tabs, without widgets: captions, the result file
// of the tab in view, the dialogs of the viewer actions, the frame chosen,
// the same-file and reload rules, the log files and the editor command.
#include "ResultTabRules.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace pem;

namespace {

const std::string kOut = "/work/out";

// Folders that exist, for FindResultFile and the dialog starts.
TDirExists Existing(std::set<std::string> dirs) {
    return [dirs](const std::string& d) {
        std::string k = d;
        while (k.size() > 1 && k.back() == '/') k.pop_back();
        return dirs.count(k) > 0;
    };
}

TEST(ResultTabRules, CaptionIsThePathBelowTheOutputDirectoryComparedExactly) {
    struct Case {
        const char* file;
        const char* out;
        const char* caption;
    } cases[] = {
        {"/work/out/Defis/COMP0001/A.def", "/work/out", "Defis/COMP0001/A.def"},
        {"/work/out/Defis/A.def", "/work/out/", "Defis/A.def"},  // trailing separator on the directory
        {"/work/OUT/Defis/A.def", "/work/out", "/work/OUT/Defis/A.def"}, // another case is another folder
        {"/elsewhere/A.def", "/work/out", "/elsewhere/A.def"},
        {"/work/output/A.def", "/work/out", "/work/output/A.def"}, // a longer name is no prefix
        {"/work/out/A.def", "", "/work/out/A.def"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResultTabCaption(c.file, c.out), c.caption) << c.file;
}

TEST(ResultTabRules, FindResultFileMapsTheTabToTheOtherFolder) {
    const auto dirs = Existing({kOut + "/Defis/COMP0001/MOD0001", kOut + "/Specs/COMP0001/MOD0001"});
    // The example: the Specs tab gives the same path under Defis.
    EXPECT_EQ(FindResultFile("Specs/COMP0001/MOD0001/A.COB", kOut, "Defis", dirs),
              kOut + "/Defis/COMP0001/MOD0001/A.COB");
    // A caption with a full path, an unknown or differently cased first
    // folder, or a missing target folder give nothing.
    EXPECT_FALSE(FindResultFile("/abs/Specs/COMP0001/MOD0001/A.COB", kOut, "Defis", dirs));
    EXPECT_FALSE(FindResultFile("Other/COMP0001/MOD0001/A.COB", kOut, "Defis", dirs));
    EXPECT_FALSE(FindResultFile("specs/COMP0001/MOD0001/A.COB", kOut, "Defis", dirs));
    EXPECT_FALSE(FindResultFile("Specs/COMP0002/MOD0001/A.COB", kOut, "Defis", dirs));
}

TEST(ResultTabRules, DialogFiltersByteExactPerActionLanguageAndKind) {
    struct Case {
        TViewerDialog dialog;
        const char* lang;
        int kind;
        const char* filter;
        int index;
        const char* title;
    } cases[] = {
        {TViewerDialog::Defis, "COB", 0, "Deficiency reports(*.def)|*.def", 1, "Open a deficiency report"},
        {TViewerDialog::Metrics, "COB", 0,
         "Metrics files(*.met)|*.met|Metrics files in XML format(*.xml)|*.xml|All Metrics files in "
         "(*.met,*.xml)|*.met;*.xml",
         3, "Open metrics reports"},
        {TViewerDialog::TestCases, "COB", 0,
         "Editable Test Case reports(*.txt)|*.txt|Test Case reports(*.txt.*.xml,*.csv)|*.txt;*.xml;*.csv", 2,
         "Open a Test Case report"},
        {TViewerDialog::Specs, "JAV", 0, "Spec's(*.JAV)|*.JAV", 1, "Open a Spec's report"},
        {TViewerDialog::Specs, "CSS", 0, "Spec's(*.css,*.cs)|*.css;*.cs", 1, "Open a Spec's report"},
        {TViewerDialog::Specs, "COB", 0,
         "Spec's(*.COB)|*.COB|Native (not joined) Spec files|;*.inf;*.prc;*.dec;*.dat;*.use", 2,
         "Open a Spec's report"},
        {TViewerDialog::Specs, "GER", 0,
         "Spec's files(*.GER;*.txt;*.use;*.xml)|*.GER;*.txt;*.use;*.xml|All files(*.*)|*.*", 1,
         "Open a Spec's report"},
        {TViewerDialog::General, "COB", 0,
         "Result files from analysis|*.txt;*.xml;*.clc;*.csv;*.def;*.met;*.log;*.rep;*.COB|All files(*.*)|*.*", 2,
         "Open a result file"},
        {TViewerDialog::General, "TCS", 7,
         "Result files|*.txt;*.xml;*.clc;*.csv;*.def;*.met;*.log;*.rep;*.pro;*.trc;*.cov;*.TCS|Harnox files "
         "(*.pro,*.trc,*.cov)|*.pro;*.trc;*.cov;|All files(*.*)|*.*",
         3, "Open a result file"},
    };
    for (const auto& c : cases) {
        const TResultDialogSetup s = ResultDialogSetup(c.dialog, c.lang, c.kind);
        EXPECT_EQ(s.filter, c.filter) << c.lang;
        EXPECT_EQ(s.filterIndex, c.index) << c.lang;
        EXPECT_EQ(s.title, c.title) << c.lang;
        // The filter survives the road through the dialog's filter list.
        EXPECT_EQ(DialogFilterString(ParseDialogFilter(s.filter)), s.filter);
    }
    EXPECT_EQ(ResultDialogSetup(TViewerDialog::Metrics, "COB", 0).defaultExt, "met");
    EXPECT_EQ(ResultDialogSetup(TViewerDialog::Specs, "COB", 0).defaultExt, "");
}

TEST(ResultTabRules, DialogStartPreselectsTheListingOfTheTabInView) {
    const auto dirs = Existing({kOut, kOut + "/Specs", kOut + "/Specs/COMP0001/MOD0001", kOut + "/Metrics"});
    // The Specs dialog beside a Defis tab: same place, the language's extension.
    auto specs = ResultDialogSetup(TViewerDialog::Specs, "JAV", 0);
    TDialogStart s = ResultDialogStart(specs, kOut, std::string("Defis/COMP0001/MOD0001/A.def"), dirs);
    EXPECT_EQ(s.initialDir, kOut + "/Specs/COMP0001/MOD0001/");
    EXPECT_EQ(s.fileName, "A.JAV");
    EXPECT_EQ(s.missingFolderMessage, "");
    // The Metrics dialog uses the table's upper-case extension.
    auto metrics = ResultDialogSetup(TViewerDialog::Metrics, "JAV", 0);
    s = ResultDialogStart(metrics, kOut, std::string("Defis/A.def"), dirs);
    EXPECT_EQ(s.initialDir, kOut + "/Metrics/");
    EXPECT_EQ(s.fileName, "A.MET");
    // A missing result folder: the output directory, and the message.
    auto defis = ResultDialogSetup(TViewerDialog::Defis, "JAV", 0);
    s = ResultDialogStart(defis, kOut, std::nullopt, dirs);
    EXPECT_EQ(s.initialDir, kOut);
    EXPECT_EQ(s.fileName, "");
    EXPECT_EQ(s.missingFolderMessage, "Directory for Defis has not been created yet!");
    // An existing folder without a tab: the folder itself, no name.
    s = ResultDialogStart(specs, kOut, std::nullopt, dirs);
    EXPECT_EQ(s.initialDir, kOut + "/Specs");
    // The general dialog: the tab's own file.
    auto general = ResultDialogSetup(TViewerDialog::General, "JAV", 0);
    s = ResultDialogStart(general, kOut, std::string("Exports/sys.log"), dirs);
    EXPECT_EQ(s.initialDir, kOut + "/Exports/");
    EXPECT_EQ(s.fileName, "sys.log");
    s = ResultDialogStart(general, kOut, std::nullopt, dirs);
    EXPECT_EQ(s.initialDir, kOut);
    // A tab of a file outside the output directory: that file's own folder.
    s = ResultDialogStart(general, kOut, std::string("/elsewhere/logs/x.log"), dirs);
    EXPECT_EQ(s.initialDir, "/elsewhere/logs/");
    EXPECT_EQ(s.fileName, "x.log");
}

TEST(ResultTabRules, FrameByLanguage) {
    struct Case {
        TOpenKind kind;
        const char* lang;
        TResultFrameKind frame;
    } cases[] = {
        {TOpenKind::Simple, "COB", TResultFrameKind::SimpleViewer},
        {TOpenKind::TestCase, "COB", TResultFrameKind::TestCase},
        {TOpenKind::Defi, "COB", TResultFrameKind::Defi},
        {TOpenKind::Defi, "GER", TResultFrameKind::SimpleViewer},
        {TOpenKind::Defi, "TCS", TResultFrameKind::SimpleViewer},
        {TOpenKind::Specs, "SQL", TResultFrameKind::SimpleViewer},
        {TOpenKind::Specs, "ENG", TResultFrameKind::SpecsGer},
        {TOpenKind::Specs, "RPG", TResultFrameKind::Specs},
        {TOpenKind::Specs, "JAV", TResultFrameKind::SpecsObj},
        {TOpenKind::Specs, "CO", TResultFrameKind::SpecsObj}, // "CO," is not in the list
        {TOpenKind::Specs, "QL", TResultFrameKind::SimpleViewer}, // a plain substring test
    };
    EXPECT_TRUE(LanguageInList("GER", "ger,eng"));
    EXPECT_FALSE(LanguageInList("GER", ""));
    for (const auto& c : cases) {
        auto inList = [&](const std::string& list) { return LanguageInList(c.lang, list); };
        EXPECT_EQ(FrameKindFor(c.kind, inList), c.frame) << c.lang;
    }
}

TEST(ResultTabRules, SameFileAndReloadRules) {
    using K = TResultFrameKind;
    // Same file: captions compare exactly; specifications also without the
    // extension, unless the tab holds a plain listing frame.
    EXPECT_TRUE(CountsAsSameFile(TOpenKind::Simple, "Defis/A.def", "Defis/A.def", K::SimpleViewer));
    EXPECT_FALSE(CountsAsSameFile(TOpenKind::Simple, "Defis/A.def", "Defis/a.def", K::SimpleViewer));
    EXPECT_FALSE(CountsAsSameFile(TOpenKind::Simple, "Defis/A.def", "Defis/A.def", K::Defi));
    EXPECT_TRUE(CountsAsSameFile(TOpenKind::Defi, "Defis/A.def", "Defis/A.def", K::XMLEdit));
    EXPECT_TRUE(CountsAsSameFile(TOpenKind::Specs, "Specs/X.cob", "Specs/X.txt", K::SpecsObj));
    EXPECT_FALSE(CountsAsSameFile(TOpenKind::Specs, "Specs/X.cob", "Specs/X.txt", K::SpecsGer));
    EXPECT_TRUE(CountsAsSameFile(TOpenKind::Specs, "Specs/X.txt", "Specs/X.txt", K::SpecsGer));
    EXPECT_FALSE(CountsAsSameFile(TOpenKind::TestCase, "Cases/T.txt", "Cases/T.txt", K::SimpleViewer));

    struct Case {
        TOpenKind kind;
        K frame;
        double stored, current;
        const char* file;
        TReloadAction action;
    } cases[] = {
        {TOpenKind::Simple, K::SimpleViewer, 1, 1, "/o/a.txt", TReloadAction::Keep},
        {TOpenKind::Simple, K::SimpleViewer, 1, 2, "/o/a.txt", TReloadAction::Ask},
        {TOpenKind::Simple, K::SimpleViewer, 1, 2, "/o/sys.log", TReloadAction::Reload},
        {TOpenKind::Simple, K::SimpleViewer, 1, 2, "/o/SYS.LOG", TReloadAction::Reload},
        {TOpenKind::Simple, K::SimpleViewer, 1, 2, "/o/sys.logx", TReloadAction::Ask},
        {TOpenKind::TestCase, K::TestCase, 1, 2, "/o/t.log", TReloadAction::Reload},
        {TOpenKind::Defi, K::Defi, 1, 2, "/o/a.def", TReloadAction::Ask},
        {TOpenKind::Defi, K::SimpleViewer, 1, 2, "/o/a.def", TReloadAction::Ask},
        {TOpenKind::Defi, K::Defi, 1, 1, "/o/a.def", TReloadAction::Keep},
        {TOpenKind::Defi, K::XMLEdit, 1, 2, "/o/a.def", TReloadAction::Keep},
        {TOpenKind::Specs, K::SpecsObj, 1, 1, "/o/a.cob", TReloadAction::Ask},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReloadDecision(c.kind, c.frame, c.stored, c.current, c.file).action, c.action) << c.file;
    EXPECT_EQ(ReloadDecision(TOpenKind::Simple, K::SimpleViewer, 1, 2, "/o/a.txt").question,
              "Module /o/a.txt's date/time changed. Reload?");
    EXPECT_EQ(ReloadDecision(TOpenKind::Specs, K::SpecsObj, 1, 1, "/o/a.cob").question,
              "Module /o/a.cob is already loaded. Reload?");
}

TEST(ResultTabRules, LogFilePerSenderAndRunMode) {
    const char* product[] = {"", "/o/PAY.log", "/o/Exports/PAY.log", "/o/PAY.log", "/o/PAY.log",
                             "/o/trace.log", "/o/Search.txt"};
    for (int mode = 0; mode <= 6; ++mode) {
        EXPECT_EQ(RunLogFile(TLogKind::ProductLog, mode, "/o", "PAY", "trace.log"), product[mode]) << mode;
        EXPECT_EQ(RunLogFile(TLogKind::ConsoleLog, mode, "/o", "PAY", "trace.log"), "/o/Console.log");
        EXPECT_EQ(RunLogFile(TLogKind::Parameters, mode, "/o/", "PAY", "trace.log"), "/o/last.xml");
    }
    EXPECT_EQ(RunLogFile(TLogKind::ProductLog, 5, "/o", "PAY", ""), "");
}

TEST(ResultTabRules, EditorCommandFromFieldEnvironmentOrPath) {
    std::map<std::string, std::string> env;
    std::set<std::string> onPath;
    auto getenv = [&](const std::string& n) { return env.count(n) ? env[n] : std::string(); };
    auto find = [&](const std::string& n) { return onPath.count(n) ? "/usr/bin/" + n : std::string(); };
    using V = std::vector<std::string>;
    EXPECT_EQ(EditorCommand("NOTEPAD.EXE", getenv, find), V{});
    onPath = {"kate", "mousepad"};
    EXPECT_EQ(EditorCommand("notepad.exe", getenv, find), V{"/usr/bin/kate"});
    env["EDITOR"] = "nano";
    EXPECT_EQ(EditorCommand("", getenv, find), V{"nano"});
    env["VISUAL"] = "code  -w";
    EXPECT_EQ(EditorCommand("NOTEPAD.EXE", getenv, find), (V{"code", "-w"}));
    EXPECT_EQ(EditorCommand(" /opt/ed/myedit ", getenv, find), V{"/opt/ed/myedit"});
}

} // namespace
