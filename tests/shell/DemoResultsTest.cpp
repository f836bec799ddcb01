// The demo installation as a person meets it: a demo job opened from the
// command line as the product the demo names for it, analysed by the demo
// tool, and every kind of its results opened through what that product
// shows: an entry of its menus or a button, shown and enabled, each result
// with real content.
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
#include <QMenuBar>
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
    // demo job with its paths filled in and the product's job extension
    // (its output directory named after the product and language code),
    // started as the product on that job.
    void StartOnDemoJob(const std::string& product, const std::string& name, const std::string& code) {
        out = work / ("output/" + product + "/" + code);
        CopyTree(kDemo);
        for (const auto& e : fs::recursive_directory_iterator(install / "Tools"))
            if (e.path().extension() == ".exe")
                fs::copy_file(PROGRAM_DIR "/demo_tool", e.path(), fs::copy_options::overwrite_existing);
        fs::create_directories(out);
        std::string job = pemtest::ReadFile(kDemo + "/jobs/" + name + ".job.in");
        for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@OUTPUT@", out},
                                          {"@SAMPLE@", install / "sample"}})
            for (size_t at; (at = job.find(mark)) != std::string::npos;) job.replace(at, mark.size(), value);
        const std::string jobFile = install / (name + (product == "Lumidor" ? ".jlmd" : ".jkvx"));
        pemtest::WriteFile(jobFile, job);
        pem::SetCommandLine({"-Proj", jobFile});
        Start(product);
        viewer = std::make_unique<TfrmXMLViewer>();
        metrics = std::make_unique<TfrmCompoundMetrics>();
        metrics->DoCreate();
        dialogs->Reset();
    }

    // The action chosen from the window's menus: an entry of a menu of the
    // menu bar, shown and enabled.
    ::testing::AssertionResult FromMenu(const char* name) {
        TAction* a = form->Act(name);
        if (!a->Visible() || !a->isEnabled())
            return ::testing::AssertionFailure() << name << " is not shown or not enabled";
        for (QAction* entry : form->menuBar()->actions())
            if (entry->isVisible() && entry->menu() && entry->menu()->actions().contains(a)) {
                a->trigger(); // what choosing the entry does
                QApplication::processEvents();
                return ::testing::AssertionSuccess();
            }
        return ::testing::AssertionFailure() << name << " is in none of the window's menus";
    }
    // The action's button, shown and enabled, clicked.
    ::testing::AssertionResult ByButton(const char* name) {
        TAction* a = form->Act(name);
        for (TBitBtn* b : form->findChildren<TBitBtn*>())
            if (b->Action() == a) {
                if (!b->isVisibleTo(form.get()) || !b->isEnabled())
                    return ::testing::AssertionFailure() << "the button of " << name << " is not shown or not enabled";
                b->click();
                QApplication::processEvents();
                return ::testing::AssertionSuccess();
            }
        return ::testing::AssertionFailure() << name << " has no button";
    }
    // A run started by its button, to its end.
    ::testing::AssertionResult Run(const char* action) {
        recorder.records.clear();
        if (auto clicked = ByButton(action); !clicked) return clicked;
        QElapsedTimer t;
        t.start();
        while (form->RunState != TRunState::Idle) {
            if (t.elapsed() > 30000) return ::testing::AssertionFailure() << "the run did not end";
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        QApplication::processEvents();
        return ::testing::AssertionSuccess();
    }
    bool Completed() const { return recorder.HasText("Analysis completed, processing finished"); }
    static std::vector<std::string> Items(const TCheckListBox* list) {
        std::vector<std::string> v;
        for (int i = 0; i < list->Count(); ++i) v.push_back(list->item(i)->text().toStdString());
        return v;
    }
    // A viewer from the Viewers menu, its file dialog answered with a result file.
    template <class Frame> Frame* Open(const char* action, const std::string& result) {
        dialogs->AnswerFiles({out + "/" + result});
        EXPECT_TRUE(FromMenu(action));
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
    static void Select(TListingTreeFrame* f, QTreeWidgetItem* node) {
        f->TreeView1->setCurrentItem(node);
        QApplication::processEvents();
    }
    static std::string Selected(TListingTreeFrame* f) {
        return f->RichEditSourceView->textCursor().selectedText().trimmed().toStdString();
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

// Korvex on the COBOL job: the metrics reports and deficiency listings from
// the Viewers menu, the rankings and the compound metrics from their
// buttons. Its menus offer no specification listing viewer.
TEST_F(DemoResultsTest, KorvexOpensTheMetricsDeficienciesAndEvaluationsOfTheCobolJob) {
    StartOnDemoJob("Korvex", "Billing", "COB");
    ASSERT_EQ(form->SourceFiles.CheckedCount(), 3) << "the demo job is open";
    ASSERT_TRUE(Run("ActRunAnal"));
    ASSERT_TRUE(Completed()) << ::testing::PrintToString(Errors());
    EXPECT_FALSE(form->Act("ActViewSpecs")->Visible());

    // A metrics report, in the simple viewer.
    Open<TFrameSimpleViewer>("ActViewMetrics", "Metrics/Billing/Invoice/INVOICE.met");
    EXPECT_NE(Shown().find("Number of Statements"), std::string::npos) << Shown();

    // The deficiency listing: its sources, rules and the lines they mark.
    auto* defi = Open<TFrameDefi>("ActViewDefis", "Defis/Billing/Invoice/INVOICE.def");
    ASSERT_NE(defi, nullptr);
    ASSERT_EQ(defi->TreeView1->topLevelItemCount(), 1);
    QTreeWidgetItem* source = defi->TreeView1->topLevelItem(0);
    EXPECT_EQ(source->text(0).toStdString(), "INVOICE.cbl");
    ASSERT_EQ(Children(source), (std::vector<std::string>{"Defi's", "Warnings"}));
    ASSERT_EQ(Children(source->child(0)), std::vector<std::string>{"21 Literal in procedure code"});
    ASSERT_EQ(Children(source->child(0)->child(0)), std::vector<std::string>{"18"});
    Select(defi, source->child(0)->child(0)->child(0));
    EXPECT_NE(defi->LabelCounters->Caption().find("Number of medium Rule Violations =     1"), std::string::npos);
    EXPECT_EQ(Selected(defi), "MOVE 'ACME' TO CUST-NAME.");
    EXPECT_EQ(Errors(), std::vector<std::string>{});

    // The module ranking, with limits low enough for every module to count.
    dialogs->formHook = [](TModalWindow& w) {
        auto& d = dynamic_cast<TfrmGetLimits&>(w);
        d.DigitMaskEditStmtNumberLimit->SetText("0000005");
        d.DigitMaskEditComplexityLimit->SetText("0.5");
        d.DigitMaskEditQualityLimit->SetText("0.9");
        d.BitBtnOK->click();
    };
    ASSERT_TRUE(ByButton("ActModuleRanking"));
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    const std::string ranking = Shown();
    EXPECT_NE(ranking.find("Modules with number of statements more than 5"), std::string::npos) << ranking;
    EXPECT_NE(ranking.find("Modules with program complexity greater than 0.500"), std::string::npos) << ranking;
    EXPECT_NE(ranking.find("Billing/Invoice/INVOICE.met"), std::string::npos) << ranking;
    EXPECT_EQ(ranking.find("<No hit>"), std::string::npos) << ranking;

    // The deficiency ranking counts the rules over the three listings.
    ASSERT_TRUE(ByButton("ActDeficiencyRanking"));
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    const std::string rules = Shown();
    EXPECT_NE(rules.find("   Major deficiences sorted by deficiency code"), std::string::npos) << rules;
    EXPECT_NE(rules.find("(12) Missing comment block"), std::string::npos) << rules;
    EXPECT_NE(rules.find("(21) Literal in procedure code"), std::string::npos) << rules;

    // The compound metrics start from the system's document in Tavrel.
    ASSERT_TRUE(ByButton("ActCompoundMetrics"));
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

// Lumidor on the COBOL job: the post-documentation listings from the
// Viewers menu. A native one brings its four neighbours along; the joined
// one holds all five.
TEST_F(DemoResultsTest, LumidorOpensThePostDocumentationOfTheCobolJobAsATree) {
    StartOnDemoJob("Lumidor", "Billing", "COB");
    ASSERT_EQ(form->SourceFiles.CheckedCount(), 3) << "the demo job is open";
    ASSERT_TRUE(Run("ActRunAnal"));
    ASSERT_TRUE(Completed()) << ::testing::PrintToString(Errors());

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
        Select(specs, source->child(1));
        ASSERT_EQ(Children(source->child(1)).size(), 2u) << ::testing::PrintToString(Children(source->child(1)));
        EXPECT_EQ(source->child(1)->child(0)->text(0).toStdString(), "Main-para:Perform read-customer");
        Select(specs, source->child(1)->child(0));
        EXPECT_EQ(Selected(specs), "MAIN-PARA.");
        EXPECT_EQ(Errors(), std::vector<std::string>{});
    }
}

// Lumidor on the C job: the module specifications from the Viewers menu,
// each source's sections from the demo analysis, their entries added as
// they are opened, each jumping to its line in the sample source. The
// header shares its name with the C file beside it: listed as "tally_1.h",
// it shows the header itself.
TEST_F(DemoResultsTest, LumidorOpensTheModuleSpecificationsOfTheCJobAsATree) {
    StartOnDemoJob("Lumidor", "Tally", "C");
    ASSERT_EQ(form->SourceFiles.CheckedCount(), 2) << "the demo job is open";
    ASSERT_TRUE(Run("ActRunAnal"));
    ASSERT_TRUE(Completed()) << ::testing::PrintToString(Errors());

    auto* specs = Open<TFrameSpecsObj>("ActViewSpecs", "Specs/Tally/Count/tally.C");
    ASSERT_NE(specs, nullptr);
    ASSERT_EQ(specs->TreeView1->topLevelItemCount(), 1);
    QTreeWidgetItem* source = specs->TreeView1->topLevelItem(0);
    EXPECT_EQ(source->text(0).toStdString(), "tally.c");
    ASSERT_EQ(Children(source), (std::vector<std::string>{"Includes", "Methods/Procedures", "Function references",
                                                          "Data attributes", "Condition logic"}));

    // A method: its head in the source.
    QTreeWidgetItem* methods = source->child(1);
    Select(specs, methods);
    ASSERT_EQ(Children(methods), (std::vector<std::string>{"tally_reset(struct tally *t)",
                                                           "tally_add(struct tally *t, int value)",
                                                           "tally_mean(const struct tally *t)",
                                                           "tally_fill(struct tally *t, const int *values, int n)"}));
    Select(specs, methods->child(1));
    EXPECT_EQ(Selected(specs), "int tally_add(struct tally *t, int value) {");

    // The calls each function makes, grouped by the caller; a call selects
    // its name in its line.
    QTreeWidgetItem* references = source->child(2);
    Select(specs, references);
    ASSERT_EQ(Children(references), (std::vector<std::string>{"tally_reset", "tally_fill"}));
    ASSERT_EQ(Children(references->child(1)), (std::vector<std::string>{"tally_reset", "tally_add"}));
    Select(specs, references->child(1)->child(1));
    EXPECT_EQ(Selected(specs), "tally_add");

    // The conditions, shown as the section's text.
    Select(specs, source->child(4));
    EXPECT_EQ(specs->LabelListType->Caption(), "Condition logic");
    const std::string memo = specs->MemoSpecs->document()->toPlainText().toStdString();
    EXPECT_NE(memo.find("   30 for (int i = 0; i < n; i++)"), std::string::npos) << memo;
    EXPECT_EQ(Errors(), std::vector<std::string>{});

    // The header's listing: the record's fields, in the header's own text.
    specs = Open<TFrameSpecsObj>("ActViewSpecs", "Specs/Tally/Count/tally_1.C");
    ASSERT_NE(specs, nullptr);
    ASSERT_EQ(specs->TreeView1->topLevelItemCount(), 1);
    source = specs->TreeView1->topLevelItem(0);
    EXPECT_EQ(source->text(0).toStdString(), "tally_1.h");
    ASSERT_EQ(Children(source), std::vector<std::string>{"Data attributes"});
    Select(specs, source->child(0));
    ASSERT_EQ(Children(source->child(0)), (std::vector<std::string>{"int count;", "long sum;", "int largest;"}));
    Select(specs, source->child(0)->child(1));
    EXPECT_EQ(specs->FileName, install / "sample/Tally/Count/tally.h");
    EXPECT_EQ(Selected(specs), "long sum;");
    EXPECT_EQ(Errors(), std::vector<std::string>{});
}

// Korvex on the Java job: the analysis wants a word list; the word scan
// makes it, and the analysis then runs and its report opens.
TEST_F(DemoResultsTest, TheJavaShopIsScannedForItsWordListAndThenAnalysed) {
    StartOnDemoJob("Korvex", "Shop", "JAV");
    ASSERT_EQ(form->SourceFiles.CheckedCount(), 1) << "the demo job is open";
    ASSERT_TRUE(Run("ActRunAnal"));
    EXPECT_EQ(Errors(), std::vector<std::string>{"You have to prepare a word list first!"});

    ASSERT_TRUE(Run("ActRunWordScanner"));
    ASSERT_TRUE(Completed()) << ::testing::PrintToString(Errors());
    EXPECT_EQ(Items(form->CheckListBoxControlTags), (std::vector<std::string>{"FUNC add", "FUNC total"}));
    EXPECT_EQ(Items(form->CheckListBoxObjects), (std::vector<std::string>{"Cart", "prices"}));

    ASSERT_TRUE(Run("ActRunAnal"));
    ASSERT_TRUE(Completed()) << ::testing::PrintToString(Errors());
    Open<TFrameSimpleViewer>("ActViewMetrics", "Metrics/Shop/src/Cart.met");
    EXPECT_NE(Shown().find("Source: Cart.java"), std::string::npos) << Shown();
    EXPECT_TRUE(fs::exists(out + "/Specs/Shop/src/Cart"));
    EXPECT_TRUE(fs::exists(out + "/Defis/Shop/src/Cart.def"));
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
