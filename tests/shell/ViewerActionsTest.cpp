// The result tabs and viewer actions on the main window, the way a user
// reaches them: through the actions, the popup, the frame's close button and
// the window's close request; and the about box from the menu.
#include "AboutBoxDlg.h"
#include "FindDirectoryFrame.h"
#include "FontChoice.h"
#include "MainFormHarness.h"
#include "PF_HardCopy.h"
#include "ReportPrinter.h"
#include "ResultTabs.h"
#include "SettingsStore.h"
#include "SimpleViewerFrame.h"

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

class ViewerActionsTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
        Start("Korvex");
        dialogs->Reset();
        form->MyStB->MessageList.clear();
        out = install / "out";
        fs::create_directories(out);
        form->FrameFindDirectoryOutputDir->Edit->SetText(out);
        form->SystemName = "PAY";
    }
    void TearDown() override {
        SetPrinterNamesProvider(nullptr);
        MainFormTest::TearDown();
    }
    std::string Write(const std::string& rel, const std::string& text = "text\r\n") {
        pemtest::WriteFile(out + "/" + rel, text);
        return out + "/" + rel;
    }
    int Tabs() const { return form->PageControlEditor->PageCount(); }
    std::string ActiveCaption() const {
        return form->PageControlEditor->ActivePage() ? form->PageControlEditor->ActivePage()->Caption() : "";
    }
    void Trigger(const char* action) {
        form->Act(action)->trigger();
        QApplication::processEvents();
    }
    std::string out;
};

TEST_F(ViewerActionsTest, AboutOpensFromTheMenuWithTheToolRoot) {
    std::string memo;
    dialogs->modalHook = [&](QDialog* d) {
        auto* about = dynamic_cast<TfrmAbout*>(d);
        ASSERT_NE(about, nullptr);
        memo = about->Memo1->Text();
    };
    QAction* item = nullptr;
    for (QAction* a : form->Abouttheprogram1->actions())
        if (a == form->Act("ActAbout")) item = a;
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(memo, "Tool root directory : \r\n" + form->ToolRoot + "\r\n");
}

TEST_F(ViewerActionsTest, DialogActionOpensATabThatTheCloseButtonCloses) {
    const std::string file = Write("Exports/PAY.txt");
    dialogs->AnswerFiles({file});
    Trigger("ActViewGeneral");
    ASSERT_EQ(Tabs(), 1);
    EXPECT_EQ(ActiveCaption(), "Exports/PAY.txt");
    EXPECT_EQ(form->PageControlMain->ActivePage(), form->TabSheetViewer);
    EXPECT_EQ(form->TabSheetViewer->Caption(), "Internal viewer");
    // The frame's close button: the close request closes the tab, not the window.
    auto* frame = dynamic_cast<TFrameSimpleViewer*>(form->ResultTabs->ActiveFrame());
    ASSERT_NE(frame, nullptr);
    frame->BitBtnClose->click();
    QApplication::processEvents();
    EXPECT_EQ(Tabs(), 0);
    EXPECT_FALSE(form->isHidden());
    EXPECT_FALSE(form->TabSheetViewer->TabVisible());
    EXPECT_EQ(form->PageControlMain->ActivePage(), form->TabSheetNames);
}

TEST_F(ViewerActionsTest, LogActionsFollowTheRunMode) {
    Write("PAY.log");
    Write("Search.txt");
    Write("last.xml", "<a>\r\n</a>\r\n");
    form->RunMode = 6;
    Trigger("ActViewProductLog");
    EXPECT_EQ(ActiveCaption(), "Search.txt");
    form->RunMode = 1;
    form->OpenRunLog(form->Act("ActViewProductLog"));
    EXPECT_EQ(ActiveCaption(), "PAY.log");
    Trigger("ActViewParameters");
    EXPECT_EQ(ActiveCaption(), "last.xml");
    Trigger("ActViewConsoleLog"); // no Console.log: nothing, nothing said
    EXPECT_EQ(Tabs(), 3);
    EXPECT_TRUE(dialogs->Messages().empty());
    // The popup offers the tab actions and the viewers.
    std::vector<std::string> items;
    for (QAction* a : form->PopupMenuViewer->actions())
        if (!a->isSeparator()) items.push_back(a->objectName().toStdString());
    EXPECT_EQ(items, (std::vector<std::string>{"ActCloseTab", "ActCloseAllPages", "ActViewGeneral", "ActViewDefis",
                                               "ActViewMetrics", "ActViewSpecs", "ActViewTestCases",
                                               "ActViewProductLog", "ActViewConsoleLog", "ActViewParameters"}));
    form->PopupMenuViewer->actions()[1]->trigger();
    EXPECT_EQ(Tabs(), 0);
}

TEST_F(ViewerActionsTest, CloseRequestClosesTheActiveTabFirstThenTheWindow) {
    form->OpenInSimpleViewer(Write("a.txt"));
    form->OpenInSimpleViewer(Write("b.txt"));
    form->close();
    QApplication::processEvents();
    EXPECT_EQ(Tabs(), 1);
    EXPECT_EQ(ActiveCaption(), "a.txt");
    EXPECT_FALSE(form->isHidden());
    Trigger("ActCloseTab");
    EXPECT_EQ(Tabs(), 0);
    form->OpenInSimpleViewer(Write("c.txt"));
    Trigger("ActCloseAll");
    EXPECT_EQ(Tabs(), 0);
    EXPECT_TRUE(form->isHidden());
}

TEST_F(ViewerActionsTest, FindAndFontThroughTheirActions) {
    form->OpenInSimpleViewer(Write("f.txt", "alpha\r\nbeta\r\n"));
    dialogs->AnswerFind("BETA");
    Trigger("ActFindText");
    auto* view = static_cast<TFrameSimpleViewer*>(form->ResultTabs->ActiveFrame())->RichEditSourceView;
    EXPECT_EQ(view->SelStart(), 6);
    dialogs->AnswerFind("gamma");
    Trigger("ActFindText");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "String not found"));
    dialogs->fontAnswers.push_back({"DejaVu Sans Mono", 1, 11, -15});
    Trigger("ActSelectFont");
    EXPECT_EQ(form->FontDialog1->Font.name, "DejaVu Sans Mono");
    EXPECT_EQ(view->font().pixelSize(), 15);
    EXPECT_EQ(ReadSettingStr("FontName"), "DejaVu Sans Mono");
}

// A stored family this machine lacks is not offered: the dialog preselects
// an installed fixed-pitch font, and OK without a change stores that one.
TEST_F(ViewerActionsTest, FontDialogConfirmedUnchangedKeepsAFixedFont) {
    if (FixedPitchFamilies().empty()) GTEST_SKIP() << "no fixed-pitch font installed";
    form->OpenInSimpleViewer(Write("f.txt", "alpha\r\n"));
    dialogs->AnswerFont({"Lucida Console", 1, 11, -15});
    Trigger("ActSelectFont");
    dialogs->AnswerFont({}); // OK, nothing changed
    Trigger("ActSelectFont");
    ASSERT_EQ(dialogs->fontRequests.size(), 2u);
    EXPECT_TRUE(IsInstalledFixedPitch(dialogs->fontRequests.back().name)) << dialogs->fontRequests.back().name;
    EXPECT_EQ(dialogs->fontRequests.back().size, 11);
    EXPECT_TRUE(IsInstalledFixedPitch(ReadSettingStr("FontName"))) << ReadSettingStr("FontName");
    EXPECT_EQ(form->FontDialog1->Font.name, ReadSettingStr("FontName"));
}

// Print and Close stand side by side in a simple viewer's tab, of one height.
TEST_F(ViewerActionsTest, SimpleViewerPrintAndCloseHaveEqualHeights) {
    form->OpenInSimpleViewer(Write("h.txt", "alpha\r\n"));
    auto* frame = static_cast<TFrameSimpleViewer*>(form->ResultTabs->ActiveFrame());
    form->show();
    QApplication::processEvents();
    frame->resize(frame->width() + 1, frame->height());
    QApplication::processEvents();
    EXPECT_GT(frame->BitBtnClose->height(), 0);
    EXPECT_EQ(frame->BitBtnPrint->height(), frame->BitBtnClose->height());
    EXPECT_EQ(frame->BitBtnPrint->y(), frame->BitBtnClose->y());
}

TEST_F(ViewerActionsTest, ExternalEditorRunsInTheOutputDirectory) {
    const std::string mark = install / "editor-ran";
    const std::string script = install / "fake-editor";
    pemtest::WriteFile(script, "#!/bin/sh\npwd > '" + mark + "'\n");
    ::chmod(script.c_str(), 0755);
    pemtest::ScopedEnv visual("VISUAL", script);
    Trigger("ActViewNotepad");
    EXPECT_EQ(pemtest::ReadFile(mark), fs::canonical(out).string() + "\n");
}

TEST_F(ViewerActionsTest, PrintingWithoutPrinterWritesIntoTheOutputDirectory) {
    SetPrinterNamesProvider([] { return std::vector<std::string>{}; });
    TQRfrm_HardCopy hardCopy;
    hardCopy.ReportTitle = "A.COB";
    hardCopy.Items.Add("line");
    hardCopy.Print();
    EXPECT_EQ(pemtest::ReadFile(out + "/A.COB.pdf").substr(0, 5), "%PDF-");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "No printer is installed: printed to " + out + "/A.COB.pdf"));
}

} // namespace
