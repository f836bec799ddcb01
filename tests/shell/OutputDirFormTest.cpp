// The output directory on the main window, the way a user reaches it:
// leaving the field, a folder dropped on it, the job's names dropped on it,
// the question before creating a folder, and "Reset output".
#include "ControlEvents.h"
#include "FindDirectoryFrame.h"
#include "MainFormHarness.h"
#include "OutputDirRules.h"
#include "SettingsStore.h"
#include "UserGestures.h"

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

class OutputDirFormTest : public pemtest::MainFormTest {
protected:
    TfrmPemarisMain* StartCob() {
        CopyTree(FIXTURES_DIR "/installations");
        pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                           "RadioButtonCob85=COBOL 85,COB,,1,V85\nActiveRadioButton=RadioButtonCob85\n");
        Start();
        dialogs->Reset();
        form->PageControlMain->SetActivePage(form->TabSheetNames);
        QApplication::processEvents();
        return form.get();
    }
    TEdit* Field() const { return form->FrameFindDirectoryOutputDir->Edit; }
    // The user types into the field and leaves it.
    void TypeAndLeave(const std::string& text) {
        Field()->setFocus();
        Field()->SetText(text);
        Field()->setModified(true);
        form->EditSystemVersion->setFocus();
        QApplication::processEvents();
    }
    void Trigger(const char* action) {
        form->Act(action)->trigger();
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(OutputDirFormTest, TheLanguageChoosesItsFolderBelowTheOneUsedLast) {
    SetSettingsApplication("Korvex Shell");
    SetSettingsSection("Parameters");
    WriteSetting("LastOutputDir", install / "jobs");
    StartCob();
    EXPECT_EQ(form->OutputDirectory(), install / "jobs/COB");
    EXPECT_TRUE(fs::is_directory(install / "jobs/COB"));
    EXPECT_EQ(form->WorkFolder, install / "jobs/COB/work");
}

TEST_F(OutputDirFormTest, LeavingTheFieldForcesTheLanguageFolder) {
    StartCob();
    TypeAndLeave(install / "out//x/");
    EXPECT_EQ(Field()->Text(), install / "out/x/COB");
    EXPECT_TRUE(fs::is_directory(install / "out/x/COB"));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Output directory forced to COB subdirectory!"));
    EXPECT_EQ(form->WorkFolder, install / "out/x/COB/work");
    EXPECT_TRUE(form->Modified);

    // The job's own folder needs no language folder.
    form->JobName = "PayJob";
    fs::create_directories(install / "PayJob/run");
    TypeAndLeave(install / "PayJob/run");
    EXPECT_EQ(Field()->Text(), install / "PayJob/run");

    // A relative path is refused and the field keeps the focus.
    TypeAndLeave("out/rel");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Invalid output directory (No relative or UNC format path is allowed here)!"));
    EXPECT_EQ(Field()->Text(), "out/rel");
    EXPECT_FALSE(fs::exists(install / "out/rel"));
    EXPECT_FALSE(fs::exists("out/rel"));
}

TEST_F(OutputDirFormTest, AMissingFolderIsCreatedOnlyWhenConfirmed) {
    StartCob();
    pemtest::WriteFile(install / "file", "x");
    const struct {
        const char* what;
        std::string dir;
        int answer;
        bool created;
        std::vector<std::string> messages;
    } cases[] = {
        {"OK creates it", install / "new/COB", mrOk, true, {"Directory " + install / "new/COB" + " doesn't exists, create it? "}},
        {"Cancel leaves it", install / "left/COB", mrCancel, false,
         {"Directory " + install / "left/COB" + " doesn't exists, create it? "}},
        {"a parent that is a file", install / "file/COB", mrOk, false,
         {"Directory " + install / "file/COB" + " doesn't exists, create it? ", "Cannot create directory"}},
    };
    for (const auto& c : cases) {
        dialogs->Reset();
        dialogs->AnswerMessage(c.answer);
        // The path names the language's folder already, so nothing is forced
        // and the question comes from leaving the field.
        TypeAndLeave(c.dir);
        EXPECT_EQ(fs::is_directory(c.dir), c.created) << c.what;
        // A folder still missing then has the frame offer its folder dialog.
        std::vector<std::string> messages = dialogs->Messages();
        ASSERT_GE(messages.size(), c.messages.size()) << c.what;
        messages.resize(c.messages.size());
        EXPECT_EQ(messages, c.messages) << c.what;
        EXPECT_EQ(Field()->Text(), c.dir) << c.what;
    }
    // Enter in the field checks it too; nothing is offered for a field that
    // names no folder from the root.
    dialogs->Reset();
    Field()->setFocus();
    Field()->SetText("relative/COB");
    Field()->setModified(true);
    pemtest::Key(Field(), Qt::Key_Return, "\r");
    for (const std::string& m : dialogs->Messages()) EXPECT_EQ(m.find("create it?"), std::string::npos) << m;
    EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(OutputDirFormTest, AFolderDroppedOnTheFieldIsCheckedLikeATypedOne) {
    StartCob();
    fs::create_directories(install / "dropped");
    TDropRouter::Instance().Deliver(Field(), TStringList{install / "dropped"});
    EXPECT_EQ(Field()->Text(), install / "dropped/COB");
    EXPECT_TRUE(fs::is_directory(install / "dropped/COB"));
}

TEST_F(OutputDirFormTest, TheJobsNamesDroppedOnTheFieldMakeItsFolder) {
    StartCob();
    form->EditProductName->SetText("Acme");
    form->ValidateProductName("Acme");
    form->ValidateSystemName("Pay");
    form->ValidateVersion("1");
    Field()->SetText(install / "out/COB");
    QMimeData other;
    other.setText("x");
    EXPECT_FALSE(pemtest::Drop(Field(), &other));
    QMimeData names;
    names.setData(kJobNamesMimeType, QByteArray());
    ASSERT_TRUE(pemtest::Drop(Field(), &names));
    EXPECT_EQ(Field()->Text(), install / "out/AcmePayV85");
    EXPECT_TRUE(form->OutputDirCreateOnExit);
    // Leaving the field makes the folder; the job's own folder needs no
    // language folder.
    form->EditSystemVersion->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(fs::is_directory(install / "out/AcmePayV85"));
    EXPECT_EQ(Field()->Text(), install / "out/AcmePayV85");
    // Any key but Enter in the field takes the creation back.
    form->OutputDirCreateOnExit = true;
    pemtest::Key(Field(), Qt::Key_A, "a");
    EXPECT_FALSE(form->OutputDirCreateOnExit);
}

TEST_F(OutputDirFormTest, TheNamesBoxStartsADragOnlyWithBothNamesAndNotRightAfterTheField) {
    StartCob();
    int drags = 0;
    form->GroupBoxNamesEvents->OnStartDrag = [&](TComponent*) { ++drags; };
    auto dragNames = [&] {
        pemtest::MousePress(form->GroupBoxNames, QPoint(4, 4));
        pemtest::MouseMove(form->GroupBoxNames, QPoint(7, 4), Qt::LeftButton);
        pemtest::MouseRelease(form->GroupBoxNames, QPoint(7, 4));
    };
    form->NamesDragGuard = false;
    dragNames();
    EXPECT_EQ(drags, 0); // no names yet
    form->EditProductName->SetText("Acme");
    form->EditSystemName->SetText("Pay");
    form->NamesDragGuard = true; // the field was just left
    dragNames();
    EXPECT_EQ(drags, 0);
    dragNames();
    EXPECT_EQ(drags, 1);
}

TEST_F(OutputDirFormTest, ResetAnnouncesAndDeletesWhatEarlierRunsLeft) {
    StartCob();
    const std::string out = install / "out/COB";
    Field()->SetText(out);
    form->ProductName = "Acme";
    for (int i = 0; i < 25; ++i) pemtest::WriteFile(out + "/Metrics/SRC" + std::to_string(1000 + i) + ".met", "x");
    pemtest::WriteFile(out + "/last.xml", "x");

    dialogs->AnswerMessage(mrNo);
    Trigger("ActRestartProject");
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    const std::string q = dialogs->Messages()[0];
    EXPECT_EQ(q.rfind("You are going to reset your job to it's initial state.\r\nYou have  26 files", 0), 0u);
    EXPECT_NE(q.find("Your files:\r\n" + out + "/last.xml\r\n" + out + "/Metrics/SRC1000.met\r\n"), std::string::npos);
    EXPECT_EQ(q.substr(q.size() - 5), "\r\n...");
    EXPECT_TRUE(fs::exists(out + "/last.xml"));
    EXPECT_FALSE(form->GroupBoxSlider->Visible());

    dialogs->Reset();
    dialogs->AnswerMessage(mrYes);
    Trigger("ActRestartProject");
    EXPECT_FALSE(fs::exists(out + "/last.xml"));
    EXPECT_FALSE(fs::exists(out + "/Metrics"));
    EXPECT_TRUE(fs::is_directory(out));

    // Nothing left: no question.
    dialogs->Reset();
    Trigger("ActRestartProject");
    EXPECT_TRUE(dialogs->Messages().empty());
}

TEST_F(OutputDirFormTest, ResetRefusesTheHomeFolderAndTheSources) {
    StartCob();
    pemtest::WriteFile(install / "home/Metrics/mine.met", "x");
    Field()->SetText(install / "home");
    Trigger("ActRestartProject");
    for (const std::string& m : dialogs->Messages()) EXPECT_EQ(m.find("You are going to reset"), std::string::npos);
    EXPECT_TRUE(fs::exists(install / "home/Metrics/mine.met"));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error,
                             "Reset refused, the output directory " + install / "home" + " holds the home folder"));

    pemtest::WriteFile(install / "system/src/a.cbl", "x");
    pemtest::WriteFile(install / "system/Metrics/a.met", "x");
    Field()->SetText(install / "system");
    form->CommonRoot = install / "system/src";
    Trigger("ActRestartProject");
    EXPECT_TRUE(fs::exists(install / "system/src/a.cbl"));
    EXPECT_TRUE(fs::exists(install / "system/Metrics/a.met"));
}

TEST_F(OutputDirFormTest, ResetNeverTakesTheOpenJobAndForgetsWhatWasHandedOver) {
    CopyTree(FIXTURES_DIR "/startup");
    Start("Ravenel_Korvex");
    dialogs->Reset();
    const std::string out = install / "out";
    form->FrameFindDirectoryOutputDir->Edit->SetText(out);
    form->JobFolder = out + "/";
    form->JobName = "Job";
    pemtest::WriteFile(out + "/Job.jtst", "job");
    pemtest::WriteFile(out + "/Metrics/a.met", "x");
    pemtest::WriteFile(install / "old/Old.jtst", "old");
    form->RememberedDerivedJob = install / "old/Old.jtst";
    WriteSetting("RememberedJobFile", form->RememberedDerivedJob);
    dialogs->AnswerMessage(mrYes);
    Trigger("ActRestartProject");
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0].find("Job.jtst"), std::string::npos);
    EXPECT_EQ(pemtest::ReadFile(out + "/Job.jtst"), "job");
    EXPECT_FALSE(fs::exists(out + "/Metrics/a.met"));
    EXPECT_FALSE(fs::exists(install / "old/Old.jtst"));
    EXPECT_EQ(form->RememberedDerivedJob, "");
    EXPECT_EQ(ReadSettingStr("RememberedJobFile"), "");

    // With nothing left to reset nothing is asked, and a job handed over
    // since is still deleted.
    dialogs->Reset();
    pemtest::WriteFile(install / "old/Next.jtst", "next");
    form->RememberedDerivedJob = install / "old/Next.jtst";
    Trigger("ActRestartProject");
    EXPECT_TRUE(dialogs->Messages().empty());
    EXPECT_FALSE(fs::exists(install / "old/Next.jtst"));
    EXPECT_EQ(form->RememberedDerivedJob, "");

    // The handed-over job that is the open one stays.
    form->RememberedDerivedJob = out + "/Job.jtst";
    Trigger("ActRestartProject");
    EXPECT_EQ(pemtest::ReadFile(out + "/Job.jtst"), "job");
}

TEST_F(OutputDirFormTest, WithoutAnOutputDirectoryThereIsNoWorkFolder) {
    CopyTree(FIXTURES_DIR "/startup");
    // Started from the home folder, as a desktop starts the program; a
    // derived product starts without an output directory.
    const fs::path cwd = fs::current_path();
    fs::current_path((install / "home").c_str());
    Start("Oskaro_Korvex");
    fs::current_path(cwd);
    EXPECT_EQ(Field()->Text(), "");
    EXPECT_EQ(form->WorkFolder, "");
    EXPECT_FALSE(fs::exists(install / "home/work"));

    // Once the user names one, the work folder is the directory's own.
    const std::string out = install / "out/COB";
    fs::create_directories(out);
    TypeAndLeave(out);
    EXPECT_EQ(form->WorkFolder, out + "/work");
}

// Whatever the reset meets, nothing outside the output directory and no
// source of the job changes.
TEST_F(OutputDirFormTest, ResetStaysInsideTheOutputDirectory) {
    StartCob();
    const std::string out = install / "out/COB";
    const std::string elsewhere = install / "elsewhere";
    pemtest::WriteFile(elsewhere + "/SRC0001.cbl", "user");
    pemtest::WriteFile(elsewhere + "/Billing/SRC0002.cbl", "user");
    pemtest::WriteFile(out + "/last.xml", "x");
    fs::create_directories(out);
    fs::create_symlink(elsewhere, out + "/workinp");
    // Result folders linked to folders elsewhere, one at the top and one
    // inside a result folder: each is named on the bar as left alone.
    pemtest::WriteFile(elsewhere + "/metrics/a.met", "user");
    pemtest::WriteFile(elsewhere + "/specs/b.spc", "user");
    pemtest::WriteFile(out + "/Specs/old.spc", "x");
    fs::create_symlink(elsewhere + "/metrics", out + "/Metrics");
    fs::create_symlink(elsewhere + "/specs", out + "/Specs/Billing");
    TypeAndLeave(out);
    dialogs->AnswerMessage(mrYes);
    Trigger("ActRestartProject");
    EXPECT_FALSE(fs::exists(out + "/last.xml"));
    EXPECT_FALSE(fs::exists(out + "/Specs/old.spc"));
    EXPECT_TRUE(fs::exists(elsewhere + "/SRC0001.cbl"));
    EXPECT_TRUE(fs::exists(elsewhere + "/Billing/SRC0002.cbl"));
    EXPECT_TRUE(fs::exists(elsewhere + "/metrics/a.met"));
    EXPECT_TRUE(fs::exists(elsewhere + "/specs/b.spc"));
    for (const char* folder : {"/workinp", "/Metrics", "/Specs/Billing"})
        EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Reset left " + out + folder + " alone: it is a link or lies "
                                                                                  "outside the output directory"))
            << folder;
    fs::remove(out + "/Metrics");
    fs::remove(out + "/Specs/Billing");
    for (const std::string& m : dialogs->Messages()) EXPECT_EQ(m.find(elsewhere), std::string::npos);

    // The input tree of the last output directory is not this one's.
    fs::remove(out + "/workinp");
    const std::string other = install / "other/COB";
    pemtest::WriteFile(other + "/last.xml", "x");
    form->InputTreePath = out + "/workinp"; // as the last run left it
    pemtest::WriteFile(out + "/workinp/SRC0003.cbl", "copy");
    TypeAndLeave(other);
    dialogs->Reset();
    dialogs->AnswerMessage(mrYes);
    Trigger("ActRestartProject");
    EXPECT_FALSE(fs::exists(other + "/last.xml"));
    EXPECT_TRUE(fs::exists(out + "/workinp/SRC0003.cbl"));

    // An output directory holding one of the sources, typed but not left.
    pemtest::WriteFile(install / "sys/c1/a.cbl", "source");
    pemtest::WriteFile(install / "sys/c2/b.cbl", "source");
    pemtest::WriteFile(install / "sys/c1/Metrics/a.met", "x");
    form->SourceFiles.Append(install / "sys/c1/a.cbl");
    form->SourceFiles.Append(install / "sys/c2/b.cbl");
    Field()->setFocus();
    Field()->SetText(install / "sys/c1/COB");
    Field()->setModified(true);
    fs::create_directories(install / "sys/c1/COB");
    form->SourceFiles.Append(install / "sys/c1/COB/c.cbl");
    pemtest::WriteFile(install / "sys/c1/COB/c.cbl", "source");
    dialogs->Reset();
    dialogs->AnswerMessage(mrYes);
    Trigger("ActRestartProject");
    EXPECT_TRUE(fs::exists(install / "sys/c1/a.cbl"));
    EXPECT_TRUE(fs::exists(install / "sys/c1/Metrics/a.met"));
    EXPECT_TRUE(fs::exists(install / "sys/c1/COB/c.cbl"));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Reset refused, the output directory " + install / "sys/c1/COB" +
                                                       " holds the job's sources (" + install / "sys/c1/COB/c.cbl" + ")"));
}

TEST_F(OutputDirFormTest, ResetChecksANameStillBeingTyped) {
    StartCob();
    const std::string out = install / "out/COB";
    pemtest::WriteFile(out + "/last.xml", "x");
    TypeAndLeave(out);
    dialogs->Reset();
    form->EditProductName->setFocus();
    form->EditProductName->SetText("../..");
    dialogs->AnswerMessage(mrYes);
    Trigger("ActRestartProject");
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Product name missing or incorrect"));
    EXPECT_TRUE(fs::exists(out + "/last.xml"));
    for (const std::string& m : dialogs->Messages()) EXPECT_EQ(m.find("You are going to reset"), std::string::npos) << m;
}

TEST_F(OutputDirFormTest, ANoToTheResetKeepsTheJobsLists) {
    StartCob();
    const std::string out = install / "out/COB";
    pemtest::WriteFile(out + "/Metrics/SRC0001.met", "x");
    TypeAndLeave(out);
    form->MemoLongextension->SetLines(TStringList({".cobol=.cob"}));
    form->CheckListBoxComponentNames->AddItem("tests", true);
    dialogs->AnswerMessage(mrNo);
    Trigger("ActRestartProject");
    EXPECT_TRUE(fs::exists(out + "/Metrics/SRC0001.met"));
    EXPECT_EQ(form->MemoLongextension->Lines().Count(), 1);
    EXPECT_EQ(form->CheckListBoxComponentNames->Count(), 1);

    dialogs->Reset();
    dialogs->AnswerMessage(mrYes);
    Trigger("ActRestartProject");
    EXPECT_FALSE(fs::exists(out + "/Metrics/SRC0001.met"));
    EXPECT_EQ(form->MemoLongextension->Lines().Count(), 0);
    EXPECT_EQ(form->CheckListBoxComponentNames->Count(), 0);
}
