// The compound metrics window the way a user works it: shown, fed by
// dialogs and drops, its check marks changed, metrics file lists saved,
// loaded and dropped, and the compound result shown, saved and printed.
// The main window is a host of the test's own.
#include "CompoundMetrics.h"
#include "DesktopServices.h"
#include "DropRouter.h"
#include "MyStatusBar.h"
#include "QtTestSupport.h"
#include "ReportPreview.h"
#include "ReportPrinter.h"
#include "SettingsStore.h"
#include "XMLViewer.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kCompound = FIXTURES_DIR "/reports/compound/";

struct FakeHost : ICompoundMetricsHost {
    std::string product = "Demo", system = "PAY", out, project = "JOB";
    int modified = 0;
    bool preview = false;
    std::vector<std::string> progress;
    std::string CompoundProductName() override { return product; }
    std::string CompoundSystemName() override { return system; }
    std::string CompoundOutputDirectory() override { return out; }
    std::string CompoundProjectName() override { return project; }
    void CompoundJobModified() override { ++modified; }
    bool CompoundPreviewBeforePrinting() override { return preview; }
    void CompoundProgressBegin(const std::string& caption, int files) override {
        progress.push_back(caption + " " + std::to_string(files));
    }
    void CompoundProgressStep() override { progress.push_back("step"); }
    void CompoundProgressEnd() override { progress.push_back("end"); }
    QWidget* CompoundMainWindow() override { return nullptr; }
};

class CompoundWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        savedRead = ReadSettingProc;
        savedWrite = WriteSettingProc;
        ReadSettingProc = [this](const std::string& n, std::string& v) { v = settings[n]; };
        WriteSettingProc = [this](const std::string& n, const std::string& v) { settings[n] = v; };
        host.out = dir / "out";
        tavrel = host.out + "/Tavrel/";
        viewer = std::make_unique<TfrmXMLViewer>();
        window = std::make_unique<TfrmCompoundMetrics>();
        window->DoCreate();
        window->Host = &host;
        window->Today = [] { return std::string("2011-01-07"); };
    }
    void TearDown() override {
        SetReportPrintHook(nullptr);
        window.reset();
        viewer.reset();
        ReadSettingProc = savedRead;
        WriteSettingProc = savedWrite;
    }
    std::string Metric(const std::string& rel, const char* fixture) {
        const std::string path = tavrel + rel;
        pemtest::WriteFile(path, pemtest::ReadFile(kCompound + fixture));
        return path;
    }
    void Show() {
        window->show();
        QApplication::processEvents();
    }
    void Trigger(TAction* a) {
        a->trigger();
        QApplication::processEvents();
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> e;
        for (int i = 0; i < window->CBImportFiles->Count(); ++i)
            e.push_back(std::string(window->CBImportFiles->Checked(i) ? "x " : "- ") +
                        (window->CBImportFiles->ItemEnabled(i) ? "" : "(off) ") +
                        fs::path(window->EntryPath(i)).filename().string());
        return e;
    }
    // Ticks or unticks an entry as a click on its box does.
    void Tick(int i, bool on) {
        window->CBImportFiles->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        QApplication::processEvents();
    }

    pemtest::TempDir dir;
    pemtest::ScopedDialogs dialogs;
    pemtest::StatusRecorder recorder;
    std::map<std::string, std::string> settings;
    TReadSettingProc savedRead;
    TWriteSettingProc savedWrite;
    FakeHost host;
    std::string tavrel;
    std::unique_ptr<TfrmXMLViewer> viewer;
    std::unique_ptr<TfrmCompoundMetrics> window;
};

TEST_F(CompoundWindowTest, ShowingFillsTheListFromTheTavrelFolderAndNamesTheRefused) {
    Metric("PAY/test1.xml", "test1.xml");
    Metric("PAY/sub/test2.xml", "test2.xml");
    pemtest::WriteFile(tavrel + "q.xml", "<!--DOCTYPE QMETRICS SYSTEM \"q\"-->\n<QMETRICS>\n");
    Show();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x test2.xml", "x test1.xml"}));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "The following files are not valid for processing - q.xml - QMETRICS(Defect)"));
    // Of the folders all ticked files share, the deepest file's last one
    // does not count.
    EXPECT_EQ(window->LabelCommonRoot->Caption(), host.out + "/Tavrel/PAY/");
    EXPECT_EQ(host.modified, 0); // the list is not kept with the job

    // With the extra actions hidden, every showing starts the list afresh.
    fs::remove(tavrel + "PAY/sub/test2.xml");
    window->hide();
    Show();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x test1.xml"}));
}

// The buttons stand in rows by their group, each as wide as its caption,
// at the first showing and after the window is made wider.
TEST_F(CompoundWindowTest, ButtonsStandInRowsOfTheirGroup) {
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        TBitBtn* rows[][3] = {{window->BitBtnGetFile, window->BitBtnWM_DropGetDirectory, nullptr},
                              {window->BitBtnCreateReport, window->BitBtnSaveAsXML, window->BitBtnPrint}};
        for (auto& row : rows)
            for (TBitBtn* b : row)
                if (b) {
                    EXPECT_EQ(b->y(), row[0]->y()) << b->objectName().toStdString();
                    EXPECT_GE(b->width(), TextWidthWithMargin(b->text(), b->font()))
                        << b->objectName().toStdString();
                }
        EXPECT_GT(window->BitBtnCreateReport->y(), window->BitBtnGetFile->y());
        EXPECT_LT(window->BitBtnGetFile->x(), window->BitBtnWM_DropGetDirectory->x());
        EXPECT_LT(window->BitBtnSaveAsXML->x(), window->BitBtnPrint->x());
    };
    Show();
    check("first showing");
    window->resize(1000, 500);
    QApplication::processEvents();
    check("wider");
}

TEST_F(CompoundWindowTest, FilesComeByDialogAndByDropsWholeFoldersIncluded) {
    Show();
    const std::string a = Metric("a/test1.xml", "test1.xml");
    const std::string other = dir / "elsewhere/deeper/prc.xml";
    pemtest::WriteFile(other, pemtest::ReadFile(kCompound + "prc.xml"));
    dialogs->AnswerFiles({a, dir / "gone.xml"});
    Trigger(window->ActSelectImporFile);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x test1.xml"}));
    EXPECT_EQ(settings["LastImportDir"], tavrel + "a/");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "The following files do not exist any more - gone.xml - ?"));

    // A folder and a text file dropped: the folder's XML files come, the
    // text file is passed over.
    TStringList drop;
    drop.Add(dir / "elsewhere");
    drop.Add(dir / "notes.txt");
    pemtest::WriteFile(dir / "notes.txt", "x");
    EXPECT_TRUE(TDropRouter::Instance().Deliver(window->CBImportFiles->viewport(), drop));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x prc.xml", "x test1.xml"}));
    EXPECT_EQ(window->LabelCommonRoot->Caption(), dir.Path() + "/");

    // A dropped path is taken whole, however long.
    const std::string deep = dir / (std::string(120, 'd') + "/" + std::string(120, 'e') + "/test2.xml");
    pemtest::WriteFile(deep, pemtest::ReadFile(kCompound + "test2.xml"));
    ASSERT_GT(deep.size(), 250u);
    TDropRouter::Instance().Deliver(window->PanelWM_DropImportFiles, TStringList{deep});
    EXPECT_EQ(Entries().size(), 3u);
    EXPECT_EQ(window->EntryPath(1), deep);
}

TEST_F(CompoundWindowTest, CheckMarksToggleByTypeAndVanishedFilesAreSwitchedOff) {
    Metric("a/prc.xml", "prc.xml");
    Metric("b/test1.xml", "test1.xml");
    Metric("b/test2.xml", "test2.xml");
    Show();
    ASSERT_EQ(Entries().size(), 3u);
    window->CBImportFiles->SetItemIndex(1); // a test case file
    EXPECT_EQ(window->ActToggleFileType->Caption(), "Deselect the file type under cursor");
    Trigger(window->ActToggleFileType);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x prc.xml", "- test1.xml", "- test2.xml"}));
    EXPECT_EQ(window->ActToggleFileType->Caption(), "Select the file type under cursor");
    EXPECT_EQ(window->LabelCommonRoot->Caption(), tavrel);
    Trigger(window->ActImportReverseSelection);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"- prc.xml", "x test1.xml", "x test2.xml"}));
    EXPECT_EQ(window->LabelCommonRoot->Caption(), tavrel);

    fs::remove(tavrel + "b/test1.xml");
    Tick(0, true);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x prc.xml", "- (off) test1.xml", "x test2.xml"}));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Collected, "File " + tavrel + "b/test1.xml doesn't exist any more!"));
    EXPECT_EQ(host.modified, 0);
    Trigger(window->ActRemoveUnchecked);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x prc.xml", "x test2.xml"}));

    // Kept with the job (extra actions shown), every change marks it.
    window->ActSaveFileList->SetVisible(true);
    Tick(0, false);
    EXPECT_EQ(host.modified, 1);
}

TEST_F(CompoundWindowTest, ADoubleClickAnywhereOnTheListReversesTheTicks) {
    Metric("a/prc.xml", "prc.xml");
    Metric("b/test1.xml", "test1.xml");
    Metric("b/test2.xml", "test2.xml");
    window->resize(900, 600);
    Show();
    ASSERT_EQ(Entries().size(), 3u);
    // A vanished file's entry is switched off and keeps out of the reversal.
    fs::remove(tavrel + "b/test2.xml");
    Tick(0, false);
    ASSERT_EQ(Entries(), (std::vector<std::string>{"- prc.xml", "x test1.xml", "- (off) test2.xml"}));

    QListWidget* list = window->CBImportFiles;
    QWidget* area = list->viewport();
    // A double click as the system delivers it: press, release, double
    // click, release.
    const auto doubleClick = [&](QPoint at) {
        const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
            QMouseEvent e(type, at, area->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(area, &e);
        };
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        QApplication::processEvents();
    };
    const QRect last = list->visualItemRect(list->item(2));
    const QPoint below(last.left() + 40, last.bottom() + 20);
    ASSERT_LT(below.y(), area->height()) << "the list shows no empty part";
    ASSERT_FALSE(list->indexAt(below).isValid());
    const struct {
        const char* where;
        QPoint at;
        std::vector<std::string> entries;
    } cases[] = {
        {"the empty part below the entries", below, {"x prc.xml", "- test1.xml", "- (off) test2.xml"}},
        {"an entry's text", list->visualItemRect(list->item(1)).center(), {"- prc.xml", "x test1.xml", "- (off) test2.xml"}},
    };
    for (const auto& c : cases) {
        doubleClick(c.at);
        EXPECT_EQ(Entries(), c.entries) << c.where;
    }
}

TEST_F(CompoundWindowTest, ShowingAFileUnticksAnEntryWhoseFileIsGone) {
    Metric("a/test1.xml", "test1.xml");
    Metric("a/test2.xml", "test2.xml");
    Show();
    window->CBImportFiles->SetItemIndex(0);
    Trigger(window->ActImportShowXML);
    EXPECT_FALSE(viewer->isHidden());
    EXPECT_EQ(viewer->Caption(), tavrel + "a/test1.xml");

    fs::remove(tavrel + "a/test2.xml");
    window->CBImportFiles->SetItemIndex(1);
    Trigger(window->ActImportShowXML);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x test1.xml", "- (off) test2.xml"}));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "File \"" + tavrel + "a/test2.xml\" doesn't exist "));
}

TEST_F(CompoundWindowTest, MetricsFileListsAreSavedLoadedAndDropped) {
    for (TAction* a : {window->ActSaveFileList, window->ActLoadFileList, window->ActRefresh}) a->SetVisible(true);
    const std::string one = Metric("a/test1.xml", "test1.xml");
    const std::string two = Metric("b/prc.xml", "prc.xml");
    Show();
    Tick(1, false);
    settings["JobGroupDir"] = dir / "lists/";
    fs::create_directories(dir / "lists");
    dialogs->AnswerFiles({dir / "lists/mine.txt"});
    Trigger(window->ActSaveFileList);
    EXPECT_EQ(window->SaveDialog->Options.fileName, "JOB.flst");
    EXPECT_EQ(window->SaveDialog->Options.initialDir, dir / "lists/");
    EXPECT_EQ(pemtest::ReadFile(dir / "lists/mine.flst"), two + "\n" + one + "\n");
    EXPECT_EQ(settings["JobGroupDir"], dir / "lists/");
    Trigger(window->ActSaveFileList); // no answer: cancelled
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Save cancelled"));

    // Loading replaces the list; dropping a list adds to it.
    pemtest::WriteFile(dir / "lists/one.flst", one + "\r\n");
    pemtest::WriteFile(dir / "lists/two.FLST", two + "\r\n");
    dialogs->AnswerFiles({dir / "lists/one.flst"});
    Trigger(window->ActLoadFileList);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x test1.xml"}));
    TStringList drop;
    drop.Add(dir / "lists/two.FLST");
    EXPECT_TRUE(TDropRouter::Instance().Deliver(window->BitBtnWM_DropLoadFileList, drop));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x prc.xml", "x test1.xml"}));
    drop.Add(dir / "lists/one.flst"); // two lists at once: refused
    TDropRouter::Instance().Deliver(window->BitBtnWM_DropLoadFileList, drop);
    EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(CompoundWindowTest, TheResultIsShownSavedAndPrinted) {
    Metric("a/test1.xml", "test1.xml");
    Metric("a/test2.xml", "test2.xml");
    Metric("b/gone.xml", "prc.xml");
    Show();
    fs::remove(tavrel + "b/gone.xml");
    Trigger(window->ActShowSummary);
    const std::string shown = host.out + "/Demo_Compound_Metrics.xml";
    EXPECT_EQ(pemtest::ReadFile(shown), pemtest::ReadFile(kCompound + "expected_tests.txt"));
    EXPECT_EQ(viewer->Caption(), shown);
    // The vanished file was skipped and keeps its mark.
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x gone.xml", "x test1.xml", "x test2.xml"}));
    EXPECT_EQ(host.progress, (std::vector<std::string>{"Coputing compund metrics from XML data 3", "step", "step",
                                                       "step", "end"}));

    dialogs->AnswerFiles({dir / "saved.xml"});
    Trigger(window->ActSaveToXML);
    EXPECT_EQ(window->SaveDialog->Options.fileName, "Demo_Compound_Metrics");
    EXPECT_EQ(window->SaveDialog->Options.initialDir, host.out);
    EXPECT_EQ(pemtest::ReadFile(dir / "saved.xml"), pemtest::ReadFile(kCompound + "expected_tests.txt"));

    // Without preview the report goes straight to the printer.
    std::vector<std::string> printed;
    SetReportPrintHook([&](const TReportDocument& d, const std::string&) { printed.push_back(d.title); });
    Trigger(window->ActPrintResult);
    EXPECT_EQ(printed, std::vector<std::string>{"Demo_PAY_Comprehensive_Report"});
    // With it, the preview shows the table.
    host.preview = true;
    std::string previewed;
    dialogs->modalHook = [&](QDialog* d) {
        if (auto* p = dynamic_cast<TReportPreview*>(d)) previewed = ReportPagesAsText(p->Document());
    };
    Trigger(window->ActPrintResult);
    EXPECT_EQ(printed.size(), 1u);
    EXPECT_NE(previewed.find("Mean of Test Quality"), std::string::npos);
    EXPECT_NE(previewed.find("0.80"), std::string::npos);
}

// The summary shown is a file of the output directory's own: a link in its
// place is replaced, and the file it pointed to stays as it was.
TEST_F(CompoundWindowTest, TheShownSummaryReplacesALinkInItsPlace) {
    Metric("a/test1.xml", "test1.xml");
    Metric("a/test2.xml", "test2.xml");
    Show();
    const std::string shown = host.out + "/Demo_Compound_Metrics.xml", outside = dir / "elsewhere/mine.xml";
    pemtest::WriteFile(outside, "the user's own file\n");
    fs::create_directories(host.out);
    fs::create_symlink(outside, shown);
    Trigger(window->ActShowSummary);
    EXPECT_EQ(pemtest::ReadFile(outside), "the user's own file\n");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(shown)));
    EXPECT_EQ(pemtest::ReadFile(shown), pemtest::ReadFile(kCompound + "expected_tests.txt"));
    EXPECT_EQ(viewer->Caption(), shown);
}

TEST_F(CompoundWindowTest, NothingTickedGivesTheEmptyDocumentAndAMissingElementStops) {
    Metric("a/prc.xml", "prc.xml");
    Metric("a/zz_nostmts.xml", "nostmts.xml");
    Show();
    Trigger(window->ActUnselectAll);
    Trigger(window->ActShowSummary);
    EXPECT_EQ(pemtest::ReadFile(host.out + "/Demo_Compound_Metrics.xml"),
              pemtest::ReadFile(kCompound + "expected_nothing.txt"));

    Trigger(window->ActSelectAll);
    host.progress.clear();
    Trigger(window->ActShowSummary);
    EXPECT_EQ(dialogs->Messages().back(), "Tag \"Nr_Stmts\" doesn't exist.");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"x prc.xml", "- (off) zz_nostmts.xml"}));
    EXPECT_EQ(host.progress, (std::vector<std::string>{"Coputing compund metrics from XML data 2", "step"}));
}

} // namespace
