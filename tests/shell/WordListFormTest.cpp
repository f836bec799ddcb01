// Word lists on the main window, the way a user reaches them: the import and
// export actions with their dialogs, a word list dropped on the import
// button, the word-scan tab entered by a click, the create row, picked words
// dropped on it, editing in place, cleaning, and the dictionary read through
// the window.
#include "ControlEvents.h"
#include "FindExecFrame.h"
#include "MainFormHarness.h"
#include "SettingsStore.h"
#include "UserGestures.h"
#include "WM_DropFilesComponents.h"
#include "WordListFile.h"
#include "WordPicking.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

class WordListFormTest : public pemtest::MainFormTest {
protected:
    std::string Functab() const { return install / "Tools/Measure/Korvex/COBAudit/Functab.COB"; }

    TfrmPemarisMain* StartScan(const std::string& extras = "Scan=Y,ObjectsEdit=Y") {
        CopyTree(FIXTURES_DIR "/installations");
        pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                           "RadioButtonCob85=COBOL 85,COB,,1,V85\nCOB.Extras=(" + extras +
                               ")\nActiveRadioButton=RadioButtonCob85\n");
        if (beforeStart) beforeStart();
        Start();
        dialogs->Reset();
        return form.get();
    }
    std::string WordList(const std::string& name, const std::string& text) {
        pemtest::WriteFile(install / name, text);
        return install / name;
    }
    static std::vector<std::string> Items(const TCheckListBox* l) {
        std::vector<std::string> out;
        for (int i = 0; i < l->Count(); ++i) out.push_back(l->ItemText(i) + (l->Checked(i) ? "" : " (unticked)"));
        return out;
    }
    static bool HasAll(const TCheckListBox* l, const std::vector<std::string>& texts) {
        const std::vector<std::string> items = Items(l);
        return std::all_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return std::find(items.begin(), items.end(), t) != items.end(); });
    }
    void Trigger(const char* action) {
        form->Act(action)->trigger();
        QApplication::processEvents();
    }
    std::function<void()> beforeStart;
};

const char* const kList = "0001 09 INPT read file\n0002 04 ATTR attr\n0003 05      loose\n0004 08 NOUN customer\n";

} // namespace

TEST_F(WordListFormTest, ImportAsksWhetherToClearWhatIsThere) {
    const struct {
        const char* what;
        bool filled;
        int answer;
        std::vector<std::string> controls;
        bool asked;
    } cases[] = {
        {"empty lists are not asked about", false, mrNone, {"???? loose", "INPT read file"}, false},
        {"Yes empties the lists first", true, mrYes, {"???? loose", "INPT read file"}, true},
        {"No adds to them", true, mrNo, {"???? loose", "INPT read file", "PROC kept"}, true},
        {"Cancel leaves everything", true, mrCancel, {"PROC kept"}, true},
    };
    for (const auto& c : cases) {
        StartScan();
        const std::string file = WordList("words.wrl", kList);
        if (c.filled) form->CheckListBoxControlTags->AddItem("PROC kept", true);
        form->SetModified(false);
        dialogs->AnswerFiles({file});
        if (c.answer != mrNone) dialogs->AnswerMessage(c.answer);
        Trigger("ActLoadWordList");
        EXPECT_EQ(Items(form->CheckListBoxControlTags), c.controls) << c.what;
        EXPECT_EQ(dialogs->Messages().size(), c.asked ? 1u : 0u) << c.what;
        EXPECT_EQ(form->PageControlMain->ActivePage(), form->TabSheetWordScan) << c.what;
        if (c.answer == mrCancel) continue;
        EXPECT_EQ(Items(form->CheckListBoxObjects), std::vector<std::string>{"customer"}) << c.what;
        EXPECT_TRUE(form->Modified) << c.what;
        EXPECT_EQ(ReadSettingStr("LastUsedWordTable"), file) << c.what;
    }
    // The dialog as it was asked for.
    ASSERT_FALSE(dialogs->calls.empty());
    EXPECT_EQ(dialogs->calls.front().text, "Load a word list");
}

TEST_F(WordListFormTest, ExportWritesTheTickedEntriesOrNothingAtAll) {
    StartScan();
    Trigger("ActSaveWordList");
    EXPECT_TRUE(dialogs->calls.empty());

    form->CheckListBoxControlTags->AddItem("OTPT result", true);
    form->CheckListBoxControlTags->AddItem("INPT skipped", false);
    form->CheckListBoxObjects->AddItem("order", true);
    const std::string file = install / "out.wrl";
    dialogs->AnswerFiles({file});
    Trigger("ActSaveWordList");
    ASSERT_EQ(dialogs->calls.size(), 1u);
    EXPECT_EQ(dialogs->calls[0].text, "Export your word list");
    EXPECT_EQ(pemtest::ReadFile(file), "0001 06 OTPT result\n0002 05 NOUN order\n");
    EXPECT_EQ(ReadSettingStr("LastUsedWordTable"), file);
}

TEST_F(WordListFormTest, OnlyOneDroppedWordListIsImported) {
    StartScan();
    const std::string list = WordList("drop.WRL", kList);
    const std::string other = WordList("drop.txt", kList);
    fs::create_directories(install / "folder.wrl");
    auto drop = [&](TStringList files) {
        TDropRouter::Instance().Deliver(form->BitBtnImportWordlist, files);
        return form->CheckListBoxControlTags->Count();
    };
    EXPECT_EQ(drop({list, list}), 0);
    EXPECT_EQ(drop({other}), 0);
    EXPECT_EQ(drop({install / "folder.wrl"}), 0);
    EXPECT_EQ(drop({list}), 2);
}

TEST_F(WordListFormTest, EnteringTheTabLoadsTheFunctionTableOnlyWhenItIsThere) {
    beforeStart = [&] { fs::remove(Functab()); };
    StartScan();
    form->PageControlMain->SetActivePage(form->TabSheetNames);
    pemtest::ClickTab(form->PageControlMain, form->TabSheetWordScan);
    EXPECT_EQ(form->PageControlMain->ActivePage(), form->TabSheetWordScan);
    EXPECT_TRUE(dialogs->Messages().empty());
    EXPECT_EQ(form->CheckListBoxControlTags->Count(), 0);

    pemtest::WriteFile(Functab(), kList);
    pemtest::ClickTab(form->PageControlMain, form->TabSheetNames);
    // The program changing the page is no entering by the user.
    form->PageControlMain->SetActivePage(form->TabSheetWordScan);
    EXPECT_EQ(form->CheckListBoxControlTags->Count(), 0);
    pemtest::ClickTab(form->PageControlMain, form->TabSheetNames);
    pemtest::ClickTab(form->PageControlMain, form->TabSheetWordScan);
    EXPECT_EQ(Items(form->CheckListBoxControlTags), (std::vector<std::string>{"???? loose", "INPT read file"}));
}

TEST_F(WordListFormTest, TheCreateRowAndPickedWords) {
    StartScan();
    form->ComboBoxCreateWrdList->SetText("CA");
    form->EditCreateWrdList->SetText("  new word ");
    form->ButtonCreateWrdList->click();
    form->EditCreateWrdList->SetText("   ");
    form->ButtonCreateWrdList->click();
    EXPECT_EQ(Items(form->CheckListBoxControlTags), std::vector<std::string>{"CA   new word"});

    auto picked = [](TWordDragSource source, const std::string& text) {
        auto* data = new QMimeData;
        const std::string bytes = EncodeWordDrag({source, text});
        data->setData(kWordDragMimeType, QByteArray(bytes.data(), static_cast<int>(bytes.size())));
        return data;
    };
    std::unique_ptr<QMimeData> fromText(picked(TWordDragSource::SourceText, "shall\nnext"));
    EXPECT_TRUE(pemtest::Drop(form->EditCreateWrdList, fromText.get()));
    EXPECT_EQ(form->EditCreateWrdList->Text(), "shall");
    std::unique_ptr<QMimeData> fromList(picked(TWordDragSource::ControlWords, "OTPT report"));
    EXPECT_TRUE(pemtest::Drop(form->EditCreateWrdList, fromList.get()));
    EXPECT_EQ(form->EditCreateWrdList->Text(), "report");
    EXPECT_EQ(form->ComboBoxCreateWrdList->Text(), "OTPT");
    // The list takes only its own drags; plain text goes nowhere.
    EXPECT_FALSE(pemtest::Drop(form->CheckListBoxControlTags->viewport(), fromText.get()));
    QMimeData plain;
    plain.setText("text");
    EXPECT_FALSE(pemtest::Drop(form->EditCreateWrdList, &plain));

    // The action takes the source text's selection up to its line end.
    form->RichEditCTLWords->SetText("The system shall work\nnext");
    QTextCursor cursor = form->RichEditCTLWords->textCursor();
    cursor.setPosition(11);
    cursor.setPosition(27, QTextCursor::KeepAnchor);
    form->RichEditCTLWords->setTextCursor(cursor);
    Trigger("ActAddselectedToLIst");
    EXPECT_EQ(form->EditCreateWrdList->Text(), "shall work");
}

TEST_F(WordListFormTest, ASelectedSourceFileIsLoadedToPickWordsFrom) {
    StartScan();
    const std::string source = WordList("src/prog.cbl", "MOVE A TO B.\r\nDISPLAY B.\r\n");
    form->PageControlMain->SetActivePage(form->TabSheetWordScan);
    Trigger("ActLoadTextFile");
    EXPECT_EQ(form->PageControlMain->ActivePage(), form->TabSheetNames);
    form->CheckListBoxSelectedFiles->AddItem(source, true);
    form->CheckListBoxSelectedFiles->SetItemIndex(0);
    Trigger("ActLoadTextFile");
    EXPECT_EQ(form->PageControlMain->ActivePage(), form->TabSheetWordScan);
    EXPECT_EQ(form->PageControlWordLists->ActivePage(), form->TabSheetControlWDS);
    EXPECT_EQ(form->RichEditCTLWords->Lines(), TStringList({"MOVE A TO B.", "DISPLAY B."}));
}

TEST_F(WordListFormTest, NounsAndControlWordsAreEditedInPlace) {
    StartScan();
    form->PageControlMain->SetActivePage(form->TabSheetWordScan);
    form->PageControlWordLists->SetActivePage(form->TabSheetObjects);
    form->CheckListBoxObjects->AddItem("order", true);
    form->CheckListBoxObjects->AddItem("table", true);
    QApplication::processEvents();
    auto openNoun = [&](int row) {
        const QRect r = form->CheckListBoxObjects->visualItemRect(form->CheckListBoxObjects->item(row));
        pemtest::Click(form->CheckListBoxObjects->viewport(), QPoint(r.left() + r.height() + 10, r.center().y()));
    };
    // A click on the check box opens nothing.
    const QRect first = form->CheckListBoxObjects->visualItemRect(form->CheckListBoxObjects->item(0));
    pemtest::Click(form->CheckListBoxObjects->viewport(), QPoint(first.left() + 2, first.center().y()));
    EXPECT_FALSE(form->EditObjects->Visible());

    form->SetModified(false);
    openNoun(0);
    ASSERT_TRUE(form->EditObjects->Visible());
    EXPECT_EQ(form->EditObjects->Text(), "order");
    form->EditObjects->SetText("order line");
    pemtest::Key(form->EditObjects, Qt::Key_Escape);
    EXPECT_FALSE(form->EditObjects->Visible());
    EXPECT_EQ(form->CheckListBoxObjects->ItemText(0), "order");
    EXPECT_FALSE(form->Modified);

    openNoun(1);
    form->EditObjects->SetText(" tables");
    pemtest::Key(form->EditObjects, Qt::Key_Return, "\r");
    EXPECT_EQ(form->CheckListBoxObjects->ItemText(1), " tables");
    EXPECT_TRUE(form->Modified);
    // Moving the mouse away stores too; a blank text never.
    openNoun(0);
    form->EditObjects->SetText("   ");
    pemtest::MouseMove(form->CheckListBoxObjects->viewport(), QPoint(5, form->CheckListBoxObjects->viewport()->height() - 2));
    EXPECT_FALSE(form->EditObjects->Visible());
    EXPECT_EQ(form->CheckListBoxObjects->ItemText(0), "order");

    // A control word: Enter on the list opens the panel.
    form->PageControlWordLists->SetActivePage(form->TabSheetControlWDS);
    form->CheckListBoxControlTags->AddItem("INPT data", true);
    form->CheckListBoxControlTags->SetItemIndex(0);
    pemtest::Key(form->CheckListBoxControlTags, Qt::Key_Return);
    ASSERT_TRUE(form->PanelCWrd->Visible());
    EXPECT_EQ(form->ComboBoxEditCWrd->Text(), "INPT");
    EXPECT_EQ(form->EditCWrd->Text(), "data");
    form->ComboBoxEditCWrd->SetText("PROC");
    form->EditCWrd->SetText("data base");
    pemtest::Key(form->EditCWrd, Qt::Key_Return);
    EXPECT_FALSE(form->PanelCWrd->Visible());
    EXPECT_EQ(form->CheckListBoxControlTags->ItemText(0), "PROC data base");
}

TEST_F(WordListFormTest, ALongListAndAControlWordWithoutCodeSurviveExportAndImport) {
    StartScan();
    // 12,000 nouns as the tools write them: "%4.4d" grows a fifth digit.
    std::string text;
    for (int i = 1; i <= 12000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%4.4d %2.2d NOUN n%d\n", i, static_cast<int>(std::to_string(i).size()) + 1, i);
        text += line;
    }
    dialogs->AnswerFiles({WordList("big.wrl", text)});
    Trigger("ActLoadWordList");
    ASSERT_EQ(form->CheckListBoxObjects->Count(), 12000);
    EXPECT_TRUE(HasAll(form->CheckListBoxObjects, {"n9999", "n10000", "n12000"}));

    // A control word added with no code keeps its whole word.
    form->PageControlWordLists->SetActivePage(form->TabSheetControlWDS);
    form->ComboBoxCreateWrdList->SetText("");
    form->EditCreateWrdList->SetText("zeta");
    form->ButtonCreateWrdList->click();
    ASSERT_EQ(form->CheckListBoxControlTags->Count(), 1);
    form->CheckListBoxControlTags->SetItemIndex(0);
    pemtest::Key(form->CheckListBoxControlTags, Qt::Key_Return);
    ASSERT_TRUE(form->PanelCWrd->Visible());
    EXPECT_EQ(form->EditCWrd->Text(), "zeta");
    pemtest::Key(form->EditCWrd, Qt::Key_Escape);

    const std::string out = install / "out.wrl";
    dialogs->AnswerFiles({out});
    Trigger("ActSaveWordList");
    dialogs->AnswerFiles({out});
    dialogs->AnswerMessage(mrYes);
    Trigger("ActLoadWordList");
    EXPECT_EQ(Items(form->CheckListBoxControlTags), std::vector<std::string>{"???? zeta"});
    ASSERT_EQ(form->CheckListBoxObjects->Count(), 12000);
    EXPECT_TRUE(HasAll(form->CheckListBoxObjects, {"n9999", "n10000", "n12000"}));
}

TEST_F(WordListFormTest, CleaningTheFocusedList) {
    StartScan();
    form->PageControlMain->SetActivePage(form->TabSheetWordScan);
    for (const char* s : {"OTPT data", "INPT data", "???? loose", "INPT data", "INPT file"})
        form->CheckListBoxControlTags->AddItem(s, true);
    form->CheckListBoxControlTags->setFocus();
    QApplication::processEvents();
    Trigger("ActRemoveDuplicates");
    EXPECT_EQ(Items(form->CheckListBoxControlTags), (std::vector<std::string>{"???? loose", "INPT file", "OTPT data"}));
    Trigger("ActRemoveUnidentified");
    EXPECT_EQ(Items(form->CheckListBoxControlTags), (std::vector<std::string>{"INPT file", "OTPT data"}));
    EXPECT_TRUE(form->Modified);

    form->EditCreateWrdList->setFocus();
    QApplication::processEvents();
    Trigger("ActRemoveDuplicates");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Click on a checklistbox first to use this function!"));
}

TEST_F(WordListFormTest, TheDictionaryIsReadThroughTheWindowOnce) {
    beforeStart = [&] {
        for (const char* ext : {".tdfall", ".tdfc", ".exceptions"})
            fs::copy_file(std::string(FIXTURES_DIR "/dictionary/english") + ext,
                          install / (std::string("Tools/Measure/Korvex/english") + ext));
    };
    StartScan("Scan=Y,DictionaryFiles=english");
    ASSERT_TRUE(form->UseDictionaryFiles);
    form->CheckListBoxControlTags->AddItem("LINK user interface", true);
    form->CheckListBoxControlTags->AddItem("INPT shall", false);
    const TDictionaryTerms& d = form->ReadControlWords();
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Control word LINK user interface contains a word delimiter"));
    EXPECT_TRUE(d.FindSingleTerm("shall")); // not ticked
    form->ReadControlWords();
    EXPECT_EQ(d.Readings(), 1);
}

TEST_F(WordListFormTest, APressOnTheSelectedSourceTextDragsItAndKeepsTheSelection) {
    StartScan();
    form->PageControlMain->SetActivePage(form->TabSheetWordScan);
    form->RichEditCTLWords->SetText("IDENTIFICATION DIVISION.\nREAD input-file.");
    QApplication::processEvents();
    QTextCursor cursor = form->RichEditCTLWords->textCursor();
    cursor.setPosition(25);
    cursor.setPosition(35, QTextCursor::KeepAnchor);
    form->RichEditCTLWords->setTextCursor(cursor);
    pemtest::MousePress(form->RichEditCTLWords->viewport(), QPoint(5, 5));
    pemtest::MouseRelease(form->RichEditCTLWords->viewport(), QPoint(5, 5));
    EXPECT_EQ(form->RichEditCTLWords->textCursor().selectedText(), "READ input");
    // Without a selection the press is the text's own.
    cursor.clearSelection();
    form->RichEditCTLWords->setTextCursor(cursor);
    pemtest::MousePress(form->RichEditCTLWords->viewport(), QPoint(5, 5));
    EXPECT_EQ(form->RichEditCTLWords->textCursor().position(), 0);
}

TEST_F(WordListFormTest, TheWordListsStayWithTheJob) {
    StartScan();
    form->ValidateProductName("Acme");
    form->ValidateSystemName("Pay");
    form->ValidateVersion("1");
    form->CheckListBoxControlTags->AddItem("INPT data", true);
    form->CheckListBoxControlTags->AddItem("OTPT report", false);
    form->CheckListBoxObjects->AddItem("order", true);
    const std::string job = install / "jobs/Words.jkvx";
    fs::create_directories(install / "jobs");
    form->SaveProjectTo(job);
    form->ClearProject();
    EXPECT_EQ(form->CheckListBoxControlTags->Count(), 0);
    form->LoadProject(job);
    EXPECT_EQ(Items(form->CheckListBoxControlTags), (std::vector<std::string>{"INPT data", "OTPT report (unticked)"}));
    EXPECT_EQ(Items(form->CheckListBoxObjects), std::vector<std::string>{"order"});
}
