#include "DigitMaskEdit.h"
#include "DropRouter.h"
#include "Exceptions.h"
#include "IncCombo.h"
#include "QtTestSupport.h"
#include "QtText.h"
#include "StringListHolder.h"
#include "WM_DropFilesComponents.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

using namespace pem;

namespace {

class SmallControlsTest : public ::testing::Test {
protected:
    void SetUp() override { pemtest::EnsureQApp(); }
    pemtest::ScopedDialogs dialogs;
};

// ---- string-list holder

TEST_F(SmallControlsTest, HolderClearResetsMaxLenButKeepsSaveObjects) {
    TPanel owner(nullptr, nullptr, "Form");
    auto* h = new TStringListHolder(&owner, "STHXML_Sample");
    EXPECT_STREQ(h->ClassName(), "TStringListHolder");
    EXPECT_EQ(owner.FindComponent("STHXML_Sample"), h);
    h->SetSaveObjects(true);
    h->SetMaxLen(42);
    h->Add("one");
    h->SetObjectNumber(0, 17);
    h->Clear();
    EXPECT_EQ(h->Count(), 0);
    EXPECT_EQ(h->MaxLen(), 0);
    EXPECT_TRUE(h->SaveObjects());
}

TEST_F(SmallControlsTest, HolderAssignmentCopiesStringsAndNumberObjects) {
    TStringListHolder h(nullptr, "H");
    TStringList src;
    src.Add("a");
    src.AddObject("b", ObjectFromInt(-5));
    h.SetStringList(src);
    src.Put(0, "changed");
    ASSERT_EQ(h.Count(), 2);
    EXPECT_EQ(h.GetStrings(0), "a");
    EXPECT_EQ(h.GetObjectNumber(0), 0);
    EXPECT_EQ(h.GetObjectNumber(1), -5);
    h.SetCommaText("x,\"y z\"");
    ASSERT_EQ(h.Count(), 2);
    EXPECT_EQ(h.GetStrings(1), "y z");
}

// ---- numeric masked edit

TEST_F(SmallControlsTest, DigitTextAlignment) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {" 1 2 ", "   12"},
        {"12   ", "   12"},
        {"     ", "     "},
        {" 1. 5 ", " 1.5  "},
        {"1 .  5", " 1.5  "},
        {"0.7  ", "0.7  "},
        {" 1.2. 3", " 1.2.3 "}, // between the first and the last "." nothing moves
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(AlignDigitText(c.in), c.out) << "[" << c.in << "]";
}

TEST_F(SmallControlsTest, DigitEditAlignsOnValidateAndChecksRequiredPositions) {
    TDigitMaskEdit stmt(nullptr, nullptr, "DigitMaskEditStmtNumberLimit", "!9999999;0; ", "0001000");
    EXPECT_STREQ(stmt.ClassName(), "TDigitMaskEdit");
    EXPECT_EQ(stmt.Text(), "0001000");
    stmt.SetText(" 1 2");
    stmt.SetModified(false);
    stmt.ValidateEdit();
    EXPECT_EQ(stmt.Text(), "     12");
    EXPECT_TRUE(stmt.Modified());

    TDigitMaskEdit quality(nullptr, nullptr, "Q", "!\\0.999;1;0", "0.5  ");
    EXPECT_EQ(quality.Text(), "0.5  ");
    quality.SetText("0. 5 ");
    quality.ValidateEdit();
    EXPECT_EQ(quality.Text(), "0.5  ");

    // "0" marks a digit that must be given.
    TDigitMaskEdit required(nullptr, nullptr, "R", "00;0; ", "");
    EXPECT_THROW(required.ValidateEdit(), Exception);
    required.SetText("7");
    EXPECT_THROW(required.ValidateEdit(), Exception); // " 7" after the alignment
    required.SetText("78");
    EXPECT_NO_THROW(required.ValidateEdit());
}

// ---- drop router and drop-aware controls

std::unique_ptr<QMimeData> UriList(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths) urls << (p.startsWith("http") ? QUrl(p) : QUrl::fromLocalFile(p));
    data->setUrls(urls);
    return data;
}

TEST_F(SmallControlsTest, FilesFromUriListAreCodePageNames) {
    auto data = UriList({QString::fromUtf8("/tmp/Gr\xC3\xBC\xC3\x9F" "e.txt"), "http://example.org/x.txt",
                         QString::fromUtf8("/tmp/\xE4\xB8\xAD.txt"), "/tmp/plain.cob"});
    TStringList files = TDropRouter::FilesFromMime(data.get());
    ASSERT_EQ(files.Count(), 2);
    EXPECT_EQ(files[0], "/tmp/Gr\xFC\xDF" "e.txt"); // Windows-1252 bytes
    EXPECT_EQ(files[1], "/tmp/plain.cob");
}

TEST_F(SmallControlsTest, DropReachesTheNearestRegisteredControl) {
    TPanel form(nullptr, nullptr, "Form");
    auto* group = new TGroupBoxWM_Drop(&form, &form, "GroupBoxSelectedFiles", "Files");
    auto* inner = new TEdit(&form, group, "EditInside");
    auto* button = new TBitBtnWM_Drop(&form, group, "BitBtnAddFiles", "Add");
    auto* loose = new TPanelWM_Drop(&form, &form, "PanelLoose");
    EXPECT_STREQ(button->ClassName(), "TBitBtnWM_Drop");

    std::vector<std::pair<std::string, std::string>> got; // receiver, first file
    auto record = [&](TComponent* sender, const TWMDropFiles& msg) { got.push_back({sender->Name(), msg.Files[0]}); };
    group->OnWMDropFileMessage = record;
    button->OnWMDropFileMessage = record;
    DragAcceptFiles(group, true);
    DragAcceptFiles(button, true);

    TStringList files{"/x/a.cob", "/x/b.cob"};
    TDropRouter& r = TDropRouter::Instance();
    EXPECT_TRUE(r.Deliver(button, files));
    EXPECT_TRUE(r.Deliver(inner, files)); // the edit is not a target: its group takes it
    EXPECT_FALSE(r.Deliver(loose, files)); // never registered
    DragAcceptFiles(button, false);
    EXPECT_TRUE(r.Deliver(button, files)); // now the group above it
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].first, "BitBtnAddFiles");
    EXPECT_EQ(got[1].first, "GroupBoxSelectedFiles");
    EXPECT_EQ(got[2].first, "GroupBoxSelectedFiles");

    // A handler's exception stays inside the drop.
    group->OnWMDropFileMessage = [](TComponent*, const TWMDropFiles&) { Abort(); };
    EXPECT_TRUE(r.Deliver(group, files));
    // A destroyed target is forgotten.
    delete group;
    EXPECT_FALSE(r.Deliver(&form, files));
}

TEST_F(SmallControlsTest, QtDropEventOnAChildEditIsRouted) {
    TPanel form(nullptr, nullptr, "Form");
    auto* panel = new TPanelWM_Drop(&form, &form, "PanelDrop");
    auto* edit = new TEdit(&form, panel, "Edit"); // edits take text drops of their own
    TStringList received;
    panel->OnWMDropFileMessage = [&](TComponent*, const TWMDropFiles& msg) { received = msg.Files; };
    DragAcceptFiles(panel, true);

    auto data = UriList({"/srv/job/one.job"});
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &drop);
    ASSERT_EQ(received.Count(), 1);
    EXPECT_EQ(received[0], "/srv/job/one.job");
    EXPECT_TRUE(edit->Text().empty());
}

// ---- incremental-search combo box

class IncComboTest : public SmallControlsTest {
protected:
    void SetUp() override {
        SmallControlsTest::SetUp();
        combo = std::make_unique<TIncCombo>(nullptr, nullptr, "IncComboLang");
        combo->AddWithSecond("Alpha", "A1");
        combo->AddWithSecond("Beta", "B2");
        combo->AddWithSecond("Gamma", "G3");
        combo->OnChange = [this](TComponent*) { ++changes; };
        combo->OnFullValue = [this](TComponent*) { ++fullValues; };
    }
    void Key(int key, const QString& text = {}) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(combo.get(), &e);
    }
    void Type(const std::string& s) {
        for (char c : s) {
            QString t(QChar::fromLatin1(c));
            Key(c == '*' ? Qt::Key_Asterisk : Qt::Key(QChar(c).toUpper().unicode()), t);
        }
    }
    std::string Selected() const { return FromQ(combo->lineEdit()->selectedText()); }
    std::unique_ptr<TIncCombo> combo;
    int changes = 0;
    int fullValues = 0;
};

TEST_F(IncComboTest, PrefixSearchCompletesTheItem) {
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->SecondInd(), "");
    Type("be");
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->Text(), "Beta");
    EXPECT_EQ(Selected(), "ta");
    EXPECT_EQ(combo->SearchText(), "Be"); // the edit's text after the completion of "b"
    EXPECT_EQ(combo->SecondInd(), "B2");
    EXPECT_EQ(changes, 2); // one change per key, after the search
    EXPECT_EQ(dialogs->beeps, 0);
    Type("ta");
    EXPECT_EQ(fullValues, 1);
}

TEST_F(IncComboTest, SearchWithinSelectsTheMatchInsideTheItem) {
    Type("*mm");
    EXPECT_FALSE(combo->PrefixMode());
    EXPECT_EQ(combo->Text(), "Gamma");
    EXPECT_EQ(Selected(), "mm");
    EXPECT_EQ(combo->lineEdit()->selectionStart(), 2);
    EXPECT_EQ(combo->SearchText(), "*mm");
    // Backspace shortens the search text; emptying it goes back to prefix mode.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(combo->SearchText(), "*m");
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(combo->PrefixMode());
    EXPECT_EQ(dialogs->beeps, 1);
}

TEST_F(IncComboTest, MissBeepsAndReturnsToThePreviousMatch) {
    Type("bx");
    EXPECT_EQ(dialogs->beeps, 1);
    EXPECT_EQ(combo->Text(), "Beta");
    EXPECT_EQ(Selected(), "eta");
    EXPECT_EQ(combo->SearchText(), "b");

    Key(Qt::Key_Escape);
    EXPECT_EQ(combo->Text(), "");
    Type("*mx");
    EXPECT_EQ(dialogs->beeps, 2);
    EXPECT_EQ(combo->Text(), "Gamma");
    EXPECT_EQ(Selected(), "m");
    EXPECT_EQ(combo->SearchText(), "*m");
}

TEST_F(IncComboTest, FreeTextEntryDoesNotBeepAndNamesNoItem) {
    combo->AllowTextEntry = true;
    Type("bx");
    EXPECT_EQ(dialogs->beeps, 0);
    EXPECT_EQ(combo->Text(), "Bx");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->SecondInd(), "");
}

TEST_F(IncComboTest, EscapeAndHomeEndKeys) {
    int escs = 0;
    combo->OnEscKey = [&](TComponent*) { ++escs; };
    Type("*et");
    Key(Qt::Key_Escape);
    EXPECT_EQ(escs, 1);
    EXPECT_TRUE(combo->PrefixMode());
    EXPECT_EQ(combo->SearchText(), "");
    EXPECT_EQ(combo->Text(), "");
    Key(Qt::Key_End);
    EXPECT_EQ(combo->Text(), "Gamma");
    Key(Qt::Key_Home);
    EXPECT_EQ(combo->Text(), "Alpha");
}

TEST_F(IncComboTest, AddWithSecondIgnoresItemsAlreadyThere) {
    combo->AddWithSecond("Beta  ", "other");
    combo->AddWithSecond("BETA", "other");
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->SecondOfItem("Beta"), "B2");
    ASSERT_NE(combo->SecondList(), nullptr);
    EXPECT_EQ(combo->SecondList()->Text(), "0=A1\n1=B2\n2=G3\n");
    combo->SetSecondInd("G3");
    EXPECT_EQ(combo->Text(), "Gamma");
    combo->SetSecondInd("nothing");
    EXPECT_EQ(combo->Text(), "Gamma");
    combo->ClearItems();
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->Text(), "");
    EXPECT_EQ(combo->SecondInd(), "");
    combo->AddWithSecond("Delta", "D4");
    EXPECT_EQ(combo->SecondOfItem("Delta"), "D4");
    combo->SetClearBeforeFill(true);
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->SecondOfItem("Delta"), "");
}

TEST_F(IncComboTest, FilteredListKeepsEachItemsSecondValue) {
    combo->AddWithSecond("Delta", "D4"); // Beta and Delta hold "ta"
    Type("*ta");
    ASSERT_EQ(combo->Text(), "Beta");
    combo->showPopup();
    ASSERT_TRUE(combo->Filtered());
    ASSERT_EQ(combo->count(), 2);
    combo->hidePopup();
    combo->setCurrentIndex(1); // Delta, second in the filtered list
    EXPECT_EQ(combo->Text(), "Delta");
    EXPECT_EQ(combo->SecondInd(), "D4");
    EXPECT_EQ(combo->FullItems().Count(), 4);
    EXPECT_EQ(combo->Items().CommaText(), "Alpha,Beta,Gamma,Delta");
    // Selecting by a second value of a hidden item brings the full list back.
    combo->SetSecondInd("A1");
    EXPECT_FALSE(combo->Filtered());
    EXPECT_EQ(combo->Text(), "Alpha");
    EXPECT_EQ(combo->SecondInd(), "A1");
}

TEST_F(IncComboTest, DropDownListWithoutSelectionTakesTheFirstItem) {
    TIncCombo box(nullptr, nullptr, "Fixed");
    box.SetDropDownList(true);
    box.AddWithSecond("One", "1");
    box.AddWithSecond("Two", "2");
    box.setCurrentIndex(-1);
    box.showPopup();
    EXPECT_EQ(box.currentIndex(), 0);
    box.hidePopup();
    EXPECT_EQ(box.SecondInd(), "1");
}

} // namespace
