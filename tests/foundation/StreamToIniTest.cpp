#include "StreamToIni.h"

#include "Controls.h"
#include "Exceptions.h"
#include "Forms.h"
#include "IncCombo.h"
#include "QtTestSupport.h"
#include "StringListHolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace pem;
using pemtest::ReadFile;
using pemtest::TempDir;
using pemtest::WriteFile;

namespace {

std::string Fixture(const std::string& name) { return ReadFile(std::string(FIXTURES_DIR) + "/streamtoini/" + name); }

std::string ToCrLf(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// A form with one control of each kind the form state knows, plus a second
// combo box left without selection and a frame holding an edit.
struct TestForm {
    explicit TestForm(const std::string& name = "FormTest") {
        form = std::make_unique<TForm>(name);
        QWidget* p = form->Client();
        frame = new TFrame(form.get(), p, "FrameA", "TFramePick");
        frameEdit = new TEdit(frame, frame, "EditInFrame");
        edit = new TEdit(form.get(), p, "EditA");
        combo = new TComboBox(form.get(), p, "ComboA");
        comboB = new TComboBox(form.get(), p, "ComboB");
        inc = new TIncCombo(form.get(), p, "IncA");
        check = new TCheckBox(form.get(), p, "CheckA");
        clb = new TCheckListBox(form.get(), p, "CLBA");
        memo = new TMemo(form.get(), p, "MemoA");
        holder = new TStringListHolder(form.get(), "HolderA");
        radio = new TRadioGroup(form.get(), p, "RadioA");
    }

    void Fill() {
        form->SetCaption("State test");
        frameEdit->SetText("/opt/tool");
        edit->SetText("Hello, world");
        combo->SetItems({"one", "two", "three"});
        combo->SetItemIndex(2);
        comboB->SetItems({"x", "y z"});
        comboB->SetText("typed text");
        inc->AddWithSecond("Alpha", "A1");
        inc->AddWithSecond("Beta", "B2");
        inc->AddWithSecond("Gamma", "G3");
        inc->SetItemIndex(1);
        check->SetChecked(true);
        clb->AddItem("first", true);
        clb->AddItem("second", false);
        clb->SetItemEnabled(1, false);
        clb->AddItem("third", true);
        memo->SetLines({"line one", "", "  indented", "key=value"});
        holder->SetSaveObjects(true);
        holder->SetMaxLen(12);
        holder->SetObjectNumber(holder->Add("s1"), 5);
        holder->SetObjectNumber(holder->Add("s2 with@at"), -3);
        radio->SetItems({"r0", "r1", "r2"});
        radio->SetItemIndex(1);
    }

    // Something else in every control.
    void Scramble() {
        frameEdit->SetText("changed");
        edit->SetText("");
        combo->SetItems({"z"});
        combo->SetItemIndex(0);
        comboB->SetItems({});
        comboB->SetText("other");
        inc->ClearItems();
        inc->AddWithSecond("Zeta", "Z9");
        check->SetChecked(false);
        clb->ClearItems();
        clb->AddItem("junk", false);
        memo->SetLines({"junk"});
        memo->SetModified(false);
        holder->Clear();
        holder->SetSaveObjects(false);
        holder->Add("junk");
        radio->SetItemIndex(2);
    }

    std::unique_ptr<TForm> form;
    TFrame* frame;
    TEdit* frameEdit;
    TEdit* edit;
    TComboBox* combo;
    TComboBox* comboB;
    TIncCombo* inc;
    TCheckBox* check;
    TCheckListBox* clb;
    TMemo* memo;
    TStringListHolder* holder;
    TRadioGroup* radio;
};

// What a control shows, in one comparable text per kind.
struct KindCase {
    const char* kind;
    std::function<std::string(const TestForm&)> state;
};

std::string ComboState(const TComboBox* c) { return c->Items().CommaText() + "|" + std::to_string(c->ItemIndex()) + "|" + c->Text(); }

const std::vector<KindCase>& KindCases() {
    static const std::vector<KindCase> cases = {
        {"frame edit", [](const TestForm& f) { return f.frameEdit->Text(); }},
        {"edit", [](const TestForm& f) { return f.edit->Text(); }},
        {"combo box by index", [](const TestForm& f) { return ComboState(f.combo); }},
        {"combo box by text", [](const TestForm& f) { return f.comboB->Items().CommaText() + "|" + f.comboB->Text(); }},
        {"incremental combo box",
         [](const TestForm& f) {
             return f.inc->FullItems().CommaText() + "|" + std::to_string(f.inc->FullItemIndex()) + "|" +
                    f.inc->SecondInd() + "|" + f.inc->SecondOfItem("Gamma");
         }},
        {"check box", [](const TestForm& f) { return std::string(f.check->Checked() ? "Y" : "N"); }},
        {"check-list box",
         [](const TestForm& f) {
             std::string s;
             for (int i = 0; i < f.clb->Count(); ++i)
                 s += std::string(f.clb->Checked(i) ? "T" : "t") + (f.clb->ItemEnabled(i) ? "E" : "e") +
                      f.clb->ItemText(i) + ";";
             return s;
         }},
        {"memo", [](const TestForm& f) { return f.memo->Lines().Text(); }},
        {"string-list holder",
         [](const TestForm& f) {
             std::string s = std::to_string(f.holder->MaxLen()) + (f.holder->SaveObjects() ? "Y" : "N");
             for (int i = 0; i < f.holder->Count(); ++i)
                 s += "|" + std::to_string(f.holder->GetObjectNumber(i)) + "@" + f.holder->GetStrings(i);
             return s;
         }},
        {"radio group", [](const TestForm& f) { return std::to_string(f.radio->ItemIndex()); }},
    };
    return cases;
}

class StreamToIniTest : public ::testing::Test {
protected:
    void SetUp() override { pemtest::EnsureQApp(); }
    TempDir dir;
};

} // namespace

TEST_F(StreamToIniTest, StoredTextOfEveryKindIsExact) {
    TestForm f;
    f.Fill();
    TStreamToIni ini;
    ini.ContentSkipMask = 0;
    ini.StoreFormsEx(f.form.get());
    ini.SaveToFile(dir / "job.txt");
    EXPECT_EQ(ReadFile(dir / "job.txt"), Fixture("store_all.txt"));
}

TEST_F(StreamToIniTest, SavedTextRestoresEveryKind) {
    TestForm f;
    f.Fill();
    std::vector<std::string> before;
    for (const auto& c : KindCases()) before.push_back(c.state(f));
    {
        TStreamToIni ini;
        ini.ContentSkipMask = 0;
        ini.StoreFormsEx(f.form.get());
        ini.SaveToFile(dir / "job.txt");
    }
    f.Scramble();
    for (size_t i = 0; i < KindCases().size(); ++i)
        ASSERT_NE(KindCases()[i].state(f), before[i]) << "scramble misses " << KindCases()[i].kind;

    TStreamToIni ini;
    ini.LoadFromFile(dir / "job.txt");
    EXPECT_EQ(ini.FileFormat, 1);
    ini.ContentSkipMask = 0;
    ini.RestoreFormsEx(f.form.get());
    for (size_t i = 0; i < KindCases().size(); ++i)
        EXPECT_EQ(KindCases()[i].state(f), before[i]) << KindCases()[i].kind;
    EXPECT_TRUE(f.memo->Modified());
}

TEST_F(StreamToIniTest, DefaultContentSkipLeavesListsAndEnabledStatesAlone) {
    TestForm f;
    f.Fill();
    TStreamToIni ini;
    ini.StoreFormsEx(f.form.get());
    const std::string text = ini.Text();
    EXPECT_EQ(text.find(".Content="), std::string::npos);
    EXPECT_EQ(text.find("Alpha=="), std::string::npos);
    EXPECT_NE(text.find("NNsecond"), std::string::npos); // both flags are always written
    EXPECT_EQ(ini.ContentSkipMask, TStreamToIni::DefaultContentSkipMask);

    f.clb->SetItemEnabled(1, true);
    f.combo->SetItemIndex(0);
    ini.RestoreFormsEx(f.form.get());
    EXPECT_TRUE(f.clb->ItemEnabled(1));
    EXPECT_FALSE(f.clb->Checked(1));
    EXPECT_EQ(f.combo->Items().CommaText(), "one,two,three");
    EXPECT_EQ(f.combo->ItemIndex(), 2);
    EXPECT_EQ(f.inc->FullItems().CommaText(), "Alpha,Beta,Gamma");
}

TEST_F(StreamToIniTest, OldTextLoadsWithOrWithoutCrLf) {
    for (bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CR LF" : "LF");
        TestForm f;
        f.Fill();
        std::string text = Fixture("old_format.txt");
        WriteFile(dir / "old.txt", crlf ? ToCrLf(text) : text);
        TStreamToIni ini;
        ini.LoadFromFile(dir / "old.txt");
        EXPECT_EQ(ini.FileFormat, 0);
        ini.RestoreForms();

        // Written under the form name "OldMain": found by the control's own name.
        EXPECT_EQ(f.edit->Text(), "from the old form");
        EXPECT_EQ(f.frameEdit->Text(), "/old/path");
        EXPECT_EQ(f.combo->Text(), "two");
        EXPECT_EQ(f.combo->ItemIndex(), -1);
        // One flag per line in this run, since one line has only one.
        ASSERT_EQ(f.clb->Count(), 3);
        EXPECT_EQ(f.clb->ItemText(2), "Nthird");
        EXPECT_TRUE(f.clb->Checked(0));
        EXPECT_FALSE(f.clb->Checked(1));
        EXPECT_TRUE(f.clb->Checked(2));
        // Old holders keep their strings as the value's comma text.
        EXPECT_EQ(f.holder->StringList().CommaText(), "h1,h2,\"h 3\"");
        EXPECT_EQ(f.holder->MaxLen(), 7);
        // No end marker: the memo runs to the end of the text.
        EXPECT_EQ(f.memo->Lines().Text(), "alpha\n\nbeta\n");
        // Missing keys leave the controls alone, radio groups go to item 0.
        EXPECT_TRUE(f.check->Checked());
        EXPECT_EQ(f.inc->FullItemIndex(), 1);
        EXPECT_EQ(f.radio->ItemIndex(), 0);
    }
}

TEST_F(StreamToIniTest, MemoRunEndsAtABracketLine) {
    struct Case {
        const char* name;
        std::string text;
        std::string lines;
    } cases[] = {
        {"bracket line ends", "F.MemoA=MemoA\nkeep\n[odd line\nlost\n", "keep\n"},
        {"empty lines stay", "F.MemoA=MemoA\n\na\n\nb\n[Konyec szkazki]\n", "\na\n\nb\n"},
        {"section ends", "F.MemoA=MemoA\na\n[TMemo - F.Other]\nF.Other=Other\n", "a\n"},
        {"empty memo", "F.MemoA=MemoA\n[Konyec szkazki]\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestForm f;
        f.Fill();
        TStreamToIni ini;
        ini.SetText(c.text);
        ini.RestoreFormsEx(f.form.get(), ssMemos);
        EXPECT_EQ(f.memo->Lines().Text(), c.lines);
    }
}

TEST_F(StreamToIniTest, IndexOfKeyFallsBackToTheControlName) {
    const std::string text = "Head=1\n"
                             "Other.EditA=x\n"
                             "EditB=y\n"
                             "Other.ComboA.Content=(a)\n"
                             "Main.edita=exact\n"
                             "G.FrameA.EditF=f\n";
    struct Case {
        const char* key;
        int line;
    } cases[] = {
        {"Main.EditA", 4},          // exact, case ignored
        {"head", 0},                //
        {"Main.EditB", 2},          // the part after the last "."
        {"Main.EditC", -1},         //
        {"Nodot", -1},              //
        {"X.EditA", 1},             // the first line of another form's "EditA"
        {"Main.ComboA.Content", 3}, // another form's line for the same combo box
        {"Main.ComboB.Content", -1},// never another combo box's items
        {"Main.FrameA.EditF", 5},   //
    };
    TStreamToIni ini;
    ini.SetText(text);
    for (const auto& c : cases) EXPECT_EQ(ini.IndexOfKey(c.key), c.line) << c.key;

    std::string v = "unchanged";
    EXPECT_FALSE(ini.ReadValue("Main.Nothing", v));
    EXPECT_EQ(v, "unchanged");
    EXPECT_TRUE(ini.ReadValue("Main.ComboA.Content", v));
    EXPECT_EQ(v, "(a)");
}

TEST_F(StreamToIniTest, KeyIndexFollowsChangesToTheList) {
    TStreamToIni ini;
    ini.SetText("A.Edit=1\nB=2\n");
    EXPECT_EQ(ini.IndexOfKey("A.Edit"), 0);
    ini.Insert(0, "C=3");
    EXPECT_EQ(ini.IndexOfKey("A.Edit"), 1);
    ini.Put(2, "D=4");
    EXPECT_EQ(ini.IndexOfKey("B"), -1);
    EXPECT_EQ(ini.IndexOfKey("D"), 2);
    ini.SetValue("C", "");
    EXPECT_EQ(ini.IndexOfKey("C"), -1);
    EXPECT_EQ(ini.IndexOfKey("D"), 1);
    // Changed behind the index's back through the base class.
    TStringList& base = ini;
    base.Put(1, "E=5");
    EXPECT_EQ(ini.IndexOfKey("D"), -1);
    base.Add("F=6");
    EXPECT_EQ(ini.IndexOfKey("F"), 2);
}

TEST_F(StreamToIniTest, ControlWrittenUnderAnotherFormIsRestored) {
    TestForm f;
    f.Fill();
    {
        TStreamToIni ini;
        ini.ContentSkipMask = 0;
        ini.StoreFormsEx(f.form.get());
        ini.SaveToFile(dir / "job.txt");
    }
    TestForm g("FormOther");
    g.Fill();
    g.Scramble();
    TStreamToIni ini;
    ini.LoadFromFile(dir / "job.txt");
    ini.ContentSkipMask = 0;
    ini.RestoreFormsEx(g.form.get());
    for (const auto& c : KindCases()) EXPECT_EQ(c.state(g), c.state(f)) << c.kind;
}

TEST_F(StreamToIniTest, SaveToFileFormatLineAndEndMarker) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {"empty list", "", "StreamToIni.FileFormat=1\n[Konyec szkazki]\n"},
        {"value line last", "A=1\n", "StreamToIni.FileFormat=1\nA=1\n[Konyec szkazki]\n"},
        {"header last", "A=1\n[Memos]\n", "StreamToIni.FileFormat=1\nA=1\n[Memos]\n"},
        {"empty line last", "A=1\n\n", "StreamToIni.FileFormat=1\nA=1\n\n"},
        {"format line kept in place", "A=1\nstreamtoini.fileformat=0\n[X]\n", "A=1\nStreamToIni.FileFormat=1\n[X]\n"},
        {"marker not doubled", "A=1\n[Konyec szkazki]\n", "StreamToIni.FileFormat=1\nA=1\n[Konyec szkazki]\n"},
        {"CR LF kept", "A=1\r\nB=2\r\n", "StreamToIni.FileFormat=1\r\nA=1\r\nB=2\r\n[Konyec szkazki]\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir / "in.txt", c.in);
        TStreamToIni ini;
        ini.LoadFromFile(dir / "in.txt");
        ini.SaveToFile(dir / "out.txt");
        EXPECT_EQ(ReadFile(dir / "out.txt"), c.out);
        ini.SaveToFile(dir / "out.txt");
        EXPECT_EQ(ReadFile(dir / "out.txt"), c.out) << "saved twice";
    }
}

TEST_F(StreamToIniTest, SectionMaskChoosesTheSections) {
    TestForm f;
    f.Fill();
    struct Case {
        std::uint16_t mask;
        std::vector<std::string> present, absent;
    } cases[] = {
        {959, {"[Editboxes]", "[TFrames]", "[Memos]", "[RadioGroups]"}, {"[StringListHolders]", "HolderA"}},
        {4, {"[Editboxes]"}, {"[TFrames]", "[Captions]", "[Checkboxes]"}},
        {128, {"[Form - FormTest]"}, {"[TFrames]", "[Editboxes]"}},
        {1, {"[Captions]", "FormTest.Caption=State test"}, {"[Editboxes]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        TStreamToIni ini;
        ini.StoreFormsEx(f.form.get(), c.mask);
        const std::string t = ini.Text();
        for (const auto& s : c.present) EXPECT_NE(t.find(s), std::string::npos) << s;
        for (const auto& s : c.absent) EXPECT_EQ(t.find(s), std::string::npos) << s;
    }
    // An empty caption writes its header only.
    f.form->SetCaption("");
    TStreamToIni ini;
    ini.StoreFormsEx(f.form.get(), ssCaptions);
    EXPECT_EQ(ini.Text(), "[Form - FormTest]\n[Captions]\n");
    ini.StoreFormsEx(nullptr);
    EXPECT_EQ(ini.Count(), 2);
}

TEST_F(StreamToIniTest, ComboSelectionIsIndexOrText) {
    TestForm f;
    f.Fill();
    struct Case {
        const char* name;
        std::function<void(TComboBox*)> set;
        std::string value;
        int index;
        std::string text;
    } cases[] = {
        {"item selected", [](TComboBox* c) { c->SetItemIndex(2); }, "2", 2, "three"},
        {"no selection", [](TComboBox* c) { c->SetItemIndex(-1); c->SetText("free"); }, "free", -1, "free"},
        {"typed over an item", [](TComboBox* c) { c->SetItemIndex(0); c->SetText("typed"); }, "typed", -1, "typed"},
        {"digits past the items", [](TComboBox* c) { c->SetItemIndex(-1); c->SetText("7"); }, "7", -1, "7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.set(f.combo);
        TStreamToIni ini;
        ini.StoreFormsEx(f.form.get(), ssComboBoxes);
        EXPECT_EQ(ini.Values("FormTest.ComboA"), c.value);
        f.combo->SetItemIndex(1);
        ini.RestoreFormsEx(f.form.get(), ssComboBoxes);
        EXPECT_EQ(f.combo->ItemIndex(), c.index);
        EXPECT_EQ(f.combo->Text(), c.text);
    }
}

TEST_F(StreamToIniTest, ControlSelectionAndFrameFilter) {
    TestForm f;
    f.Fill();
    auto store = [&](TStreamToIni& ini) {
        ini.StoreFormsEx(f.form.get(), ssEditboxes | ssFrames | ssMemos | ssCheckboxes);
        return ini.Text();
    };
    {
        TStreamToIni ini;
        ini.ExcludeControls({f.edit, f.memo});
        std::string t = store(ini);
        EXPECT_EQ(t.find("EditA"), std::string::npos);
        EXPECT_EQ(t.find("MemoA"), std::string::npos);
        EXPECT_NE(t.find("FormTest.CheckA=Y"), std::string::npos);
        EXPECT_NE(t.find("EditInFrame"), std::string::npos);
        // The selection is used up by the call; the defaults are back.
        EXPECT_TRUE(ini.ControlList.empty());
        t = store(ini);
        EXPECT_NE(t.find("FormTest.EditA="), std::string::npos);
    }
    {
        TStreamToIni ini;
        ini.IncludeOnlyControls({f.frame, f.check});
        store(ini);
        EXPECT_EQ(ini.Text(),
                  "[Form - FormTest]\n[TFrames]\nFormTest.FrameA.EditInFrame=/opt/tool\n[Checkboxes]\nFormTest.CheckA=Y\n");
    }
    {
        TStreamToIni ini;
        f.check->Hide();
        ini.SkipInvisible = true;
        ini.ExcludeControls({f.memo});
        std::string t = store(ini);
        EXPECT_EQ(t.find("CheckA"), std::string::npos);
        EXPECT_FALSE(ini.SkipInvisible);
        // Without a control list nothing is skipped, visible or not.
        ini.SkipInvisible = true;
        t = store(ini);
        EXPECT_NE(t.find("CheckA"), std::string::npos);
        f.check->Show();
    }
    {
        TStreamToIni ini;
        ini.ExcludeFrameClasses({"TFrameOther", "tframepick"});
        EXPECT_EQ(ini.FrameClassFilter, ".TFrameOther.tframepick.");
        EXPECT_EQ(store(ini).find("EditInFrame"), std::string::npos);
        // The frame filter stays for later calls, also for restoring.
        EXPECT_EQ(store(ini).find("EditInFrame"), std::string::npos);
        ini.SetText("FormTest.FrameA.EditInFrame=restored\n");
        ini.RestoreFormsEx(f.form.get(), ssEditboxes | ssFrames);
        EXPECT_EQ(f.frameEdit->Text(), "/opt/tool");
        ini.FrameFilterExcludes = false; // only the frames named are handled
        ini.RestoreFormsEx(f.form.get(), ssEditboxes | ssFrames);
        EXPECT_EQ(f.frameEdit->Text(), "restored");
    }
}

TEST_F(StreamToIniTest, AllFormsInCreationOrder) {
    TestForm a("FormOne");
    TestForm b("FormTwo");
    TStreamToIni ini;
    ini.StoreForms(TStreamToIni::AllForms());
    const std::string t = ini.Text();
    auto one = t.find("[Form - FormOne]");
    auto two = t.find("[Form - FormTwo]");
    ASSERT_NE(one, std::string::npos);
    ASSERT_NE(two, std::string::npos);
    EXPECT_LT(one, two);

    ini.SetText("FormOne.EditA=1\nFormTwo.EditA=2\n");
    ini.RestoreForms();
    EXPECT_EQ(a.edit->Text(), "1");
    EXPECT_EQ(b.edit->Text(), "2");
}

TEST_F(StreamToIniTest, BadValuesRaiseAndEndTheRestore) {
    struct Case {
        const char* name;
        std::string text;
        std::uint16_t mask;
        std::string message;
    } cases[] = {
        {"radio group", "FormTest.RadioA=x\n", ssRadioGroups, "'x' is not a valid integer value"},
        {"check box", "FormTest.CheckA=maybe\n", ssCheckboxes, "maybe is not valid boolean value (Y,J,I,N,True,False)"},
        {"max len", "StreamToIni.FileFormat=1\nFormTest.HolderA=HolderA\nFormTest.HolderA.MaxLen=big\n",
         ssStringListHolders, "'big' is not a valid integer value"},
        {"object number",
         "StreamToIni.FileFormat=1\nFormTest.HolderA=HolderA\nFormTest.HolderA.MaxLen=1\n"
         "FormTest.HolderA.SaveObjects=Y\nno number\n",
         ssStringListHolders, "'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestForm f;
        f.Fill();
        TStreamToIni ini;
        ini.SetText(c.text);
        ini.ReadFileFormat();
        ini.ContentSkipMask = 0;
        ini.IncludeOnlyControls({f.radio, f.check, f.holder});
        try {
            ini.RestoreFormsEx(f.form.get(), c.mask);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_TRUE(ini.ControlList.empty());
        EXPECT_EQ(ini.ContentSkipMask, TStreamToIni::DefaultContentSkipMask);
    }
}

TEST_F(StreamToIniTest, CheckListFlagsOfTheCurrentFormat) {
    TestForm f;
    TStreamToIni ini;
    ini.SetText("StreamToIni.FileFormat=1\nFormTest.CLBA=CLBA\nYNa\nNYb\nY\n\nNNnot mine\n");
    ini.ReadFileFormat();
    ini.ContentSkipMask = 0;
    ini.RestoreFormsEx(f.form.get(), ssCheckListBoxes);
    ASSERT_EQ(f.clb->Count(), 3);
    EXPECT_EQ(f.clb->ItemText(0), "a");
    EXPECT_TRUE(f.clb->Checked(0));
    EXPECT_FALSE(f.clb->ItemEnabled(0));
    EXPECT_EQ(f.clb->ItemText(1), "b");
    EXPECT_FALSE(f.clb->Checked(1));
    EXPECT_TRUE(f.clb->ItemEnabled(1));
    EXPECT_EQ(f.clb->ItemText(2), "");
    EXPECT_TRUE(f.clb->Checked(2));
}

TEST_F(StreamToIniTest, LargeTextRestoresManyControls) {
    // A job text of 100,000 lines: many edits after a long memo.
    TForm form("BigForm");
    std::vector<TEdit*> edits;
    for (int i = 0; i < 500; ++i) edits.push_back(new TEdit(&form, form.Client(), "Edit" + std::to_string(i)));
    auto* memo = new TMemo(&form, form.Client(), "BigMemo");
    TStreamToIni ini;
    ini.Add("BigForm.BigMemo=BigMemo");
    for (int i = 0; i < 99000; ++i) ini.Add("memo line " + std::to_string(i));
    ini.Add("[Editboxes]");
    for (int i = 0; i < 500; ++i) ini.Add("Elsewhere.Edit" + std::to_string(i) + "=v" + std::to_string(i));
    ini.RestoreFormsEx(&form, ssEditboxes | ssMemos);
    EXPECT_EQ(memo->LineCount(), 99000);
    EXPECT_EQ(edits[0]->Text(), "v0");
    EXPECT_EQ(edits[499]->Text(), "v499");
}

TEST_F(StreamToIniTest, MalformedTextsRestoreOrRaiseAConversionError) {
    const char* texts[] = {
        "FormTest.HolderA=(\nFormTest.ComboA=\nFormTest.ComboA.Content=(\n",
        "FormTest.CLBA=x\nY\nN\n",
        "StreamToIni.FileFormat=1\nFormTest.CLBA=x\nY\nYN\n",
        "FormTest.IncA=99\n==\nabc\n=x\n",
        "StreamToIni.FileFormat=1\nFormTest.HolderA.MaxLen=3\nFormTest.HolderA.SaveObjects=Y\nFormTest.HolderA=H",
        "StreamToIni.FileFormat=1\nFormTest.HolderA=H\n",
        "FormTest.RadioA=99\nFormTest.ComboA=4294967296\n=\n==\n[\n",
        ".=x\nFormTest.=y\n.EditA=z\nFormTest.MemoA=M",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        TestForm f;
        f.Fill();
        TStreamToIni ini;
        ini.SetText(text);
        ini.ReadFileFormat();
        ini.ContentSkipMask = 0;
        try {
            ini.RestoreFormsEx(f.form.get());
        } catch (const EConvertError&) {
        }
    }
}
