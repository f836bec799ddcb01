// The XML editor frame the way a user works it: keys typed into its fields,
// headings clicked open, its save and close buttons pressed, every question
// answered by the scripted dialogs; and the XML viewer window.
#include "FileFaults.h"
#include "MyStatusBar.h"
#include "QtTestSupport.h"
#include "SharedRoutinesCommon.h"
#include "SimpleViewerFrame.h"
#include "XMLEditFrame.h"
#include "XMLViewer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;

namespace {

void Press(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}

void Type(QWidget* w, const std::string& s) {
    for (char c : s) Press(w, QChar(c).toUpper().unicode(), QString(QChar(c)));
}

void Click(QWidget* w) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class XMLEditFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        file = dir / "Original/PAY.xml";
        pemtest::WriteFile(file, pemtest::ReadFile(FIXTURES_DIR "/xml/metric_qmetrics.xml"));
        host = std::make_unique<TForm>("frmHost");
        bar = new TMyStatusBar(host.get(), host.get(), "MyStB");
        frame = TFrameXMLEdit::CreateForFile(host.get(), host->Client(), file);
        frame->StatusBar = bar;
        host->resize(900, 600);
        host->show();
        QApplication::processEvents();
    }

    TEdit* Edit(int row) const { return frame->RowEdits().at(static_cast<size_t>(row)); }
    TMyXMLNode* Node(int row) const { return (*frame->Document)[frame->Rows().Rows.at(static_cast<size_t>(row)).Node]; }
    void OpenHeading(int row) { Click(frame->RowLabels().at(static_cast<size_t>(row))); }

    pemtest::TempDir dir;
    pemtest::ScopedDialogs dialogs;
    pemtest::StatusRecorder recorder;
    std::string file;
    std::unique_ptr<TForm> host;
    TMyStatusBar* bar = nullptr;
    TFrameXMLEdit* frame = nullptr;
};

// Rows of the fixture: 13 Type (attribute), 14 Fatal_Self_Defects (2),
// 15 Major_Self_Defects, 16 Total_Self_Defects, 23 Completness (0.75),
// 33 Notes (text).
constexpr int kType = 13, kFatal = 14, kMajor = 15, kTotal = 16, kCompletness = 23, kNotes = 33;

TEST_F(XMLEditFrameTest, KeysAreCheckedByTheFieldsKind) {
    struct Case {
        int row;
        const char* typed;
        const char* text;
        int beeps;
    } cases[] = {
        {kFatal, "7a", "27", 1},          // integers take digits only
        {kCompletness, ".1", "0.751", 1}, // one "." in a float
        {kNotes, "<x>", "R&D <draft>x", 2},
        {kType, "<", "Self", 1},
    };
    for (const auto& c : cases) {
        dialogs->beeps = 0;
        Type(Edit(c.row), c.typed);
        EXPECT_EQ(Edit(c.row)->Text(), c.text) << c.row;
        EXPECT_EQ(dialogs->beeps, c.beeps) << c.row;
    }
}

TEST_F(XMLEditFrameTest, EscapeClearsByKindAndTheClearedValueIsStored) {
    struct Case {
        int row;
        const char* text;
    } cases[] = {{kCompletness, "0.0"}, {kFatal, "0"}, {kNotes, ""}, {kType, "Self"}};
    for (const auto& c : cases) {
        Press(Edit(c.row), Qt::Key_Escape);
        EXPECT_EQ(Edit(c.row)->Text(), c.text) << c.row;
    }
    // Leaving the float field stores 0.0 and the page knows it changed.
    Press(Edit(kCompletness), Qt::Key_Escape);
    frame->CommitEdit();
    EXPECT_EQ(Node(kCompletness)->Value, "0.0");
    EXPECT_TRUE(frame->HasUnsavedChanges());
}

TEST_F(XMLEditFrameTest, EnterMovesToTheNextShownField) {
    OpenHeading(12); // "+--- Defects:  "
    EXPECT_EQ(frame->RowLabels()[12]->Caption(), "         ---- Defects:  ");
    ASSERT_FALSE(Edit(kMajor)->isHidden());
    Type(Edit(kFatal), "3");
    Press(Edit(kFatal), Qt::Key_Return);
    EXPECT_EQ(frame->CurrentEdit(), Edit(kMajor));
    EXPECT_EQ(Node(kFatal)->Value, "23");
    // Collapsed again, its rows hide.
    OpenHeading(12);
    EXPECT_TRUE(Edit(kMajor)->isHidden());
}

TEST_F(XMLEditFrameTest, AChangedValueTellsTheOwnerOnceAndTheFieldsFollowTheDocument) {
    int calls = 0;
    frame->OnElementChanged = [&](TFrameXMLEdit* f, TMyXMLNodeList& doc) {
        ++calls;
        EXPECT_EQ(f, frame);
        doc.SetNodeValue(frame->Rows().Rows[kTotal].Node, "99");
    };
    // Leaving a field unchanged is no change.
    frame->CommitEdit();
    Press(Edit(kMajor), Qt::Key_End);
    frame->CommitEdit();
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(frame->HasUnsavedChanges());
    EXPECT_EQ(frame->ActCancel->Caption(), "Close editor page");

    Press(Edit(kMajor), Qt::Key_Backspace);
    Type(Edit(kMajor), "4");
    frame->CommitEdit();
    frame->CommitEdit();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Edit(kTotal)->Text(), "99");
    EXPECT_EQ(Node(kMajor)->Value, "4");
    EXPECT_TRUE(frame->HasUnsavedChanges());
    EXPECT_EQ(frame->ActCancel->Caption(), "Cancel editing and close editor page");
}

TEST_F(XMLEditFrameTest, SaveWritesOnlyAChangeAndTellsTheOwnerOnce) {
    int saved = 0;
    frame->OnSaved = [&](TFrameXMLEdit*) { ++saved; };
    const std::string before = pemtest::ReadFile(file);
    frame->BitBtnSave->click();
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(pemtest::ReadFile(file), before);

    Type(Edit(kNotes), "!");
    frame->BitBtnSave->click();
    EXPECT_EQ(saved, 1);
    EXPECT_FALSE(frame->HasUnsavedChanges());
    EXPECT_EQ(frame->ActCancel->Caption(), "Close editor page");
    auto reread = TMyXMLNodeList::CreateFromFile(file);
    reread->First();
    EXPECT_EQ(reread->NodeByTag("Notes")->Value, "R&D <draft>!");
    frame->BitBtnSave->click();
    EXPECT_EQ(saved, 1);
}

// A save that cannot be completed, on a disk that fills up, leaves the
// document on disk byte for byte and the page modified, and says why; the
// next save, with room again, writes it.
TEST_F(XMLEditFrameTest, ASaveOnAFullDiskLeavesTheDocumentWhole) {
    int saved = 0;
    frame->OnSaved = [&](TFrameXMLEdit*) { ++saved; };
    const std::string before = pemtest::ReadFile(file);
    ASSERT_GT(before.size(), 512u);
    Type(Edit(kNotes), "!");
    {
        pemtest::FileSizeLimit disk(512);
        frame->BitBtnSave->click();
    }
    EXPECT_EQ(pemtest::ReadFile(file), before);
    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(frame->HasUnsavedChanges());
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"Can not write file " + file + "."});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "Original"), {}), 1);

    frame->BitBtnSave->click();
    EXPECT_EQ(saved, 1);
    auto reread = TMyXMLNodeList::CreateFromFile(file);
    reread->First();
    EXPECT_EQ(reread->NodeByTag("Notes")->Value, "R&D <draft>!");
}

// A document opened through a link is the user's choice: the save writes the
// link's target, and the link and the target's mode stay.
TEST(XMLEditFrame, ASaveThroughALinkWritesItsTarget) {
    pemtest::EnsureQApp();
    pemtest::TempDir dir;
    const std::string real = dir / "shared/PAY.xml", link = dir / "Original/PAY.xml";
    pemtest::WriteFile(real, pemtest::ReadFile(FIXTURES_DIR "/xml/metric_qmetrics.xml"));
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_directories(dir / "Original");
    std::filesystem::create_symlink(real, link);
    TForm host("frmHost");
    TFrameXMLEdit* frame = TFrameXMLEdit::CreateForFile(&host, host.Client(), link);
    ASSERT_NE(frame, nullptr);
    host.show();
    Type(frame->RowEdits().at(kNotes), "!");
    frame->BitBtnSave->click();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    auto reread = TMyXMLNodeList::CreateFromFile(real);
    reread->First();
    EXPECT_EQ(reread->NodeByTag("Notes")->Value, "R&D <draft>!");
    struct stat st {};
    ::stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(XMLEditFrameTest, QuotesAndAmpersandsTypedReadBackTheSame) {
    Type(Edit(kNotes), " \"q\" & more");
    frame->CommitEdit();
    Press(Edit(27), Qt::Key_End); // EName of the second entity
    Type(Edit(27), " \"Ltd\"");
    frame->CommitEdit();
    frame->SaveChanges();
    auto reread = TMyXMLNodeList::CreateFromFile(file);
    reread->First();
    EXPECT_EQ(reread->NodeByTag("Notes")->Value, "R&D <draft> \"q\" & more");
    ASSERT_TRUE(reread->Locate("METRIC_ENTITY", {"EName", "Billing & Tax \"Ltd\""}));
}

TEST_F(XMLEditFrameTest, AnEmptiedNumberKeepsItsValueWithAWarning) {
    Press(Edit(kFatal), Qt::Key_Backspace);
    ASSERT_EQ(Edit(kFatal)->Text(), "");
    frame->CommitEdit();
    EXPECT_EQ(Node(kFatal)->Value, "2");
    EXPECT_EQ(Edit(kFatal)->Text(), "2");
    EXPECT_FALSE(frame->HasUnsavedChanges());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "'' is not a valid integer value"));
}

TEST_F(XMLEditFrameTest, DiscardingAsksAndNoKeepsThePage) {
    Type(Edit(kNotes), "x");
    dialogs->AnswerMessage(mrNo);
    frame->BitBtnCancel->click();
    QApplication::processEvents();
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0], file + " has been changed,\r\nDo you want to discard the changes ?");
    EXPECT_TRUE(frame->HasUnsavedChanges());
    EXPECT_FALSE(host->isHidden());

    dialogs->AnswerMessage(mrYes);
    frame->BitBtnCancel->click();
    QApplication::processEvents();
    EXPECT_FALSE(frame->HasUnsavedChanges());
    EXPECT_TRUE(host->isHidden()); // the window's close request went out
}

TEST_F(XMLEditFrameTest, ReadOnlyFieldsCannotBeEdited) {
    frame->ApplyReadOnlyRules("<T><QMETRICS><Total_Self_Defects TagReadOnly=\"Y\"/></QMETRICS></T>");
    EXPECT_FALSE(Edit(kTotal)->isEnabled());
    EXPECT_TRUE(Edit(kMajor)->isEnabled());
}

TEST(XMLEditFrame, ADocumentThatDoesNotParseGivesNoFrame) {
    pemtest::EnsureQApp();
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "bad.xml", "<a><b></a>");
    TForm host("frmHost");
    EXPECT_THROW(TFrameXMLEdit::CreateForFile(&host, host.Client(), dir / "bad.xml"), std::exception);
    EXPECT_EQ(host.Client()->findChildren<TFrameXMLEdit*>().size(), 0);
}

TEST(XMLViewer, ShowsAnExistingFileAndSaysWhenItIsMissing) {
    pemtest::EnsureQApp();
    pemtest::TempDir dir;
    pemtest::StatusRecorder recorder;
    TfrmXMLViewer viewer;
    const std::string missing = dir / "gone.xml";
    EXPECT_FALSE(viewer.LoadFile(missing));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "File \"" + missing + "\" doesn't exist "));
    EXPECT_TRUE(viewer.isHidden());

    pemtest::WriteFile(dir / "a.xml", "<a><b>1</b></a>");
    EXPECT_TRUE(viewer.LoadFile(dir / "a.xml"));
    EXPECT_EQ(viewer.Caption(), dir / "a.xml");
    EXPECT_FALSE(viewer.isHidden());
    EXPECT_EQ(viewer.FrameSimpleViewer1->RichEditSourceView->Text8(), "<a>\n\t<b>1</b>\n</a>");
}

} // namespace
