// The job's life on the main window: saving and reopening, odd and broken
// job files, the names, the action gate while a tool runs, the background
// run's reconnection and the order of checks on closing.
#include "ActionGate.h"
#include "FindDirectoryFrame.h"
#include "CmdLine.h"
#include "Exceptions.h"
#include "JobFile.h"
#include "MainFormHarness.h"
#include "QtTestSupport.h"
#include "SettingsStore.h"

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const char* const kLoadError =
    " Error while loading project definition, it was possibly generated with an older version of the tool";
const char* const kSaveQuestion = "The current project has been modified \r\nDo you want to save the changes?'";
const char* const kStopQuestion = "The User requested to stop the process, please confirm?";

std::string Fixture(const std::string& name) { return std::string(FIXTURES_DIR) + "/jobs/" + name; }

class JobLifeTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
        fs::create_directories(install / "jobs");
    }

    // Started, with the start's own dialogs and messages forgotten.
    TfrmPemarisMain* Start(const std::string& name = "Korvex") {
        MainFormTest::Start(name);
        dialogs->Reset();
        form->MyStB->MessageList.clear();
        return form.get();
    }

    // A job with names, files and settings of its own.
    void FillJob(const std::string& product, const std::string& system, const std::string& version) {
        TfrmPemarisMain* f = form.get();
        f->ActiveRadioButton = f->Find<TRadioButton>("RadioButtonCob85");
        f->ValidateProductName(product);
        f->ValidateSystemName(system);
        f->ValidateVersion(version);
        f->LanguageVersion = "b2";
        f->JobFolder = install / "jobs/";
        f->CheckListBoxSelectedFiles->ClearItems();
        f->CheckListBoxSelectedFiles->AddItem("/src/pay/a.cob", true);
        f->CheckListBoxSelectedFiles->AddItem("/src/pay/b.cob", false);
        f->CommonRoot = "/src/pay";
        f->SetOptionLevel(3);
        f->SourceLinesInJob = 4321;
        f->SelectedFilesScreenWidth = 512;
        f->Act("ActPreviewBeforePrinting")->SetChecked(true);
    }

    std::vector<std::string> Messages() { return dialogs->Messages(); }

    bool Closes() {
        form->close();
        QApplication::processEvents();
        return form->isHidden();
    }

};

// ------------------------------------------------------------ save and open

TEST_F(JobLifeTest, SavedJobReopensWithItsHeadAndControls) {
    TfrmPemarisMain* f = Start();
    FillJob("abc corp", "pay roll", "1.2");
    const std::string job = install / "jobs/Saved.jkvx";
    dialogs->AnswerFiles({job});
    ASSERT_TRUE(f->ActSaveProjectAs->ExecuteUnguarded());
    ASSERT_TRUE(fs::exists(job));
    EXPECT_FALSE(f->Modified);
    EXPECT_FALSE(f->ActSaveProject->Enabled());
    EXPECT_EQ(f->JobName, "Saved");

    // Another job in between, then the saved one again.
    f->ClearProject();
    FillJob("other", "thing", "9");
    f->CheckListBoxSelectedFiles->ClearItems();
    f->SetOptionLevel(1);
    f->Act("ActPreviewBeforePrinting")->SetChecked(false);
    f->Modified = false;
    dialogs->Reset();
    f->LoadProject(job);

    struct Expect {
        const char* what;
        std::string got, want;
    };
    const Expect expects[] = {
        {"job name", f->JobName, "Saved"},
        {"product", f->ProductName, "abc corp"},
        {"system", f->SystemName, "pay roll"},
        {"version", f->SystemVersion, "1.2"},
        {"system edit", f->EditSystemName->Text(), "pay roll"},
        {"language version", f->LanguageVersion, "b2"},
        {"common root", f->CommonRoot, "/src/pay"},
        {"structure level", std::to_string(f->StructureLevel), "3"},
        {"source lines", std::to_string(f->SourceLinesInJob), "4321"},
        {"list width", std::to_string(f->SelectedFilesScreenWidth), "512"},
        {"preview", f->Act("ActPreviewBeforePrinting")->Checked() ? "Y" : "N", "Y"},
        {"files", std::to_string(f->CheckListBoxSelectedFiles->Count()), "2"},
        {"file 1", f->CheckListBoxSelectedFiles->ItemText(0), "/src/pay/a.cob"},
        {"file 1 ticked", f->CheckListBoxSelectedFiles->Checked(0) ? "Y" : "N", "Y"},
        {"file 2 ticked", f->CheckListBoxSelectedFiles->Checked(1) ? "Y" : "N", "N"},
        {"job folder", f->JobFolder, install / "jobs/"},
        {"files caption", f->GroupBoxSelectedFiles->Caption(), "Source files of the project (2) Number of source lines(4,321)"},
    };
    for (const auto& e : expects) EXPECT_EQ(e.got, e.want) << e.what;
    EXPECT_FALSE(f->Modified);
    EXPECT_FALSE(f->Loading);
    EXPECT_GT(f->JobFileDate, 0);
    // Reading the job asked nothing: not even about the changes its own
    // names made while they were taken over.
    EXPECT_TRUE(Messages().empty());
}

TEST_F(JobLifeTest, SaveWritesTheJobNameFromTheNames) {
    TfrmPemarisMain* f = Start();
    FillJob("abc corp", "pay roll", "1.2");
    // No file yet: the save dialog offers the composed name.
    dialogs->AnswerFiles({install / "jobs/Abc CorpPay RollB2.jkvx"});
    ASSERT_TRUE(f->ActSaveProject->ExecuteUnguarded());
    TStringList text;
    text.LoadFromFile(install / "jobs/Abc CorpPay RollB2.jkvx");
    EXPECT_EQ(text[0], "StreamToIni.FileFormat=1");
    TJobHead head = ParseJobHead(text);
    EXPECT_EQ(head.ProjectName, "Abc CorpPay RollB2");
    EXPECT_EQ(head.MaxDirDepth, 3);
    // The file exists now: the next save writes it without asking.
    dialogs->Reset();
    f->SourceLinesInJob = 7;
    ASSERT_TRUE(f->ActSaveProject->ExecuteUnguarded());
    EXPECT_TRUE(dialogs->calls.empty());
    text.LoadFromFile(install / "jobs/Abc CorpPay RollB2.jkvx");
    EXPECT_EQ(text.Values("SourceLinesInJob"), "7");
}

TEST_F(JobLifeTest, CancelledDialogsEndTheAction) {
    TfrmPemarisMain* f = Start();
    FillJob("abc corp", "pay roll", "1.2");
    EXPECT_THROW(f->ActSaveProjectAs->ExecuteUnguarded(), EAbort);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Save cancelled"));
    f->Modified = false;
    EXPECT_THROW(f->ActOpenProject->ExecuteUnguarded(), EAbort);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "File search cancelled, new project created"));
    EXPECT_EQ(f->SystemName, ""); // the job stays cleared
}

TEST_F(JobLifeTest, OldAndOddJobFilesLoad) {
    struct Case {
        const char* file;
        int level;
        const char* system;
        int files;
    };
    const Case cases[] = {
        {"old_no_end_marker.jkvx", 1, "ledger", 2},
        {"missing_keys.jkvx", 0, "pay", 0},
        {"memo_bracket.jkvx", 0, "notes", 0},
        {"crlf.jkvx", 3, "pay roll", 2},
    };
    TfrmPemarisMain* f = Start();
    for (const auto& c : cases) {
        f->ClearProject();
        EXPECT_NO_THROW(f->LoadProject(Fixture(c.file))) << c.file;
        EXPECT_EQ(f->StructureLevel, c.level) << c.file;
        EXPECT_EQ(f->SystemName, c.system) << c.file;
        EXPECT_EQ(f->CheckListBoxSelectedFiles->Count(), c.files) << c.file;
        EXPECT_FALSE(f->Running) << c.file;
        EXPECT_FALSE(f->Loading) << c.file;
    }
    EXPECT_FALSE(recorder.HasText(kLoadError));
    // The memo kept its lines up to the one that begins with "[".
    f->ClearProject();
    f->LoadProject(Fixture("memo_bracket.jkvx"));
    EXPECT_EQ(f->MemoNewFileNames->Line(0), "first line");
    f->ClearProject();
    f->LoadProject(Fixture("crlf.jkvx"));
    EXPECT_EQ(f->CheckListBoxSelectedFiles->ItemText(1), "/src/crlf/two.cob");
    EXPECT_TRUE(f->SystemNameByDirectory);
}

TEST_F(JobLifeTest, BrokenJobFileLeavesTheCurrentJobUntouched) {
    TfrmPemarisMain* f = Start();
    for (const std::string file :
         {Fixture("foreign.jkvx"), Fixture("bad_number.jkvx"), Fixture("garbage.jkvx"), install / "jobs/none.jkvx"}) {
        FillJob("abc corp", "pay roll", "1.2");
        f->JobName = "Current";
        recorder.records.clear();
        EXPECT_THROW(f->LoadProject(file), EAbort) << file;
        EXPECT_TRUE(recorder.Has(TStatusRecord::Collected, kLoadError)) << file;
        EXPECT_EQ(f->JobName, "Current") << file;
        EXPECT_EQ(f->SystemName, "pay roll") << file;
        EXPECT_EQ(f->StructureLevel, 3) << file;
        EXPECT_EQ(f->CheckListBoxSelectedFiles->Count(), 2) << file;
        EXPECT_FALSE(f->Loading) << file;
        EXPECT_FALSE(Screen().Busy()) << file;
        f->MyStB->MessageList.clear();
    }
}

TEST_F(JobLifeTest, LoadFailingPartWayClearsTheLoadingFlagAndCursor) {
    TfrmPemarisMain* f = Start();
    EXPECT_THROW(f->LoadProject(Fixture("partway_fail.jkvx")), EAbort);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Collected, kLoadError));
    EXPECT_FALSE(f->Loading);
    EXPECT_FALSE(Screen().Busy());
    // The language buttons work again at once.
    f->MyStB->MessageList.clear();
    EXPECT_NO_THROW(f->LoadProject(Fixture("missing_keys.jkvx")));
    EXPECT_EQ(f->SystemName, "pay");
}

TEST_F(JobLifeTest, OpeningAsksOnlyAboutTheJobBeingLeft) {
    TfrmPemarisMain* f = Start();
    // Unchanged job: no question at all.
    f->OpenDialogWork->FileName = Fixture("crlf.jkvx");
    f->ActOpenProjectExecute(nullptr);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(f->SystemName, "pay roll");
    EXPECT_FALSE(f->Modified);
    EXPECT_FALSE(f->NewJobFile);
    // Changed job: one question, about it; No opens the other job.
    f->ValidateSystemName("changed");
    dialogs->AnswerMessage(mrNo);
    f->OpenDialogWork->FileName = Fixture("old_no_end_marker.jkvx");
    f->ActOpenProjectExecute(nullptr);
    EXPECT_EQ(Messages(), std::vector<std::string>{kSaveQuestion});
    EXPECT_EQ(f->SystemName, "ledger");
}

TEST_F(JobLifeTest, ClickOnTheSelectedLanguageKeepsASavedJob) {
    TfrmPemarisMain* f = Start();
    FillJob("abc corp", "pay roll", "1.2");
    dialogs->AnswerFiles({install / "jobs/Saved.jkvx"});
    ASSERT_TRUE(f->ActSaveProjectAs->ExecuteUnguarded());
    TRadioButton* selected = f->ActiveRadioButton;
    ASSERT_TRUE(selected->Checked());
    dialogs->Reset();
    selected->click();
    EXPECT_EQ(f->JobName, "Saved");
    EXPECT_EQ(f->SystemName, "pay roll");
    EXPECT_EQ(f->CheckListBoxSelectedFiles->Count(), 2);
    EXPECT_FALSE(f->Modified);
    EXPECT_TRUE(dialogs->calls.empty());
}

// A job whose list lines are not in order comes back in the list's order
// (letter case ignored, then upper before lower case), each file with its
// tick, whether it is opened or the program is started with it.
TEST_F(JobLifeTest, ShuffledFileListRestoresEveryItemTickAndOrder) {
    const std::string job = install / "jobs/Shuffled.jkvx";
    fs::copy_file(Fixture("shuffled.jkvx"), job);
    const std::vector<std::pair<std::string, bool>> expected = {
        {"/src/_x.cob", false}, {"/src/A.cob", true},   {"/src/a.cob", true},          {"/src/b.cob", false},
        {"/src/C.cob", false},  {"/src/Zeta.cob", true}, {"/src/\xE9t\xE9.cob", true},
    };
    auto items = [](TfrmPemarisMain* f) {
        std::vector<std::pair<std::string, bool>> got;
        for (int i = 0; i < f->CheckListBoxSelectedFiles->Count(); ++i)
            got.emplace_back(f->CheckListBoxSelectedFiles->ItemText(i), f->CheckListBoxSelectedFiles->Checked(i));
        return got;
    };
    TfrmPemarisMain* f = Start();
    dialogs->AnswerFiles({job});
    f->ActOpenProject->trigger(); // File > Open
    EXPECT_EQ(f->JobName, "Shuffled");
    EXPECT_EQ(items(f), expected) << "opened";

    SetCommandLine({"-Proj", job});
    f = Start();
    EXPECT_EQ(f->JobName, "Shuffled");
    EXPECT_EQ(items(f), expected) << "started with";
    EXPECT_EQ(f->CheckListBoxSelectedFiles->ItemHeight(), f->ListItemHeight);
    // A file added afterwards goes to its place.
    f->CheckListBoxSelectedFiles->AddItem("/src/B.cob", true);
    EXPECT_EQ(f->CheckListBoxSelectedFiles->ItemText(3), "/src/B.cob");
}

// ------------------------------------------------------------------- names

TEST_F(JobLifeTest, NamesAreValidatedWithTheirMessages) {
    TfrmPemarisMain* f = Start();
    struct Case {
        void (TfrmPemarisMain::*validate)(const std::string&);
        const char* text;
        const char* error; // nullptr: accepted
    };
    const Case cases[] = {
        {&TfrmPemarisMain::ValidateSystemName, "9lives", "System name missing or incorrect"},
        {&TfrmPemarisMain::ValidateSystemName, "../etc", "System name missing or incorrect"},
        {&TfrmPemarisMain::ValidateSystemName, "pay/roll", "System name missing or incorrect"},
        {&TfrmPemarisMain::ValidateSystemName, "", "System name missing or incorrect"},
        {&TfrmPemarisMain::ValidateProductName, "a\\b", "Product name missing or incorrect"},
        {&TfrmPemarisMain::ValidateProductName, "x..y", "Product name missing or incorrect"},
        {&TfrmPemarisMain::ValidateVersion, "1.2a", "Version missing or incorrect (0..9 and . are accepted)"},
        {&TfrmPemarisMain::ValidateVersion, "1.2", nullptr},
        {&TfrmPemarisMain::ValidateSystemName, "pay roll", nullptr},
        {&TfrmPemarisMain::ValidateProductName, "abc corp", nullptr},
    };
    for (const auto& c : cases) {
        recorder.records.clear();
        if (c.error) {
            EXPECT_THROW((f->*c.validate)(c.text), EAbort) << c.text;
            EXPECT_TRUE(recorder.Has(TStatusRecord::Error, c.error)) << c.text;
        } else {
            EXPECT_NO_THROW((f->*c.validate)(c.text)) << c.text;
        }
    }
    EXPECT_EQ(f->SystemName, "pay roll");
    EXPECT_EQ(f->SystemVersion, "1.2");
    f->LanguageVersion = "b2";
    f->JobName.clear();
    EXPECT_EQ(f->GetProjectName(), "Abc CorpPay RollB2");
    EXPECT_EQ(f->EditSystemName->Text(), "pay roll");
    // "*" empties a name without an error and starts a new job file.
    f->NewJobFile = false;
    EXPECT_NO_THROW(f->ValidateSystemName("*"));
    EXPECT_EQ(f->SystemName, "");
    EXPECT_EQ(f->JobName, "");
    EXPECT_TRUE(f->NewJobFile);
    EXPECT_TRUE(f->Modified);
    // The language version must not lead the job file out of its folder.
    f->ValidateSystemName("pay roll");
    f->LanguageVersion = "../b2";
    EXPECT_THROW(f->GetProjectName(), EAbort);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Job name missing or incorrect"));
}

// -------------------------------------------------------------------- gate

TEST_F(JobLifeTest, GateWhileAToolRuns) {
    TfrmPemarisMain* f = Start();
    std::vector<std::string> ran;
    for (const char* name : {"ActViewDefis", "ActAddfiles", "ActRunAnal", "ActCancelRun"})
        f->Act(name)->OnExecute = [&ran, name](TComponent*) { ran.push_back(name); };
    f->Running = true;
    for (const char* name : {"ActViewDefis", "ActAddfiles", "ActRunAnal", "ActCancelRun"}) f->Act(name)->Execute();
    EXPECT_EQ(ran, (std::vector<std::string>{"ActViewDefis", "ActCancelRun"}));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, kGateRefusedMessage));
    bool handled = false;
    for (const char* name : {"ActSaveProject", "ActCloseAll", "ActSwitchOnLog", "ActSwitchOffLog"})
        EXPECT_NO_THROW(f->ActionListMainExecute(f->Act(name), handled)) << name;
    EXPECT_THROW(f->ActionListMainExecute(f->ActSaveProjectAs, handled), EAbort);

    // Without a running tool collecting files needs the names and the output
    // directory first.
    f->Running = false;
    ran.clear();
    f->ClearProject();
    f->Act("ActAddfiles")->Execute();
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Product name missing or incorrect"));
    FillJob("abc corp", "pay roll", "1.2");
    f->FrameFindDirectoryOutputDir->Edit->SetText("");
    f->Act("ActAddfiles")->Execute();
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "You have to set the output directory(s) first!"));
    f->FrameFindDirectoryOutputDir->Edit->SetText(install / "out");
    f->Act("ActAddfiles")->Execute();
    EXPECT_EQ(ran, std::vector<std::string>{"ActAddfiles"});
}

// ---------------------------------------------------------- background run

TEST_F(JobLifeTest, JobSavedWhileAToolRunsReconnects) {
    struct Case {
        int renamed;
        int answer;          // to the warning when outputs are missing
        bool savedRunning;   // BatchRunning in the file afterwards
        bool closes;
    };
    const Case cases[] = {
        {3, mrNone, false, false},  // finished in the mean time
        {1, mrOk, true, false},     // broken: restart, nothing saved
        {1, mrCancel, true, true},  // still running: save and leave
    };
    for (const auto& c : cases) {
        TfrmPemarisMain* f = Start();
        FillJob("abc corp", "pay roll", "1.2");
        const std::string job = install / "jobs/Batch.jkvx";
        f->Running = true;
        f->NumberOfModules = 3;
        f->NumberOfRenamedModules = c.renamed;
        f->NumberOfSourceFiles = 9;
        f->NumberOfRenamedSourceFiles = 2;
        f->SetProjectName(job);
        f->SaveProjectTo(job);
        TStringList text;
        text.LoadFromFile(job);
        EXPECT_EQ(text.Values("BatchRunning"), "Y");
        EXPECT_EQ(text.Values("NumberOfModules"), "3");
        EXPECT_EQ(text.Values("NumberOfSourceFiles"), "9");

        f->Running = false;
        f->ClearProject();
        f->OpenDialogWork->FileName = job;
        if (c.answer != mrNone) dialogs->AnswerMessage(c.answer);
        f->ActOpenProjectExecute(nullptr);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].rfind(c.renamed == 3 ? "Your batch process seems" : "Some awaited outputs", 0), 0u);
        EXPECT_FALSE(f->Running);
        text.LoadFromFile(job);
        EXPECT_EQ(text.Values("BatchRunning"), c.savedRunning ? "Y" : "N") << c.renamed << "/" << c.answer;
        QApplication::processEvents();
        EXPECT_EQ(f->isHidden(), c.closes);
    }
}

// ----------------------------------------------------------------- closing

TEST_F(JobLifeTest, ClosingWhileALoopRunsOnlyAsksToStopIt) {
    for (int answer : {mrNo, mrYes}) {
        TfrmPemarisMain* f = Start();
        f->Modified = true;
        f->FileLoopRunning = true;
        f->FileLoopStop = f->InputLoopStop = false;
        dialogs->AnswerMessage(answer);
        EXPECT_FALSE(Closes());
        EXPECT_EQ(Messages(), std::vector<std::string>{kStopQuestion});
        EXPECT_EQ(f->FileLoopStop, answer == mrYes);
        EXPECT_EQ(f->InputLoopStop, answer == mrYes);
    }
}

TEST_F(JobLifeTest, ClosingWithResultTabsInFrontClosesATabInstead) {
    TfrmPemarisMain* f = Start();
    f->Modified = true;
    new TTabSheet(f, f->PageControlEditor, "tsv1", "Specs/a.txt");
    f->TabSheetViewer->SetTabVisible(true);
    f->PageControlMain->SetActivePage(f->TabSheetViewer);
    EXPECT_FALSE(Closes());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(f->Modified);
}

TEST_F(JobLifeTest, ClosingAMainProductAsksToSaveTheJob) {
    {
        TfrmPemarisMain* f = Start();
        FillJob("abc corp", "pay roll", "1.2");
        dialogs->AnswerMessage(mrCancel);
        EXPECT_FALSE(Closes());
        EXPECT_EQ(Messages(), std::vector<std::string>{kSaveQuestion});
        EXPECT_TRUE(f->Modified);
        EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Action cancelled"));
    }
    {
        TfrmPemarisMain* f = Start();
        FillJob("abc corp", "pay roll", "1.2");
        dialogs->AnswerMessage(mrNo);
        EXPECT_TRUE(Closes());
        EXPECT_FALSE(f->Modified);
    }
    {
        // Yes saves first; a cancelled save keeps the window open.
        TfrmPemarisMain* f = Start();
        FillJob("abc corp", "pay roll", "1.2");
        dialogs->AnswerMessage(mrYes);
        EXPECT_FALSE(Closes());
        EXPECT_TRUE(f->Modified);
        dialogs->AnswerMessage(mrYes);
        dialogs->AnswerFiles({install / "jobs/Closing.jkvx"});
        EXPECT_TRUE(Closes());
        EXPECT_TRUE(fs::exists(install / "jobs/Closing.jkvx"));
    }
}

TEST_F(JobLifeTest, ClosingWhileAToolRunsNeverCloses) {
    for (int answer : {mrNo, mrYes}) {
        TfrmPemarisMain* f = Start();
        f->Running = true;
        f->Act("ActCancelRun")->SetEnabled(true);
        dialogs->AnswerMessage(answer);
        EXPECT_FALSE(Closes());
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].rfind("You are running a batch process in the background.", 0), 0u);
        EXPECT_EQ(f->Modified, answer == mrYes);
        EXPECT_EQ(f->Act("ActCancelRun")->Enabled(), answer == mrNo);
        EXPECT_EQ(recorder.Has(TStatusRecord::Error, "Background process cancelled!"), answer == mrYes);
    }
}

TEST_F(JobLifeTest, DerivedProductClosesWithoutAskingAndReopensItsJob) {
    TfrmPemarisMain* f = Start("Ravenel_Korvex");
    FillJob("abc corp", "pay roll", "1.2");
    f->ActiveRadioButton = f->Find<TRadioButton>("RadioButtonJava");
    f->JobName = "Derived";
    const std::string job = install / "jobs/Derived.jtst";
    EXPECT_TRUE(Closes());
    EXPECT_TRUE(dialogs->calls.empty());
    ASSERT_TRUE(fs::exists(job));
    TStringList text;
    text.LoadFromFile(job);
    EXPECT_EQ(text.Values("ProjectName"), "Derived");
    EXPECT_EQ(ReadSettingStr("RememberedJobFile"), job);

    // The next start of the product opens the same job again.
    f = Start("Ravenel_Korvex");
    EXPECT_EQ(f->RememberedDerivedJob, job);
    EXPECT_EQ(f->JobName, "Derived");
    EXPECT_EQ(f->SystemName, "pay roll");
}

} // namespace
