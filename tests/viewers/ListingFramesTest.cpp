// The listing frames in result tabs, reached the way a user reaches them:
// a listing opened through the tabs, nodes clicked in the tree, a number
// double-clicked in the memo, an object typed into the lookup, the sort
// actions triggered. Module specification, post-documentation, deficiency
// and plain listings from tests/fixtures/listings, their sources found
// below the fixture's source tree.
#include "ListingFrames.h"
#include "DefiFrame.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "QtTestSupport.h"
#include "QtText.h"
#include "ResultTabs.h"
#include "SpecsFrame.h"
#include "SpecsFrameGer.h"
#include "SpecsFrameObj.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTreeWidgetItem>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kListings = FIXTURES_DIR "/listings";

class Context : public IProjectContext {
public:
    std::string out, lang = "JAV", root = kListings + "/sources";
    bool autoExpand = false, compressed = false;
    TProjectFileStructure files;
    TFontSpec font{"Lucida Console", 1, 8, -11};
    TMyStatusBar* bar = nullptr;
    std::string OutputDirectory() override { return out; }
    std::string ProjectLanguageCode() override { return lang; }
    bool ProjectLanguageInList(const std::string& list) override { return LanguageInList(lang, list); }
    int ProjectProductKind() override { return 0; }
    int ProjectRunMode() override { return 1; }
    std::string ProjectSystemName() override { return "PAY"; }
    std::string ProjectTestToolLog() override { return ""; }
    int ProjectFileViewStyle() override { return 1; }
    TFontSpec& ProjectViewerFont() override { return font; }
    std::string ProjectEditorProgram() override { return "NOTEPAD.EXE"; }
    TMyStatusBar* ProjectStatusBar() override { return bar; }
    std::string ProjectCommonRoot() override { return root; }
    bool ProjectRestoreLongExtension(const std::string& ext, std::string& longExt) override {
        longExt = ext == ".JAV" ? ".java" : ext == ".java" ? ".JAV" : ext;
        return longExt != ext;
    }
    TProjectFileStructure ProjectFileStructure() override { return files; }
    bool ProjectViewerAutoExpand() override { return autoExpand; }
    bool ProjectSpecViewerCompressedTree() override { return compressed; }
};

class ListingFramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        host = std::make_unique<TForm>("frmHost");
        ctx.bar = new TMyStatusBar(host.get(), host.get(), "MyStB");
        ctx.out = dir / "out";
        PageControlMain = new TPageControl(host.get(), host->Client(), "PageControlMain");
        TabSheetNames = new TTabSheet(host.get(), PageControlMain, "TabSheetNames", "Names");
        TabSheetViewer = new TTabSheet(host.get(), PageControlMain, "TabSheetViewer", "Internal viewer");
        PageControlEditor = new TPageControl(host.get(), TabSheetViewer, "PageControlEditor");
        auto* actions = new TActionList(host.get(), "ActionListMain");
        TResultTabControls c;
        c.PageControlMain = PageControlMain;
        c.TabSheetViewer = TabSheetViewer;
        c.TabSheetNames = TabSheetNames;
        c.PageControlEditor = PageControlEditor;
        c.OpenDialogWork = new TOpenDialog(host.get(), "OpenDialogWork");
        c.ActPrintCurrent = PrintCurrent = new TAction(actions, "ActPrintCurrent", "&Print ", "Print");
        c.ActSortBySource = SortBySource = new TAction(actions, "ActSortBySource", "Sort by source file name", "Sort");
        c.ActSortByLevel = SortByLevel = new TAction(actions, "ActSortByLevel", "Sort by deficiency level", "Sort");
        c.ActSortByRuleName = SortByRule = new TAction(actions, "ActSortByRuleName", "Sort by rules", "Sort");
        c.TabOwner = host.get();
        tabs = std::make_unique<TResultTabs>(ctx, c);
        RegisterListingFrames(*tabs);
        for (TAction* a : {SortBySource, SortByLevel, SortByRule}) {
            a->setCheckable(true);
            a->OnExecute = [this](TComponent* s) { tabs->Sort(static_cast<TAction*>(s)); };
        }
        for (const char* f : {"payroll.JAV", "payroll.def"})
            Copy(kListings + "/" + f, std::string(f) == "payroll.def" ? "Defis/COMP/MOD" : "Specs/COMP/MOD");
        for (const auto& e : fs::directory_iterator(kListings + "/post")) Copy(e.path().string(), "Specs/COMP/MOD");
        host->resize(1000, 700);
        host->show();
    }
    void TearDown() override {
        tabs.reset();
        host.reset();
    }
    void Copy(const std::string& from, const std::string& toFolder) {
        fs::create_directories(ctx.out + "/" + toFolder);
        fs::copy_file(from, ctx.out + "/" + toFolder + "/" + fs::path(from).filename().string(),
                      fs::copy_options::overwrite_existing);
    }
    template <class F> F* Open(const std::string& rel, bool defi = false) {
        const std::string file = ctx.out + "/" + rel;
        RunGuarded([&] { defi ? tabs->OpenDefiReport(file) : tabs->OpenSpecsReport(file); });
        QApplication::processEvents();
        return dynamic_cast<F*>(tabs->ActiveFrame());
    }
    // A click on the node, as the mouse gives it.
    static void Click(QTreeWidget* tree, QTreeWidgetItem* node) {
        ASSERT_NE(node, nullptr);
        tree->scrollToItem(node);
        const QPoint at = tree->visualItemRect(node).center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(at), tree->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(tree->viewport(), &e);
        }
        QApplication::processEvents();
    }
    static void Click(TListingTreeFrame* f, const std::vector<std::string>& path) {
        Click(f->TreeView1, f->FindNode(path));
    }
    // Double-clicks the text at the character position of the memo.
    static void DoubleClick(QPlainTextEdit* memo, int position) {
        QTextCursor c(memo->document());
        c.setPosition(position);
        const QPoint at = memo->cursorRect(c).center() + QPoint(1, 0);
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(at), memo->viewport()->mapToGlobal(QPointF(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(memo->viewport(), &e);
        QApplication::processEvents();
    }
    static std::string Current(TListingTreeFrame* f) {
        QTreeWidgetItem* c = f->TreeView1->currentItem();
        return c ? FromQ(c->text(0)) : std::string();
    }
    // The selected text of the view and the colours of its marks.
    static std::string Selected(TListingView* v) {
        return FromQ(v->textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n'));
    }
    static std::vector<std::pair<std::string, QColor>> Marks(TListingView* v) {
        std::vector<std::pair<std::string, QColor>> m;
        for (const auto& s : v->extraSelections())
            m.emplace_back(FromQ(s.cursor.selectedText()), s.format.foreground().color());
        return m;
    }
    static int TopLine(TListingView* v) { return v->cursorForPosition(QPoint(0, 0)).blockNumber(); }
    // The line (from 0) where the selection begins.
    static int SelLine(QPlainTextEdit* e) {
        return e->document()->findBlock(e->textCursor().selectionStart()).blockNumber();
    }
    bool Has(TStatusRecord::Kind kind, const std::string& text) const { return recorder.Has(kind, text); }

    pemtest::TempDir dir;
    pemtest::ScopedDialogs dialogs;
    pemtest::StatusRecorder recorder;
    Context ctx;
    std::unique_ptr<TForm> host;
    TPageControl *PageControlMain = nullptr, *PageControlEditor = nullptr;
    TTabSheet *TabSheetNames = nullptr, *TabSheetViewer = nullptr;
    TAction *PrintCurrent = nullptr, *SortBySource = nullptr, *SortByLevel = nullptr, *SortByRule = nullptr;
    std::unique_ptr<TResultTabs> tabs;
};

const std::string kSources = kListings + "/sources/COMP/MOD/";

// ------------------------------------------------------------ module specification

TEST_F(ListingFramesTest, ModuleSpecificationSectionsAndFunctionReferences) {
    auto* f = Open<TFrameSpecsObj>("Specs/COMP/MOD/payroll.JAV");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Name(), "tsv0FrameSpecs");
    EXPECT_EQ(f->LabelDescr->Caption(), "Component: COMP Module: MOD Source: payroll.JAV");
    EXPECT_EQ(f->TreeText().substr(0, 30), "payroll.c\n  Includes\n  Functio");
    EXPECT_EQ(f->PrintRoute(), IPrintableFrame::TRoute::HardCopy);

    Click(f, {"payroll.c", "Function references"});
    EXPECT_EQ(f->FileName, kSources + "payroll.c");
    EXPECT_EQ(f->LabelDescr->Caption(), "Component: COMP Module: MOD Source: payroll.c");
    EXPECT_EQ(f->LabelListType->Caption(), "Function references");
    EXPECT_EQ(f->LabelComment->Caption(), "FUNCTIONS REFERENCES");
    EXPECT_EQ(f->MemoSpecs->Line(0), "Function references");
    // The references came below the section, which stands open.
    QTreeWidgetItem* section = f->FindNode({"payroll.c", "Function references"});
    EXPECT_TRUE(section->isExpanded());
    EXPECT_EQ(section->childCount(), 2);
    EXPECT_EQ(f->PrintFile(), kSources + "payroll.c");

    // A reference: its memo line selected, its group's line in green, the
    // name in its own line selected in red.
    Click(f, {"payroll.c", "Function references", "compute_pay(int hours)", "printf"});
    EXPECT_EQ(Selected(f->RichEditSourceView), "printf");
    EXPECT_EQ(SelLine(f->RichEditSourceView), 12);
    const auto marks = Marks(f->RichEditSourceView);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].first, "int compute_pay(int hours) {");
    EXPECT_EQ(marks[0].second, QColor(Qt::darkGreen));
    EXPECT_EQ(marks[1], std::make_pair(std::string("printf"), QColor(Qt::red)));
    EXPECT_EQ(SelLine(f->MemoSpecs), 5);

    // A group: its source line, four lines below the top; only this mark.
    Click(f, {"payroll.c", "Function references", "main"});
    EXPECT_EQ(SelLine(f->RichEditSourceView), 19);
    EXPECT_EQ(Selected(f->RichEditSourceView), "int main() {\n");
    EXPECT_TRUE(Marks(f->RichEditSourceView).empty());

    // Another kind: entries below the section, not expanded by themselves.
    Click(f, {"payroll.c", "Methods/Procedures"});
    QTreeWidgetItem* methods = f->FindNode({"payroll.c", "Methods/Procedures"});
    EXPECT_EQ(methods->childCount(), 2);
    Click(f, {"payroll.c", "Methods/Procedures", "compute_pay (int hours)"});
    EXPECT_EQ(SelLine(f->RichEditSourceView), 9);
    EXPECT_EQ(TopLine(f->RichEditSourceView), 9 - kJumpFromTree);
}

TEST_F(ListingFramesTest, ModuleSpecificationSourcesAreLookedForInTurn) {
    auto* f = Open<TFrameSpecsObj>("Specs/COMP/MOD/payroll.JAV");
    ASSERT_NE(f, nullptr);
    // Named without extension: the language's extension.
    Click(f, {"progb", "Data attributes"});
    EXPECT_EQ(f->FileName, kSources + "progb.JAV");
    // The input tree's short extension: the long one.
    Click(f, {"legacy.JAV", "Includes"});
    EXPECT_EQ(f->FileName, kSources + "legacy.java");
    // A UTF-16LE source shows as 8-bit text.
    Click(f, {"wide.c", "Includes"});
    EXPECT_EQ(f->RichEditSourceView->Line(1), "int caf\xe9 = 1;");
    EXPECT_EQ(f->RichEditSourceView->LineCount(), 2);
    // No file at all: the error, and the frame stays as it was.
    Click(f, {"lost.c", "Includes"});
    EXPECT_TRUE(Has(TStatusRecord::Error, "Source file " + kListings + "/sources/MOD/lost.c is not available"));
    EXPECT_EQ(Current(f), "Includes");
    EXPECT_EQ(f->FindNode({"wide.c", "Includes"}), f->TreeView1->currentItem());
    EXPECT_EQ(f->FileName, kSources + "wide.c");
}

TEST_F(ListingFramesTest, ANumberDoubleClickedInTheMemoJumpsToItsSourceLine) {
    auto* f = Open<TFrameSpecsObj>("Specs/COMP/MOD/payroll.JAV");
    ASSERT_NE(f, nullptr);
    Click(f, {"payroll.c", "Function references"});
    // "   21 compute_pay": the number 21.
    const int line8 = f->MemoSpecs->document()->findBlockByNumber(8).position();
    DoubleClick(f->MemoSpecs, line8 + 4);
    EXPECT_EQ(SelLine(f->RichEditSourceView), 20);
    EXPECT_EQ(Selected(f->RichEditSourceView), "    return compute_pay(40);\n");
    // A number beyond the source.
    Click(f, {"payroll.c", "Test cases"});
    const int line1 = f->MemoSpecs->document()->findBlockByNumber(1).position();
    DoubleClick(f->MemoSpecs, line1 + 4);
    EXPECT_TRUE(Has(TStatusRecord::Error, "Line number 40 is too high"));
}

TEST_F(ListingFramesTest, AnEntryAtLineZeroShowsTheFirstSourceLine) {
    const auto box = [](std::string text) {
        text = "|" + text;
        text.resize(119, ' ');
        return text + "|\n";
    };
    const std::string border = "+" + std::string(118, '-') + "+\n";
    pemtest::WriteFile(ctx.out + "/Specs/COMP/MOD/zero.JAV",
                       border + box("          P E M A R I S   M O D U L E   S P E C I F I C A T I O N") + box("") +
                           box(" SYSTEM: PAY") + box(" PRODUCT: DEMO") + box(" COMPONENT: COMP") +
                           box(" LANGUAGE: JAVA") + box("   SOURCE NAME: payroll.c") + border +
                           box("        METHODS/PROCEDURES") + border + box("      :+-------------") +
                           box("     0:nowhere") + border);
    auto* f = Open<TFrameSpecsObj>("Specs/COMP/MOD/zero.JAV");
    ASSERT_NE(f, nullptr);
    Click(f, {"payroll.c", "Methods/Procedures"});
    Click(f, {"payroll.c", "Methods/Procedures", "nowhere"});
    EXPECT_EQ(SelLine(f->RichEditSourceView), 0);
    EXPECT_EQ(Selected(f->RichEditSourceView), "/* payroll */\n");
    EXPECT_FALSE(recorder.Has(TStatusRecord::Error, "Line number 0 is too high"));
}

TEST_F(ListingFramesTest, AutoExpandOpensTheSelectedNodeAndClosesTheOneLeft) {
    ctx.autoExpand = true;
    auto* f = Open<TFrameSpecsObj>("Specs/COMP/MOD/payroll.JAV");
    ASSERT_NE(f, nullptr);
    Click(f, {"payroll.c"});
    EXPECT_TRUE(f->FindNode({"payroll.c"})->isExpanded());
    Click(f, {"payroll.c", "Function references"});
    EXPECT_TRUE(f->FindNode({"payroll.c", "Function references"})->isExpanded());
    Click(f, {"progb"});
    EXPECT_TRUE(f->FindNode({"progb"})->isExpanded());
    EXPECT_FALSE(f->FindNode({"payroll.c", "Function references"})->isExpanded());
}

// ------------------------------------------------------------ post-documentation

TEST_F(ListingFramesTest, PostDocumentationStructuresAndEntries) {
    ctx.lang = "COB";
    auto* f = Open<TFrameSpecs>("Specs/COMP/MOD/PAYROLL.prc");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->TreeText(), "PAYROLL.cbl\n"
                             "  Interface  Structure\n"
                             "  Procedural Structure\n"
                             "  Decisional Structure\n"
                             "  Data Flow  Structure\n"
                             "  Used Data  Structure\n");
    Click(f, {"PAYROLL.cbl", "Interface  Structure"});
    EXPECT_EQ(f->FileName, kSources + "PAYROLL.cbl");
    EXPECT_EQ(f->LabelListType->Caption(), "Interface  Structure");
    EXPECT_EQ(f->LabelComment->Caption(), "Parameters and files the program\r\nshares with its callers.");
    EXPECT_EQ(f->LabelHeader->Caption().substr(0, 51), std::string(44, '-') + "\r\n Line");
    Click(f, {"PAYROLL.cbl", "Interface  Structure", "Linkage-area"});
    EXPECT_EQ(SelLine(f->RichEditSourceView), 119);
    EXPECT_EQ(TopLine(f->RichEditSourceView), 119 - kJumpFromTree);
    EXPECT_EQ(SelLine(f->MemoSpecs), 1);

    Click(f, {"PAYROLL.cbl", "Decisional Structure"});
    Click(f, {"PAYROLL.cbl", "Decisional Structure", "If-amt:Amount > 100", "<..Sequence ..>", "?", "Eval-x:When x"});
    EXPECT_EQ(f->LabelListType->Caption(), "Decisional Structure");
    EXPECT_EQ(SelLine(f->RichEditSourceView), 319);
    Click(f, {"PAYROLL.cbl", "Decisional Structure", "If-amt:Amount > 100", "If-end:End"});
    EXPECT_EQ(SelLine(f->RichEditSourceView), 359);
}

TEST_F(ListingFramesTest, CompressedDataFlowsShowTheirRowsDirectlyAndStartFolded) {
    ctx.lang = "COB";
    ctx.compressed = true;
    auto* f = Open<TFrameSpecs>("Specs/COMP/MOD/PAYROLL.dat");
    ASSERT_NE(f, nullptr);
    Click(f, {"PAYROLL.cbl", "Data Flow  Structure"});
    QTreeWidgetItem* structure = f->FindNode({"PAYROLL.cbl", "Data Flow  Structure"});
    EXPECT_TRUE(structure->isExpanded());
    QTreeWidgetItem* entry = f->FindNode({"PAYROLL.cbl", "Data Flow  Structure", "COMPUTE-PAY"});
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->isExpanded());
    EXPECT_NE(f->FindNode({"PAYROLL.cbl", "Data Flow  Structure", "COMPUTE-PAY", "IF HOURS > 40"}), nullptr);
    EXPECT_EQ(entry->childCount(), 6);
}

TEST_F(ListingFramesTest, TheJoinedListingIsReadAlone) {
    ctx.lang = "COB";
    auto* f = Open<TFrameSpecs>("Specs/COMP/MOD/PAYROLL.COB");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->TreeText(), "PAYROLL.cbl\n  Procedural Structure\n");
}

// ------------------------------------------------------------ plain listings

TEST_F(ListingFramesTest, PlainListingLookupJumpsToTheObjectAndMarksIt) {
    ctx.lang = "GER";
    pemtest::WriteFile(ctx.out + "/Specs/REQ.GER", "Requirements\r\n"
                                                   "|   OBJECT: Customer        |\r\n"
                                                   "| text\r\n"
                                                   "|   OBJECT: Order Entry     |\r\n"
                                                   "|   OBJECT: customer        |\r\n");
    auto* f = Open<TFrameSpecsGer>("Specs/REQ.GER");
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->BitBtnClose->isHidden());
    EXPECT_EQ(f->IncComboLookup->FullItems(), (TStringList{"Customer", "Order Entry"}));
    // Typed in full, the object is chosen.
    f->IncComboLookup->setFocus();
    for (char c : std::string("Order Entry")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(f->IncComboLookup, &press);
    }
    QApplication::processEvents();
    EXPECT_EQ(SelLine(f->RichEditSourceView), 3);
    EXPECT_EQ(Selected(f->RichEditSourceView), "OBJECT");
    EXPECT_EQ(Marks(f->RichEditSourceView), (std::vector<std::pair<std::string, QColor>>{{"OBJECT", QColor(Qt::red)}}));
}

// ------------------------------------------------------------ deficiency listings

TEST_F(ListingFramesTest, DeficienciesOpenGroupedBySourceAndMarkTheItemsLines) {
    auto* f = Open<TFrameDefi>("Defis/COMP/MOD/payroll.def", true);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Name(), "tsv0FrameDefi");
    EXPECT_TRUE(SortBySource->isChecked());
    EXPECT_EQ(f->TreeText().substr(0, 19), "alpha.c\n  Warnings\n");
    EXPECT_EQ(f->BitBtnPrint->Action(), PrintCurrent);
    EXPECT_EQ(f->PrintRoute(), IPrintableFrame::TRoute::TextView);

    // A group without an item is not selected.
    Click(f, {"payroll.c", "Problems"});
    EXPECT_EQ(f->TreeView1->currentItem(), nullptr);
    EXPECT_TRUE(f->SourcePath.empty());

    Click(f, {"payroll.c", "Problems", "12 Missing comment block", "10-12"});
    EXPECT_EQ(f->SourcePath, kSources + "payroll.c");
    EXPECT_EQ(f->Label1->Caption(), "Component: COMP Module: MOD Source: payroll.c");
    EXPECT_EQ(f->LabelCounters->Caption().substr(0, 41), "Number of major Rule Violations =     2\r\n");
    EXPECT_EQ(Selected(f->RichEditSourceView),
              "int compute_pay(int hours) {\nline 11\n    double t = calc_tax(hours);\n");
    ASSERT_EQ(Marks(f->RichEditSourceView).size(), 1u);
    EXPECT_EQ(Marks(f->RichEditSourceView)[0].second, QColor(Qt::red));
    // An item on the source's last line is marked too.
    Click(f, {"payroll.c", "Problems", "12 Missing comment block", "29"});
    EXPECT_EQ(Selected(f->RichEditSourceView), "line 29");

    // A source without statistics of its own.
    Click(f, {"beta.c", "Defi's", "07 Magic number", "3"});
    EXPECT_EQ(f->LabelCounters->Caption(), kDefiStatisticsMissing);
    EXPECT_TRUE(Has(TStatusRecord::Warning, kDefiStatisticsWarning));
    EXPECT_EQ(Selected(f->RichEditSourceView), "x = 7;\n");
}

TEST_F(ListingFramesTest, RegroupingRebuildsOnlyTheTree) {
    auto* f = Open<TFrameDefi>("Defis/COMP/MOD/payroll.def", true);
    ASSERT_NE(f, nullptr);
    Click(f, {"beta.c", "Defi's", "07 Magic number", "3"});
    const std::string counters = f->LabelCounters->Caption();
    SortByLevel->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(SortByLevel->isChecked());
    EXPECT_FALSE(SortBySource->isChecked());
    EXPECT_EQ(f->TreeText().substr(0, 36), "Problems\n  12 Missing comment block\n");
    EXPECT_EQ(f->SourcePath, kSources + "beta.c");
    EXPECT_EQ(f->LabelCounters->Caption(), counters);
    EXPECT_EQ(f->TreeView1->currentItem(), nullptr);
    SortByRule->trigger();
    QApplication::processEvents();
    EXPECT_EQ(f->TreeText().substr(0, 27), "01 Tab character\n  alpha.c\n");
    // A source node below the top shows its first item.
    Click(f, {"12 Missing comment block", "payroll.c"});
    EXPECT_EQ(SelLine(f->RichEditSourceView), 9);
    EXPECT_EQ(f->Listing.items.size(), 8u);
}

TEST_F(ListingFramesTest, ADeficiencySourceIsFoundThroughTheFileListOrReported) {
    pemtest::TempDir elsewhere;
    ctx.root = elsewhere.Path();
    auto* f = Open<TFrameDefi>("Defis/COMP/MOD/payroll.def", true);
    ASSERT_NE(f, nullptr);
    // Not in the source tree, not in the file list.
    Click(f, {"alpha.c", "Warnings", "01 Tab character", "2"});
    EXPECT_TRUE(Has(TStatusRecord::Error, "Source file " + elsewhere.Path() + "/MOD/alpha.c is not available"));
    EXPECT_EQ(f->TreeView1->currentItem(), nullptr);
    // The job's file list knows where it is.
    ctx.files.components = {"COMP", "COMP"};
    ctx.files.modules = {"MOD", "MOD"};
    ctx.files.sources = {"beta", "alpha"};
    ctx.files.extensions = {".c", ".c"};
    ctx.files.files = {kSources + "beta.c", kSources + "alpha.c"};
    Click(f, {"alpha.c", "Warnings", "01 Tab character", "2"});
    EXPECT_EQ(f->SourcePath, kSources + "alpha.c");
    EXPECT_EQ(Selected(f->RichEditSourceView), "\tint a;");
}

TEST_F(ListingFramesTest, RepeatedSourcesOfDliAndSqlListingsAreReported) {
    ctx.lang = "SQL";
    pemtest::WriteFile(ctx.out + "/Defis/Q.def", "|   SOURCE: A |\n"
                                                 "|   Number of major Rule Violations =  1 |\n"
                                                 "|   SOURCE: A |\n");
    auto* f = Open<TFrameDefi>("Defis/Q.def", true);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(Has(TStatusRecord::Collected, "Duplicate source names! - A"));
}

TEST_F(ListingFramesTest, BadListingsOpenWithAnEmptyTree) {
    ctx.lang = "COB";
    pemtest::WriteFile(ctx.out + "/Defis/empty.def", "");
    pemtest::WriteFile(ctx.out + "/Defis/zeros.def", std::string("|   SOURCE: \0\0\0", 15));
    pemtest::WriteFile(ctx.out + "/Specs/cut.COB", "/ Post Documentation of Program: A");
    for (const char* rel : {"Defis/empty.def", "Defis/zeros.def"}) {
        auto* f = Open<TFrameDefi>(rel, true);
        ASSERT_NE(f, nullptr) << rel;
        EXPECT_LE(f->TreeView1->topLevelItemCount(), 1) << rel;
    }
    auto* post = Open<TFrameSpecs>("Specs/cut.COB");
    ASSERT_NE(post, nullptr);
    // The header's source is not there: reported, nothing else happens.
    Click(post, {"A"});
    EXPECT_TRUE(Has(TStatusRecord::Error, "Source file " + kListings + "/sources/A.COB is not available"));
}

} // namespace
