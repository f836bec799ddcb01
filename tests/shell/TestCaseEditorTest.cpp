// The test case list editor on the main window, the way the engineer uses
// it: opened through "View & Edit Test Cases", lines marked with the mouse
// or Shift, deleted, undone and saved through the frame's buttons and keys,
// and asked about when its tab closes; read-only and rejected listings.
#include "MainFormHarness.h"
#include "ResultTabs.h"
#include "TestCaseViewerFrame.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextBlock>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kSep = std::string(82, '-');

class TestCaseEditorTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        out = StartWithOutputDir();
        fs::copy(FIXTURES_DIR "/cases", out, fs::copy_options::recursive);
        listing = out + "/Cases/PAY.txt";
    }

    // Opens the listing through the viewer action and its dialog.
    TFrameTestCaseViewer* Open(const std::string& file) {
        dialogs->AnswerFiles({file});
        form->Act("ActViewTestCases")->trigger();
        QApplication::processEvents();
        auto* frame = dynamic_cast<TFrameTestCaseViewer*>(form->ResultTabs->ActiveFrame());
        if (frame) {
            frame->RichEditSourceView->setFocus();
            QApplication::processEvents();
        }
        return frame;
    }

    // Presses the left button on one line and releases it on another.
    static void Drag(TListingView* view, int fromLine, int toLine) {
        const auto at = [view](int line) {
            QTextCursor c(view->document()->findBlockByNumber(line));
            c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
            return QPointF(view->cursorRect(c).center());
        };
        QWidget* vp = view->viewport();
        const QPointF from = at(fromLine), to = at(toLine);
        QMouseEvent press(QEvent::MouseButtonPress, from, vp->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, to, vp->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, to, vp->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(vp, &press);
        QApplication::sendEvent(vp, &move);
        QApplication::sendEvent(vp, &release);
    }

    // A key as the window delivers it: the focused text may claim it before
    // the window's short cuts do. Returns whether it claimed it.
    static bool Key(QWidget* w, int key, Qt::KeyboardModifiers mods) {
        QKeyEvent override(QEvent::ShortcutOverride, key, mods);
        override.ignore();
        QApplication::sendEvent(w, &override);
        if (!override.isAccepted()) return false;
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(w, &press);
        return true;
    }

    static std::vector<std::string> Shown(const TFrameTestCaseViewer* f) {
        std::vector<std::string> lines;
        for (const auto& item : f->RichEditSourceView->Lines()) lines.push_back(item.s);
        return lines;
    }
    static std::string Ids(const TFrameTestCaseViewer* f) {
        std::string ids;
        for (const auto& l : Shown(f))
            if (l.rfind("TC", 0) == 0) ids += l.substr(4, 2) + " ";
        return ids;
    }

    std::string out, listing;
};

TEST_F(TestCaseEditorTest, MarkDeleteUndoAndSaveThroughTheButtons) {
    TFrameTestCaseViewer* f = Open(listing);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Name(), "tsv0FrameSimpleViewer");
    EXPECT_EQ(form->PageControlEditor->ActivePage()->Caption(), "Cases/PAY.txt");
    for (TAction* a : {f->ActDelete, f->ActUndo, f->ActApply, f->ActUndoBlokk, f->ActRedo})
        EXPECT_FALSE(a->Enabled()) << a->Name();
    EXPECT_TRUE(f->BitBtn1->isHidden());
    EXPECT_EQ(Ids(f), "01 02 03 04 05 06 ");

    // A drag from TC0004 into TC0005 marks both lines whole.
    Drag(f->RichEditSourceView, 9, 10);
    EXPECT_EQ(f->FirstMarked, 9);
    EXPECT_EQ(f->LastMarked, 10);
    EXPECT_EQ(f->RichEditSourceView->SelStart(), f->RichEditSourceView->LineStart(9));
    EXPECT_EQ(f->RichEditSourceView->SelStart() + f->RichEditSourceView->SelLength(),
              f->RichEditSourceView->LineStart(11));
    EXPECT_TRUE(f->ActDelete->Enabled());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "Line 12 of 16 in " + listing + " "));

    f->BitBtnTrash->click();
    EXPECT_EQ(Ids(f), "01 02 03 06 ");
    EXPECT_FALSE(f->ActDelete->Enabled());
    for (TAction* a : {f->ActUndo, f->ActUndoBlokk, f->ActApply}) EXPECT_TRUE(a->Enabled()) << a->Name();
    // A second block, over a page head: only the test case goes.
    Drag(f->RichEditSourceView, 5, 7);
    f->BitBtnTrash->click();
    EXPECT_EQ(Ids(f), "01 02 06 ");
    // "Undo last block" twice: the second block, then the first.
    f->BitBtnBUndo->click();
    EXPECT_EQ(Ids(f), "01 02 03 06 ");
    EXPECT_EQ(f->RichEditSourceView->SelStart(), f->RichEditSourceView->LineStart(5));
    f->BitBtnBUndo->click();
    EXPECT_EQ(Ids(f), "01 02 03 04 05 06 ");
    EXPECT_FALSE(f->ActUndo->Enabled());
    EXPECT_FALSE(f->ActUndoBlokk->Enabled());

    // Delete the second page's test cases again and save (a click on the
    // head first: a press inside the restored selection would drag it).
    Drag(f->RichEditSourceView, 0, 0);
    Drag(f->RichEditSourceView, 9, 10);
    f->BitBtnTrash->click();
    f->BitBtnApply->click();
    const std::vector<std::string> saved = Shown(f);
    ASSERT_EQ(saved.size(), 10u);
    EXPECT_EQ(saved[6], kSep);
    EXPECT_EQ(Ids(f), "01 02 03 06 ");
    EXPECT_EQ(pemtest::ReadFile(listing).find("TC0004"), std::string::npos);
    EXPECT_NE(pemtest::ReadFile(listing).find("TC0006      "), std::string::npos);
    EXPECT_EQ(pemtest::ReadFile(out + "/Cases/PAY.csv").find("TC0005"), std::string::npos);
    EXPECT_EQ(pemtest::ReadFile(out + "/Cases/PAY.xml").find("TC0005"), std::string::npos);
    EXPECT_NE(pemtest::ReadFile(out + "/Metrics/PAY.met").find("=======>        4     |\r\n"), std::string::npos);
    for (TAction* a : {f->ActApply, f->ActUndo, f->ActUndoBlokk}) EXPECT_FALSE(a->Enabled()) << a->Name();
    EXPECT_TRUE(f->List().UndoList().empty());
}

TEST_F(TestCaseEditorTest, DeleteTakesWhatIsShownSelectedAfterUndoAndNothingAfterASave) {
    TFrameTestCaseViewer* f = Open(listing);
    ASSERT_NE(f, nullptr);
    // TC0002 to TC0004, over a page head.
    Drag(f->RichEditSourceView, 4, 9);
    f->BitBtnTrash->click();
    EXPECT_EQ(Ids(f), "01 05 06 ");
    // The line brought back is shown selected, and Delete takes just that.
    f->BitBtnUndel->click();
    EXPECT_EQ(Ids(f), "01 02 05 06 ");
    ASSERT_TRUE(f->ActDelete->Enabled());
    f->BitBtnTrash->click();
    EXPECT_EQ(Ids(f), "01 05 06 ");
    // A block brought back is selected whole: Delete takes the block again.
    f->BitBtnBUndo->click();
    EXPECT_EQ(Ids(f), "01 02 03 04 05 06 ");
    ASSERT_TRUE(f->ActDelete->Enabled());
    f->BitBtnTrash->click();
    EXPECT_EQ(Ids(f), "01 05 06 ");
    // Saved and shown anew with nothing selected: nothing to delete.
    f->BitBtnUndel->click();
    f->BitBtnApply->click();
    EXPECT_EQ(Ids(f), "01 02 05 06 ");
    EXPECT_EQ(f->RichEditSourceView->SelLength(), 0);
    EXPECT_FALSE(f->ActDelete->Enabled());
    f->BitBtnTrash->click();
    EXPECT_EQ(Ids(f), "01 02 05 06 ");
}

TEST_F(TestCaseEditorTest, ShiftMarksAndTheEditorsKeysWinWhileTheTextHasTheFocus) {
    TFrameTestCaseViewer* f = Open(listing);
    ASSERT_NE(f, nullptr);
    TListingView* view = f->RichEditSourceView;
    dialogs->Reset();
    // Shift released with a selection from inside TC0001 into TC0002.
    view->SetSelection(view->LineStart(3) + 4, 90);
    QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(view, &shiftUp);
    EXPECT_EQ(f->FirstMarked, 3);
    EXPECT_EQ(f->LastMarked, 4);
    EXPECT_EQ(view->SelStart(), view->LineStart(3));
    // Ctrl+Delete deletes; Ctrl+S saves here instead of opening the
    // specification dialog that the window binds to it.
    EXPECT_TRUE(Key(view, Qt::Key_Delete, Qt::ControlModifier));
    EXPECT_EQ(Ids(f), "03 04 05 06 ");
    // Alt+Backspace brings back the last line deleted: the first marked.
    EXPECT_TRUE(Key(view, Qt::Key_Backspace, Qt::AltModifier));
    EXPECT_EQ(Ids(f), "01 03 04 05 06 ");
    EXPECT_TRUE(Key(view, Qt::Key_S, Qt::ControlModifier));
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_EQ(pemtest::ReadFile(listing).find("TC0002"), std::string::npos);
    // Saved and nothing pending: the key goes to the window again.
    EXPECT_FALSE(Key(view, Qt::Key_S, Qt::ControlModifier));
}

TEST_F(TestCaseEditorTest, ClosingAChangedListAsksAndYesSaves) {
    TFrameTestCaseViewer* f = Open(listing);
    ASSERT_NE(f, nullptr);
    Drag(f->RichEditSourceView, 14, 14);
    f->BitBtnTrash->click();
    dialogs->AnswerMessage(mrYes);
    form->Act("ActCloseTab")->trigger();
    EXPECT_EQ(dialogs->Messages(),
              std::vector<std::string>{"Cases/PAY.txt has been changed,\r\nDo you want to save the changes ?"});
    EXPECT_EQ(form->PageControlEditor->PageCount(), 0);
    // The last page emptied: its head went with it.
    const std::string text = pemtest::ReadFile(listing);
    EXPECT_EQ(text.find("TC0006"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 10), "Negative\r\n");
}

TEST_F(TestCaseEditorTest, ALoadCleanupRewritesAnEditableListOnlyAndAFailedOneLeavesNoTab) {
    const std::string tail = kSep + "\r\n" + kTestCaseHeader + "\r\n" + kSep + "\r\n";
    const std::string text = pemtest::ReadFile(listing) + tail;
    // Another extension: shown cleaned, nothing marked, the file untouched.
    const std::string csvListing = out + "/Cases/OLD.csv";
    pemtest::WriteFile(csvListing, text);
    TFrameTestCaseViewer* f = Open(csvListing);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->ReadOnly);
    EXPECT_EQ(Shown(f).size(), 15u);
    EXPECT_EQ(pemtest::ReadFile(csvListing), text);
    Drag(f->RichEditSourceView, 3, 4);
    EXPECT_FALSE(f->ActDelete->Enabled());
    // A ".txt" listing is written back at once.
    pemtest::WriteFile(listing, text);
    f = Open(listing);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pemtest::ReadFile(listing), text.substr(0, text.size() - tail.size()));
    // One that cannot be written back is refused, and leaves no tab.
    const std::string locked = out + "/Cases/LOCKED.txt";
    pemtest::WriteFile(locked, text);
    ::chmod(locked.c_str(), 0444);
    dialogs->AnswerFiles({locked});
    form->Act("ActViewTestCases")->trigger();
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "File invalid for this viewer!"));
    EXPECT_EQ(form->PageControlEditor->PageCount(), 2);
}

TEST_F(TestCaseEditorTest, MethodFileModeAndTheWindowsViewerPopup) {
    form->Act("ActSpecifyMethodFile")->SetVisible(true);
    const std::string csv = pemtest::ReadFile(out + "/Cases/PAY.csv");
    TFrameTestCaseViewer* f = Open(listing);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->SkipCompanions);
    Drag(f->RichEditSourceView, 3, 3);
    f->BitBtnTrash->click();
    f->BitBtnApply->click();
    EXPECT_EQ(pemtest::ReadFile(listing).find("TC0001"), std::string::npos);
    EXPECT_EQ(pemtest::ReadFile(out + "/Cases/PAY.csv"), csv);
    // The frame's popup: its own items, a separator, the window's.
    std::vector<std::string> names;
    for (QAction* a : f->PopupMenuTestCaseViewer->actions()) names.push_back(a->isSeparator() ? "-" : a->objectName().toStdString());
    ASSERT_GE(names.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 7),
              (std::vector<std::string>{"Deletemarkedlines1", "Undolastdeletedline1", "Undolastblock1",
                                        "Redolastundonedeletion1", "-", "ActCloseTab", "ActCloseAllPages"}));
    // A copied item runs the window's action: the tab closes.
    f->PopupMenuTestCaseViewer->actions()[5]->trigger();
    EXPECT_EQ(form->PageControlEditor->PageCount(), 0);
}

} // namespace
