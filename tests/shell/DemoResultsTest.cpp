// The demo installation as a person meets it: the demo job opened from the
// command line, analysed by the demo tool, and every kind of its results
// opened through the window's own actions, each showing real content.
#include "CompoundMetrics.h"
#include "Controls.h"
#include "DefiFrame.h"
#include "FindDirectoryFrame.h"
#include "GetLimits.h"
#include "ListingView.h"
#include "MainFormHarness.h"
#include "ResultTabs.h"
#include "SimpleViewerFrame.h"
#include "SpecsFrame.h"
#include "SpecsFrameObj.h"
#include "XMLViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kDemo = FIXTURES_DIR "/../../demo";

class DemoResultsTest : public pemtest::MainFormTest {
protected:
    void TearDown() override {
        metrics.reset();
        viewer.reset();
        MainFormTest::TearDown();
    }

    // The demo installation with the demo tool in place of every tool, a
    // demo job with its paths filled in (its output directory named after
    // its language code), started as Korvex on that job.
    void StartOnDemoJob(const std::string& name = "Billing", const std::string& code = "COB") {
        out = work / ("output/" + code);
        CopyTree(kDemo);
        for (const auto& e : fs::recursive_directory_iterator(install / "Tools"))
            if (e.path().extension() == ".exe")
                fs::copy_file(PROGRAM_DIR "/demo_tool", e.path(), fs::copy_options::overwrite_existing);
        fs::create_directories(out);
        std::string job = pemtest::ReadFile(kDemo + "/jobs/" + name + ".jkvx.in");
        for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@OUTPUT@", out},
                                          {"@SAMPLE@", install / "sample"}})
            for (size_t at; (at = job.find(mark)) != std::string::npos;) job.replace(at, mark.size(), value);
        const std::string jobFile = install / (name + ".jkvx");
        pemtest::WriteFile(jobFile, job);
        pem::SetCommandLine({"-Proj", jobFile});
        Start("Korvex");
        viewer = std::make_unique<TfrmXMLViewer>();
        metrics = std::make_unique<TfrmCompoundMetrics>();
        metrics->DoCreate();
        dialogs->Reset();
    }
    bool RunAnalysis() {
        form->Act("ActRunAnal")->trigger();
        QElapsedTimer t;
        t.start();
        while (form->RunState != TRunState::Idle) {
            if (t.elapsed() > 30000) return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        QApplication::processEvents();
        return true;
    }
    // A viewer action, its file dialog answered with a result file.
    template <class Frame> Frame* Open(const char* action, const std::string& result) {
        dialogs->AnswerFiles({out + "/" + result});
        form->Act(action)->trigger();
        QApplication::processEvents();
        EXPECT_EQ(form->PageControlEditor->ActivePage()->Caption(), result);
        return dynamic_cast<Frame*>(form->ResultTabs->ActiveFrame());
    }
    std::string Shown() const {
        auto* f = dynamic_cast<TFrameSimpleViewer*>(form->ResultTabs->ActiveFrame());
        return f ? f->RichEditSourceView->Text8() : std::string();
    }
    // The node opened as the user opens it (its children are made then).
    static std::vector<std::string> Children(QTreeWidgetItem* node) {
        node->treeWidget()->expandItem(node);
        QApplication::processEvents();
        std::vector<std::string> v;
        for (int i = 0; i < node->childCount(); ++i) v.push_back(node->child(i)->text(0).toStdString());
        return v;
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> v;
        for (const auto& r : recorder.records)
            if (r.kind == TStatusRecord::Error || r.kind == TStatusRecord::Fatal) v.push_back(r.text);
        return v;
    }

    pemtest::TempDir work;
    std::string out;
    std::unique_ptr<TfrmXMLViewer> viewer;
    std::unique_ptr<TfrmCompoundMetrics> metrics;
};

TEST_F(DemoResultsTest, EveryKindOfResultOpensWithRealContent) {
    StartOnDemoJob();
    ASSERT_EQ(form->SourceFiles.CheckedCount(), 3) << "the demo job is open";
    recorder.records.clear();
    ASSERT_TRUE(RunAnalysis());
    ASSERT_TRUE(recorder.HasText("Analysis completed, processing finished")) << ::testing::PrintToString(Errors());

    // A metrics report, in the simple viewer.
    Open<TFrameSimpleViewer>("ActViewMetrics", "Metrics/Billing/Invoice/INVOICE.met");
    EXPECT_NE(Shown().find("Number of Statements"), std::string::npos) << Shown();

    // The post-documentation listings: a native one brings its four
    // neighbours along; the joined one holds all five.
    for (const char* listing : {"Specs/Billing/Invoice/INVOICE.prc", "Specs/Billing/Invoice/INVOICE.COB"}) {
        SCOPED_TRACE(listing);
        auto* specs = Open<TFrameSpecs>("ActViewSpecs", listing);
        ASSERT_NE(specs, nullptr);
        ASSERT_EQ(specs->TreeView1->topLevelItemCount(), 1);
        QTreeWidgetItem* source = specs->TreeView1->topLevelItem(0);
        EXPECT_EQ(source->text(0).toStdString(), "INVOICE.cbl");
        ASSERT_EQ(Children(source),
                  (std::vector<std::string>{"Interface  Structure", "Procedural Structure", "Decisional Structure",
                                            "Data Flow  Structure", "Used Data  Structure"}));
        // The procedural structure lists the paragraphs; selecting one shows
        // its line in the sample source.
        specs->TreeView1->setCurrentItem(source->child(1));
        QApplication::processEvents();
        ASSERT_EQ(Children(source->child(1)).size(), 2u) << ::testing::PrintToString(Children(source->child(1)));
        EXPECT_EQ(source->child(1)->child(0)->text(0).toStdString(), "Main-para:Perform read-customer");
        specs->TreeView1->setCurrentItem(source->child(1)->child(0));
        QApplication::processEvents();
        EXPECT_EQ(specs->RichEditSourceView->textCursor().selectedText().trimmed().toStdString(), "MAIN-PARA.");
        EXPECT_EQ(Errors(), std::vector<std::string>{});
    }

    // The deficiency listing: its sources, rules and the lines they mark.
    auto* defi = Open<TFrameDefi>("ActViewDefis", "Defis/Billing/Invoice/INVOICE.def");
    ASSERT_NE(defi, nullptr);
    ASSERT_EQ(defi->TreeView1->topLevelItemCount(), 1);
    QTreeWidgetItem* source = defi->TreeView1->topLevelItem(0);
    EXPECT_EQ(source->text(0).toStdString(), "INVOICE.cbl");
    ASSERT_EQ(Children(source), (std::vector<std::string>{"Defi's", "Warnings"}));
    ASSERT_EQ(Children(source->child(0)), std::vector<std::string>{"21 Literal in procedure code"});
    ASSERT_EQ(Children(source->child(0)->child(0)), std::vector<std::string>{"18"});
    QTreeWidgetItem* item = source->child(0)->child(0)->child(0);
    defi->TreeView1->setCurrentItem(item);
    QApplication::processEvents();
    EXPECT_NE(defi->LabelCounters->Caption().find("Number of medium Rule Violations =     1"), std::string::npos);
    EXPECT_EQ(defi->RichEditSourceView->textCursor().selectedText().trimmed().toStdString(),
              "MOVE 'ACME' TO CUST-NAME.");
    EXPECT_EQ(Errors(), std::vector<std::string>{});

    // The module ranking, with limits low enough for every module to count.
    dialogs->formHook = [](TModalWindow& w) {
        auto& d = dynamic_cast<TfrmGetLimits&>(w);
        d.DigitMaskEditStmtNumberLimit->SetText("0000005");
        d.DigitMaskEditComplexityLimit->SetText("0.5");
        d.DigitMaskEditQualityLimit->SetText("0.9");
        d.BitBtnOK->click();
    };
    form->Act("ActModuleRanking")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    const std::string ranking = Shown();
    EXPECT_NE(ranking.find("Modules with number of statements more than 5"), std::string::npos) << ranking;
    EXPECT_NE(ranking.find("Modules with program complexity greater than 0.500"), std::string::npos) << ranking;
    EXPECT_NE(ranking.find("Billing/Invoice/INVOICE.met"), std::string::npos) << ranking;
    EXPECT_EQ(ranking.find("<No hit>"), std::string::npos) << ranking;

    // The deficiency ranking counts the rules over the three listings.
    form->Act("ActDeficiencyRanking")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    const std::string rules = Shown();
    EXPECT_NE(rules.find("   Major deficiences sorted by deficiency code"), std::string::npos) << rules;
    EXPECT_NE(rules.find("(12) Missing comment block"), std::string::npos) << rules;
    EXPECT_NE(rules.find("(21) Literal in procedure code"), std::string::npos) << rules;

    // The compound metrics start from the system's document in Tavrel.
    form->Act("ActCompoundMetrics")->trigger();
    QApplication::processEvents();
    ASSERT_FALSE(metrics->isHidden());
    ASSERT_EQ(metrics->CBImportFiles->Count(), 1);
    EXPECT_EQ(metrics->CBImportFiles->item(0)->checkState(), Qt::Checked) << "the job's own product";
    metrics->BitBtnCreateReport->click();
    QApplication::processEvents();
    const std::string compound = pemtest::ReadFile(out + "/Demo_Compound_Metrics.xml");
    EXPECT_NE(compound.find("ENumOfSummed=\"1\""), std::string::npos) << compound;
    EXPECT_NE(compound.find("<Nr_Stmts"), std::string::npos) << compound;
    EXPECT_NE(compound.find("<Program_Quality"), std::string::npos) << compound;
    EXPECT_EQ(Errors(), std::vector<std::string>{});
}

// The C job's module specifications: each source's sections from the demo
// analysis, their entries added as they are opened, each jumping to its
// line in the sample source.
TEST_F(DemoResultsTest, ModuleSpecificationsOfTheCJobShowTheirSectionsAndEntries) {
    StartOnDemoJob("Tally", "C");
    ASSERT_EQ(form->SourceFiles.CheckedCount(), 2) << "the demo job is open";
    recorder.records.clear();
    ASSERT_TRUE(RunAnalysis());
    ASSERT_TRUE(recorder.HasText("Analysis completed, processing finished")) << ::testing::PrintToString(Errors());

    auto* specs = Open<TFrameSpecsObj>("ActViewSpecs", "Specs/Tally/Count/tally.C");
    ASSERT_NE(specs, nullptr);
    ASSERT_EQ(specs->TreeView1->topLevelItemCount(), 1);
    QTreeWidgetItem* source = specs->TreeView1->topLevelItem(0);
    EXPECT_EQ(source->text(0).toStdString(), "tally.c");
    ASSERT_EQ(Children(source), (std::vector<std::string>{"Includes", "Methods/Procedures", "Function references",
                                                          "Data attributes", "Condition logic"}));
    const auto select = [&](QTreeWidgetItem* node) {
        specs->TreeView1->setCurrentItem(node);
        QApplication::processEvents();
    };
    const auto selected = [&] {
        return specs->RichEditSourceView->textCursor().selectedText().trimmed().toStdString();
    };

    // A method: its head in the source.
    QTreeWidgetItem* methods = source->child(1);
    select(methods);
    ASSERT_EQ(Children(methods), (std::vector<std::string>{"tally_reset(struct tally *t)",
                                                           "tally_add(struct tally *t, int value)",
                                                           "tally_mean(const struct tally *t)",
                                                           "tally_fill(struct tally *t, const int *values, int n)"}));
    select(methods->child(1));
    EXPECT_EQ(selected(), "int tally_add(struct tally *t, int value) {");

    // The calls each function makes, grouped by the caller; a call selects
    // its name in its line.
    QTreeWidgetItem* references = source->child(2);
    select(references);
    ASSERT_EQ(Children(references), (std::vector<std::string>{"tally_reset", "tally_fill"}));
    ASSERT_EQ(Children(references->child(1)), (std::vector<std::string>{"tally_reset", "tally_add"}));
    select(references->child(1)->child(1));
    EXPECT_EQ(selected(), "tally_add");

    // The conditions, shown as the section's text.
    select(source->child(4));
    EXPECT_EQ(specs->LabelListType->Caption(), "Condition logic");
    const std::string memo = specs->MemoSpecs->document()->toPlainText().toStdString();
    EXPECT_NE(memo.find("   30 for (int i = 0; i < n; i++)"), std::string::npos) << memo;
    EXPECT_EQ(Errors(), std::vector<std::string>{});

    // The header's listing: the record's fields.
    specs = Open<TFrameSpecsObj>("ActViewSpecs", "Specs/Tally/Count/tallyrec.C");
    ASSERT_NE(specs, nullptr);
    ASSERT_EQ(specs->TreeView1->topLevelItemCount(), 1);
    source = specs->TreeView1->topLevelItem(0);
    EXPECT_EQ(source->text(0).toStdString(), "tallyrec.h");
    ASSERT_EQ(Children(source), std::vector<std::string>{"Data attributes"});
    select(source->child(0));
    ASSERT_EQ(Children(source->child(0)), (std::vector<std::string>{"int count;", "long sum;", "int largest;"}));
    select(source->child(0)->child(1));
    EXPECT_EQ(selected(), "long sum;");
    EXPECT_EQ(Errors(), std::vector<std::string>{});
}

// Each document scanner of the Mindra installation names its two report
// buttons.
TEST_F(DemoResultsTest, MindraReportButtonsCarryTheirCaptions) {
    CopyTree(kDemo);
    Start("Mindra");
    struct Case {
        const char* button;
        const char* statistic;
        const char* ranking;
    } const cases[] = {
        {"RadioButtonMindraDEFI", "View Defect Statistic Report", "View Defect Ranking Report"},
        {"RadioButtonMindraCHNG", "View Change Statistic Report", "View Change Ranking Report"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        dynamic_cast<TRadioButton*>(form->FindComponent(c.button))->click();
        QApplication::processEvents();
        EXPECT_EQ(form->Act("ActSpecStatistic")->Caption(), c.statistic);
        EXPECT_EQ(form->Act("ActSpecRanking")->Caption(), c.ranking);
    }
}

} // namespace
