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
#include <QScrollBar>
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

    TEdit* Edit(int row) const { return frame->RowEdit(static_cast<size_t>(row)); }
    TMyXMLNode* Node(int row) const { return (*frame->Document)[frame->Rows().Rows.at(static_cast<size_t>(row)).Node]; }
    void OpenHeading(int row) { Click(frame->RowLabel(static_cast<size_t>(row))); }

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
    EXPECT_EQ(frame->RowLabel(12)->Caption(), "         ---- Defects:  ");
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
    Type(frame->RowEdit(kNotes), "!");
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

// A long document: a group of n counters, every tenth a float, every 50th a
// text; opened, they show in some hundred columns.
std::string LongDocument(int n) {
    std::string d = "<QMETRICS>\n  <Counters>\n";
    for (int i = 0; i < n; ++i) {
        const std::string tag = "Nr_" + std::to_string(i);
        const std::string value = i % 10 == 5 ? "1.5" : i % 50 == 7 ? "text" : std::to_string(i);
        d += "    <" + tag + ">" + value + "</" + tag + ">\n";
    }
    return d + "  </Counters>\n</QMETRICS>\n";
}

class XMLEditLongDocumentTest : public ::testing::Test {
protected:
    static constexpr int kCounters = 3000;
    void SetUp() override {
        pemtest::EnsureQApp();
        file = dir / "Original/LONG.xml";
        pemtest::WriteFile(file, LongDocument(kCounters));
        host = std::make_unique<TForm>("frmHost");
        frame = TFrameXMLEdit::CreateForFile(host.get(), host->Client(), file);
        host->resize(900, 600);
        host->show();
        QApplication::processEvents();
        Click(frame->RowLabel(1)); // "+--- Counters"
    }
    // The row of counter i.
    static size_t Counter(int i) { return static_cast<size_t>(i) + 2; }
    const TXMLEditRow& Row(size_t r) const { return frame->Rows().Rows.at(r); }
    QScrollBar* Bar() const { return frame->ScrollBoxEditor->horizontalScrollBar(); }
    // The edit the row has now, found by its name; none when it has none.
    TEdit* WidgetOf(size_t r) const {
        return frame->PanelEditor->findChild<TEdit*>(QString::fromStdString(Row(r).EditName));
    }
    bool InView(QWidget* w) const { return frame->PanelEditor->rect().contains(w->geometry()); }
    std::string Stored(int counter) {
        auto reread = TMyXMLNodeList::CreateFromFile(file);
        reread->First();
        return reread->NodeByTag("Nr_" + std::to_string(counter))->Value;
    }

    pemtest::TempDir dir;
    pemtest::ScopedDialogs dialogs;
    std::string file;
    std::unique_ptr<TForm> host;
    TFrameXMLEdit* frame = nullptr;
};

// Wherever the bar stands, the rows in view have their widgets, in place and
// showing their texts, and no more than those.
TEST_F(XMLEditLongDocumentTest, OnlyTheRowsInViewHaveWidgetsWhereverTheBarStands) {
    ASSERT_EQ(frame->Rows().Rows.size(), Counter(kCounters));
    ASSERT_GT(frame->Layout().Columns, 50);
    const int step = Bar()->pageStep() * 7 / 3;
    for (int x = 0;; x = std::min(x + step, Bar()->maximum())) {
        Bar()->setValue(x);
        const int left = frame->ScrollPosition(), right = left + frame->PanelEditor->width();
        size_t inView = 0, editsInView = 0;
        for (const TXMLEditColumn& c : frame->Layout().Spans) {
            if (c.Right < left || c.Left > right) continue;
            for (size_t r = static_cast<size_t>(c.FirstRow); r < static_cast<size_t>(c.EndRow); ++r) {
                const TXMLRowPlace& p = frame->Layout().Places[r];
                auto* l = frame->PanelEditor->findChild<TLabel*>(QString::fromStdString(Row(r).LabelName));
                ASSERT_NE(l, nullptr) << "row " << r << " at " << x;
                EXPECT_FALSE(l->isHidden());
                EXPECT_EQ(l->x(), p.LabelLeft - left);
                EXPECT_EQ(l->Caption(), Row(r).Label);
                ++inView;
                if (Row(r).Kind == TXMLEditKind::None) continue;
                TEdit* e = WidgetOf(r);
                ASSERT_NE(e, nullptr) << "row " << r << " at " << x;
                EXPECT_FALSE(e->isHidden());
                EXPECT_EQ(e->x(), p.EditLeft - left);
                EXPECT_EQ(e->Text(), Row(r).Text);
                ++editsInView;
            }
        }
        EXPECT_GT(editsInView, 0u);
        EXPECT_EQ(frame->BoundRowCount(), inView) << x;
        size_t shownEdits = 0;
        for (TEdit* e : frame->PanelEditor->findChildren<TEdit*>())
            if (!e->isHidden()) ++shownEdits;
        EXPECT_EQ(shownEdits, editsInView) << x;
        EXPECT_LT(frame->PanelEditor->findChildren<TEdit*>().size(), 3 * editsInView + 16);
        if (x == Bar()->maximum()) break;
    }
    EXPECT_NE(WidgetOf(Counter(kCounters - 1)), nullptr);
}

// Tab at the last row in view goes to the next row, which had no widget,
// and scrolls it in; Backtab comes back.
TEST_F(XMLEditLongDocumentTest, TabCrossesTheEdgeOfTheView) {
    const auto& spans = frame->Layout().Spans;
    const TXMLEditColumn& next = spans.at(40);
    Bar()->setValue(next.Left - frame->PanelEditor->width() - 1);
    const size_t last = static_cast<size_t>(next.FirstRow) - 1, first = static_cast<size_t>(next.FirstRow);
    ASSERT_EQ(WidgetOf(first), nullptr);
    TEdit* from = frame->RowEdit(last);
    ASSERT_TRUE(InView(from));
    const int before = frame->ScrollPosition();
    from->setFocus();
    Press(from, Qt::Key_End);
    Type(from, "7");
    Press(from, Qt::Key_Tab);
    TEdit* to = frame->CurrentEdit();
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->Name(), Row(first).EditName);
    EXPECT_TRUE(to->hasFocus());
    EXPECT_TRUE(InView(to));
    EXPECT_GT(frame->ScrollPosition(), before);
    const std::string typed = Row(last).Text + "7";
    EXPECT_EQ((*frame->Document)[Row(last).Node]->Value, typed);

    Press(to, Qt::Key_Backtab);
    EXPECT_EQ(frame->CurrentEdit(), WidgetOf(last));
    EXPECT_TRUE(WidgetOf(last)->hasFocus());
    EXPECT_TRUE(InView(WidgetOf(last)));
    EXPECT_EQ(WidgetOf(last)->Text(), typed);
}

TEST_F(XMLEditLongDocumentTest, ARowFarDownKeepsItsKindCheckAndItsReadOnlyRule) {
    frame->ApplyReadOnlyRules("<T><QMETRICS><Nr_2901 TagReadOnly=\"Y\"/></QMETRICS></T>");
    TEdit* far = frame->RowEdit(Counter(2900));
    ASSERT_TRUE(InView(far));
    Type(far, "x.");
    EXPECT_EQ(far->Text(), "2900");
    EXPECT_EQ(dialogs->beeps, 2);
    EXPECT_FALSE(frame->RowEdit(Counter(2901))->isEnabled());
    // Enter skips the read-only field.
    Press(far, Qt::Key_Return);
    EXPECT_EQ(frame->CurrentEdit(), WidgetOf(Counter(2902)));
    // Scrolled away and back, the rule and the check still hold.
    Press(frame->CurrentEdit(), Qt::Key_Return);
    Bar()->setValue(0);
    ASSERT_EQ(WidgetOf(Counter(2901)), nullptr);
    EXPECT_FALSE(frame->RowEdit(Counter(2901))->isEnabled());
    dialogs->beeps = 0;
    Type(frame->RowEdit(Counter(2905)), "a");
    EXPECT_EQ(frame->RowEdit(Counter(2905))->Text(), "1.5");
    EXPECT_EQ(dialogs->beeps, 1);
}

// What a field holds survives scrolling: left without the owner refreshing
// the fields, typed and not yet left, or refreshed from the document after
// the owner's change; the save writes what was typed.
TEST_F(XMLEditLongDocumentTest, ChangesSurviveScrollingAndAreSaved) {
    TEdit* f = frame->RowEdit(Counter(2495));
    Type(f, "0");
    Press(f, Qt::Key_Return);
    EXPECT_EQ((*frame->Document)[Row(Counter(2495)).Node]->Value, "1.5");
    Bar()->setValue(0);
    ASSERT_EQ(WidgetOf(Counter(2495)), nullptr);
    EXPECT_EQ(frame->RowEdit(Counter(2495))->Text(), "1.50");

    int changed = 0;
    frame->OnElementChanged = [&](TFrameXMLEdit*, TMyXMLNodeList& doc) {
        ++changed;
        doc.SetNodeValue(Row(Counter(0)).Node, "999");
    };
    TEdit* typed = frame->RowEdit(Counter(2500));
    Press(typed, Qt::Key_End);
    Type(typed, "1");
    Bar()->setValue(0);
    EXPECT_EQ(frame->RowEdit(Counter(0))->Text(), "0");
    EXPECT_EQ(WidgetOf(Counter(2500)), typed);
    frame->BitBtnSave->click();
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(Stored(2500), "25001");
    EXPECT_EQ(Stored(0), "999");
    EXPECT_FALSE(frame->HasUnsavedChanges());
    // The fields follow the document now, in view or not.
    EXPECT_EQ(frame->RowEdit(Counter(0))->Text(), "999");
    EXPECT_EQ(frame->RowEdit(Counter(2500))->Text(), "25001");
    EXPECT_EQ(frame->RowEdit(Counter(2495))->Text(), "1.5");
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
