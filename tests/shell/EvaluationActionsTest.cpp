// The evaluation actions on the main window, run as the user runs them: the
// module ranking with its limits dialog, the deficiency ranking and the test
// plan, each writing its file into the output directory.
#include "FileFaults.h"
#include "FindDirectoryFrame.h"
#include "FindExecFrame.h"
#include "GetLimits.h"
#include "MainFormHarness.h"
#include "PlantedFifo.h"
#include "QtTestSupport.h"
#include "ResultTabs.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

std::string Fixture(const std::string& path) { return std::string(FIXTURES_DIR) + "/reports/" + path; }

// Notes whether a widget was ever shown.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(QWidget* w) : QObject(w) { w->installEventFilter(this); }
    bool shown = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::ShowToParent) shown = true;
        return false;
    }
};

class EvaluationActionsTest : public pemtest::MainFormTest {
protected:
    // The demo installation started as a product, with names and an output
    // directory typed in.
    TfrmPemarisMain* StartWithJob(const std::string& product) {
        CopyTree(FIXTURES_DIR "/../../demo");
        TfrmPemarisMain* f = Start(product);
        f->ValidateProductName("abc corp");
        f->ValidateSystemName("pay roll");
        f->ValidateVersion("1.0");
        f->FrameFindDirectoryOutputDir->Edit->SetText(out);
        fs::create_directories(out);
        dialogs->Reset();
        recorder.records.clear();
        return f;
    }
    // A result folder of the fixtures copied into the output directory.
    void PlaceResults(const std::string& tree, const std::string& folder) {
        fs::copy(Fixture("ranking/" + tree + "/" + folder), out + "/" + folder, fs::copy_options::recursive);
    }
    // The limits typed into the dialog, then OK or Cancel clicked.
    void AnswerLimits(const char* statements, const char* complexity, const char* quality, bool ok = true) {
        dialogs->formHook = [=](TModalWindow& w) {
            auto& d = dynamic_cast<TfrmGetLimits&>(w);
            if (statements) d.DigitMaskEditStmtNumberLimit->SetText(statements);
            if (complexity) d.DigitMaskEditComplexityLimit->SetText(complexity);
            if (quality) d.DigitMaskEditQualityLimit->SetText(quality);
            (ok ? d.BitBtnOK : d.BitBtnCancel)->click();
        };
    }
    bool Run(const char* action) { return form->Act(action)->Execute(); }

    // The two rankings, each with its results, its limits answered where it
    // asks for them, its report and the report it makes of the fixtures.
    struct Ranking {
        const char* action;
        const char* tree;
        const char* folder;
        const char* report;
    };
    static constexpr Ranking kRankings[] = {
        {"ActModuleRanking", "program", "Metrics", "Module Ranking.txt"},
        {"ActDeficiencyRanking", "defis_code", "Defis", "Rule Violations.txt"},
    };
    void RunRanking(const Ranking& r) {
        AnswerLimits("0001000", "0.700", "0.500");
        Run(r.action);
    }
    std::string ExpectedReport(const Ranking& r) { return pemtest::ReadFile(Fixture(std::string("ranking/") + r.tree + "/" + r.report)); }

    // No temporary file of a replacement is left in the folder.
    static void ExpectNoTemporaryFiles(const std::string& folder) {
        for (const auto& e : fs::directory_iterator(folder))
            EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }
    static bool IsLink(const std::string& path) { return fs::is_symlink(fs::symlink_status(path)); }

    pemtest::TempDir work;
    std::string out = work / "out";
};

} // namespace

TEST_F(EvaluationActionsTest, ModuleRankingAsksForLimitsAndWritesItsReport) {
    TfrmPemarisMain* f = StartWithJob("Korvex");
    ASSERT_TRUE(f->Act("ActModuleRanking")->Visible());
    PlaceResults("program", "Metrics");
    f->SystemBigDirectoryLimit = 3; // eight reports: the progress group shows
    auto* watcher = new ShowWatcher(f->GroupBoxSlider);

    AnswerLimits("0001000", "0.700", "0.500");
    Run("ActModuleRanking");
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].kind, "modal");
    EXPECT_EQ(dialogs->calls[0].text, "frmGetLimits");
    EXPECT_EQ(pemtest::ReadFile(out + "/Module Ranking.txt"), pemtest::ReadFile(Fixture("ranking/program/Module Ranking.txt")));
    ASSERT_NE(f->PageControlEditor->ActivePage(), nullptr);
    EXPECT_EQ(f->PageControlEditor->ActivePage()->Caption(), "Module Ranking.txt") << "opened in a result tab";
    EXPECT_EQ(f->GroupBoxSlider->Caption(), "Searching for exceptional modules in 8 metrics files");
    EXPECT_TRUE(watcher->shown);
    EXPECT_TRUE(f->GroupBoxSlider->isHidden());
    EXPECT_EQ(f->ProgressBarModules->Max(), 8);
    EXPECT_EQ(f->ProgressBarModules->Position(), 8) << "from 1, a step for each of the seven reports ranked";
    EXPECT_FALSE(Screen().Busy());

    // The dialog keeps what was typed: a second run with OK alone gives the
    // same report.
    fs::remove(out + "/Module Ranking.txt");
    AnswerLimits(nullptr, nullptr, nullptr);
    Run("ActModuleRanking");
    EXPECT_EQ(pemtest::ReadFile(out + "/Module Ranking.txt"), pemtest::ReadFile(Fixture("ranking/program/Module Ranking.txt")));
    EXPECT_EQ(GetLimitsForm().DigitMaskEditComplexityLimit->Text(), "0.700");
}

// Enter in a limits field presses OK, Escape cancels: the keys go to the
// field as the user types them, through the form's own handling.
TEST_F(EvaluationActionsTest, LimitsDialogAnswersEnterAndEscape) {
    StartWithJob("Korvex");
    PlaceResults("program", "Metrics");
    const struct {
        Qt::Key key;
        bool written;
    } cases[] = {{Qt::Key_Escape, false}, {Qt::Key_Return, true}, {Qt::Key_Enter, true}};
    for (const auto& c : cases) {
        fs::remove(out + "/Module Ranking.txt");
        dialogs->formHook = [&](TModalWindow& w) {
            auto& d = dynamic_cast<TfrmGetLimits&>(w);
            d.DigitMaskEditStmtNumberLimit->SetText("0001000");
            d.DigitMaskEditComplexityLimit->SetText("0.700");
            d.DigitMaskEditQualityLimit->SetText("0.500");
            QKeyEvent press(QEvent::KeyPress, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            QApplication::sendEvent(d.DigitMaskEditQualityLimit, &press);
        };
        Run("ActModuleRanking");
        EXPECT_EQ(fs::exists(out + "/Module Ranking.txt"), c.written) << c.key;
    }
}

// The title bar shows the whole caption: the caption in a bold title font
// and three title-bar buttons fit.
TEST_F(EvaluationActionsTest, LimitsDialogIsWideEnoughForItsCaption) {
    StartWithJob("Korvex");
    TfrmGetLimits& d = GetLimitsForm();
    EXPECT_EQ(d.windowTitle(), "Enter limits for module ranking");
    QFont bold = d.font();
    bold.setBold(true);
    const QFontMetrics m(bold);
    EXPECT_GE(d.width(), m.horizontalAdvance(d.windowTitle()) + 3 * m.height());
    EXPECT_GE(d.minimumWidth(), m.horizontalAdvance(d.windowTitle()) + 3 * m.height());
}

TEST_F(EvaluationActionsTest, ModuleRankingFailuresWriteNothing) {
    TfrmPemarisMain* f = StartWithJob("Korvex");
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string error;
    };
    const std::string unknown = out + "/Metrics/A/notes.met";
    const std::string bad = out + "/Metrics/Z/bad.met";
    const Case cases[] = {
        {"cancelled dialog",
         [&] {
             PlaceResults("program", "Metrics");
             AnswerLimits("0000001", "0.1", "0.9", false);
         },
         "No modul ranking list produced"},
        {"no metrics file", [&] { AnswerLimits("0000001", "0.1", "0.9"); }, "No metrics file found in output directory"},
        {"unrecognised first file",
         [&] {
             pemtest::WriteFile(unknown, "no measures here\n");
             PlaceResults("program", "Metrics");
             AnswerLimits("0000001", "0.1", "0.9");
         },
         "Unknown metrics file format - " + unknown},
        {"a value that is no number",
         [&] {
             PlaceResults("program", "Metrics");
             pemtest::WriteFile(bad, "PGM-0001 Number of statements          = > 12a\n");
             AnswerLimits("0000001", "0.1", "0.9");
         },
         "'12a' is not a valid integer value - " + bad},
    };
    for (const auto& c : cases) {
        fs::remove_all(out + "/Metrics");
        recorder.records.clear();
        c.prepare();
        Run("ActModuleRanking");
        EXPECT_TRUE(recorder.Has(TStatusRecord::Error, c.error)) << c.what;
        EXPECT_FALSE(fs::exists(out + "/Module Ranking.txt")) << c.what;
        EXPECT_FALSE(Screen().Busy()) << c.what;
        EXPECT_TRUE(f->GroupBoxSlider->isHidden()) << c.what;
    }
}

TEST_F(EvaluationActionsTest, DeficiencyRankingWritesItsReport) {
    TfrmPemarisMain* f = StartWithJob("Korvex");
    ASSERT_TRUE(f->Act("ActDeficiencyRanking")->Visible());
    Run("ActDeficiencyRanking");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "No deficiency files found in output directory"));
    EXPECT_FALSE(fs::exists(out + "/Rule Violations.txt"));

    PlaceResults("defis_code", "Defis");
    pemtest::WriteFile(out + "/Rule Violations.txt", "an older report, longer than the new one will be ..........");
    Run("ActDeficiencyRanking");
    EXPECT_EQ(pemtest::ReadFile(out + "/Rule Violations.txt"),
              pemtest::ReadFile(Fixture("ranking/defis_code/Rule Violations.txt")));
    EXPECT_EQ(f->GroupBoxSlider->Caption(), "Ranking deficiencies in 6 defi files");
    ASSERT_NE(f->PageControlEditor->ActivePage(), nullptr);
    EXPECT_EQ(f->PageControlEditor->ActivePage()->Caption(), "Rule Violations.txt");
    EXPECT_FALSE(Screen().Busy());
}

TEST_F(EvaluationActionsTest, TestPlanIsMadeFromTheChosenTemplate) {
    TfrmPemarisMain* f = StartWithJob("Velling");
    ASSERT_TRUE(f->Act("ActCreateVelling")->Visible());
    EXPECT_EQ(f->Act("ActCreateVelling")->Caption(), "Create Test Specificaton");
    EXPECT_EQ(f->FrameFindexecTstSpecTemplate->LabelFindExec->Caption(), "Test specification template");
    const std::string fx = Fixture("testplan/");
    f->FrameFindexecTstSpecTemplate->Edit->SetText(fx + "template.rtf");
    f->CheckListBoxObjects->ClearItems();
    f->CheckListBoxObjects->AddItem(" Clerk ", true);
    f->CheckListBoxObjects->AddItem("Not ticked", false);
    f->CheckListBoxObjects->AddItem("C:\\pay {x}", true);

    Run("ActCreateVelling");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "There is no usecase file, run analysis first!"));

    for (const auto& [from, to] : {std::pair{"Specs/PAYROLL.use", "Specs/pay roll.use"},
                                   {"Metrics/PAYROLL.met", "Metrics/pay roll.met"},
                                   {"Cases/PAYROLL.txt", "Cases/pay roll.txt"}})
        pemtest::WriteFile(out + "/" + to, pemtest::ReadFile(fx + from));
    Run("ActCreateVelling");
    const std::string made = out + "/Specs/Abc CorpPay RollTestPlan.rtf";
    EXPECT_EQ(pemtest::ReadFile(made), pemtest::ReadFile(fx + "expected.rtf"));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Test specification created in " + made));
}

// A ranking's report is a file of the output directory's own: a link put in
// its place is replaced by the report, and the file it pointed to, outside
// the output directory, stays as it was; a FIFO in its place is refused at
// once instead of holding the window until something reads it.
TEST_F(EvaluationActionsTest, RankingReportsReplaceALinkInTheirPlaceAndRefuseAFifo) {
    TfrmPemarisMain* f = StartWithJob("Korvex");
    const std::string outside = work / "elsewhere/notes.txt";
    for (const Ranking& r : kRankings) {
        SCOPED_TRACE(r.action);
        PlaceResults(r.tree, r.folder);
        const std::string report = out + "/" + r.report;
        pemtest::WriteFile(outside, "the user's own notes\n");
        ::chmod(outside.c_str(), 0640);
        fs::create_symlink(outside, report);
        RunRanking(r);
        EXPECT_EQ(pemtest::ReadFile(outside), "the user's own notes\n");
        EXPECT_EQ(fs::status(outside).permissions() & fs::perms::all, fs::perms(0640));
        EXPECT_FALSE(IsLink(report));
        EXPECT_EQ(pemtest::ReadFile(report), ExpectedReport(r));
        ASSERT_NE(f->PageControlEditor->ActivePage(), nullptr);
        EXPECT_EQ(f->PageControlEditor->ActivePage()->Caption(), r.report);
        f->ResultTabs->CloseAllEditorTabs();

        fs::remove(report);
        dialogs->Reset();
        pemtest::PlantedFifo fifo(report);
        ASSERT_TRUE(fifo.Made());
        RunRanking(r);
        EXPECT_FALSE(fifo.Released()) << "the ranking waited on the FIFO";
        EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"Can not create file " + report + ": not a regular file."});
        EXPECT_TRUE(fifo.StillAFifo());
        EXPECT_FALSE(Screen().Busy());
        EXPECT_TRUE(f->GroupBoxSlider->isHidden());
        ExpectNoTemporaryFiles(out);
        fs::remove(report);
        fs::remove_all(out + "/" + r.folder);
    }
}

// A report that cannot be written whole (a full disk) leaves the older
// report as it was, says so, and opens no tab on it.
TEST_F(EvaluationActionsTest, ARankingOnAFullDiskLeavesTheOlderReportWhole) {
    TfrmPemarisMain* f = StartWithJob("Korvex");
    for (const Ranking& r : kRankings) {
        SCOPED_TRACE(r.action);
        PlaceResults(r.tree, r.folder);
        const std::string report = out + "/" + r.report;
        const std::string older = "an older report\n" + std::string(300, '-') + "\n";
        pemtest::WriteFile(report, older);
        ASSERT_GT(ExpectedReport(r).size(), 1024u);
        dialogs->Reset();
        {
            pemtest::FileSizeLimit disk(1024);
            RunRanking(r);
        }
        EXPECT_EQ(pemtest::ReadFile(report), older);
        EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"Can not write file " + report + "."});
        EXPECT_EQ(f->PageControlEditor->ActivePage(), nullptr);
        ExpectNoTemporaryFiles(out);
        fs::remove_all(out + "/" + r.folder);
    }
}

// The test plan is a file of the output directory's own: a link in its
// place is replaced and its target outside stays as it was; an older plan
// that cannot be replaced whole stays whole. A FIFO chosen as the template
// is refused at once, as a file that cannot be read.
TEST_F(EvaluationActionsTest, TestPlanReplacesALinkInItsPlaceAndReadsOnlyRegularFiles) {
    TfrmPemarisMain* f = StartWithJob("Velling");
    const std::string fx = Fixture("testplan/");
    f->FrameFindexecTstSpecTemplate->Edit->SetText(fx + "template.rtf");
    f->CheckListBoxObjects->ClearItems();
    f->CheckListBoxObjects->AddItem(" Clerk ", true);
    f->CheckListBoxObjects->AddItem("Not ticked", false);
    f->CheckListBoxObjects->AddItem("C:\\pay {x}", true);
    for (const auto& [from, to] : {std::pair{"Specs/PAYROLL.use", "Specs/pay roll.use"},
                                   {"Metrics/PAYROLL.met", "Metrics/pay roll.met"},
                                   {"Cases/PAYROLL.txt", "Cases/pay roll.txt"}})
        pemtest::WriteFile(out + "/" + to, pemtest::ReadFile(fx + from));
    const std::string made = out + "/Specs/Abc CorpPay RollTestPlan.rtf";
    const std::string expected = pemtest::ReadFile(fx + "expected.rtf");

    const std::string outside = work / "elsewhere/plan.rtf";
    pemtest::WriteFile(outside, "{\\rtf1 the user's own plan}\n");
    fs::create_symlink(outside, made);
    Run("ActCreateVelling");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Test specification created in " + made));
    EXPECT_EQ(pemtest::ReadFile(outside), "{\\rtf1 the user's own plan}\n");
    EXPECT_FALSE(IsLink(made));
    EXPECT_EQ(pemtest::ReadFile(made), expected);

    ASSERT_GT(expected.size(), 1024u);
    recorder.records.clear();
    {
        pemtest::FileSizeLimit disk(1024);
        Run("ActCreateVelling");
    }
    EXPECT_EQ(pemtest::ReadFile(made), expected);
    ASSERT_FALSE(recorder.records.empty());
    EXPECT_EQ(recorder.records.back().kind, TStatusRecord::Error);
    EXPECT_EQ(recorder.records.back().text.rfind("I/O error:Can not write file ", 0), 0u) << recorder.records.back().text;
    ExpectNoTemporaryFiles(out + "/Specs");

    const std::string fifoTemplate = work / "template.rtf";
    pemtest::PlantedFifo fifo(fifoTemplate);
    ASSERT_TRUE(fifo.Made());
    f->FrameFindexecTstSpecTemplate->Edit->SetText(fifoTemplate);
    recorder.records.clear();
    Run("ActCreateVelling");
    EXPECT_FALSE(fifo.Released()) << "the generator waited on the FIFO";
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "I/O error:Can not open file " + fifoTemplate + ": not a regular file"))
        << ::testing::PrintToString(recorder.records.size());
    EXPECT_EQ(pemtest::ReadFile(made), expected);
}
