// The main window's files under bad luck and odd files: write-protected,
// linked and odd job files, a product INI file that is write-protected, sits
// on a full disk, is linked or is no file at all, a settings file that is a
// FIFO, a start that changes no setting, and names pasted with line breaks.
// (Each test's ctest timeout guards against a hang on a FIFO.)
#include "Exceptions.h"
#include "FileFaults.h"
#include "FindDirectoryFrame.h"
#include "IniSettingsFile.h"
#include "MainFormHarness.h"
#include "QtTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const char* const kLoadError =
    " Error while loading project definition, it was possibly generated with an older version of the tool";

class SaveReliabilityTest : public pemtest::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        CopyTree(FIXTURES_DIR "/startup");
        fs::create_directories(install / "jobs");
    }
    std::string IniPath() const { return install / "_Pemaris_Family.Src/Korvex.INI"; }
    std::string SettingsPath() const { return IniSettingsFile::PathFor("Korvex Shell"); }

    // Started, with the start's own dialogs and messages forgotten.
    TfrmPemarisMain* Start() {
        MainFormTest::Start("Korvex");
        dialogs->Reset();
        recorder.records.clear();
        form->MyStB->MessageList.clear();
        return form.get();
    }
    void Names() {
        form->ActiveRadioButton = form->Find<TRadioButton>("RadioButtonCob85");
        form->ValidateProductName("abc corp");
        form->ValidateSystemName("pay roll");
        form->ValidateVersion("1.2");
        form->JobFolder = install / "jobs/";
    }
    // Save as: the dialog answers with file.
    void SaveAs(const std::string& file) {
        dialogs->Reset();
        dialogs->AnswerFiles({file});
        form->ActSaveProjectAs->Execute();
    }
    bool Said(const std::string& text) {
        for (const auto& m : dialogs->Messages())
            if (m == text) return true;
        return recorder.HasText(text);
    }
    void Paste(TEdit* edit, const std::string& text) {
        QApplication::clipboard()->setText(QString::fromUtf8(text.c_str()));
        edit->setFocus();
        QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QApplication::sendEvent(edit, &paste);
    }
    void Leave(TEdit* edit) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    }
};

// ---------------------------------------------------------------- the job

TEST_F(SaveReliabilityTest, JobSaveRespectsTheFileItReplaces) {
    Start();
    Names();

    // Write-protected: refused as a direct write would be, naming the job.
    const std::string locked = install / "jobs/Locked.jkvx";
    pemtest::WriteFile(locked, "locked job\n");
    ::chmod(locked.c_str(), 0444);
    SaveAs(locked);
    EXPECT_TRUE(Said("Can not create file " + locked + ".")) << ::testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(pemtest::ReadFile(locked), "locked job\n");
    EXPECT_TRUE(form->Modified);

    // A link: its target gets the job, the link stays.
    fs::create_directories(install / "shared");
    pemtest::WriteFile(install / "shared/Team.jkvx", "old\n");
    fs::create_symlink(install / "shared/Team.jkvx", install / "jobs/Team.jkvx");
    SaveAs(install / "jobs/Team.jkvx");
    EXPECT_TRUE(fs::is_symlink(install / "jobs/Team.jkvx"));
    EXPECT_NE(pemtest::ReadFile(install / "shared/Team.jkvx").find("ProjectSystemName=pay roll"), std::string::npos);
    EXPECT_FALSE(form->Modified);

    // Not a file: a FIFO and a link to /dev/zero stay what they are.
    const std::string fifo = install / "jobs/Fifo.jkvx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", install / "jobs/Zero.jkvx");
    for (const std::string& odd : {fifo, install / "jobs/Zero.jkvx"}) {
        SaveAs(odd);
        EXPECT_TRUE(Said("Can not create file " + odd + ": not a regular file.")) << odd;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(fs::read_symlink(install / "jobs/Zero.jkvx"), "/dev/zero");
    // No temporary file is left anywhere.
    for (const auto& e : fs::directory_iterator(install / "jobs"))
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
}

TEST_F(SaveReliabilityTest, OddJobFilesAreRefusedOnOpening) {
    Start();
    const std::string fifo = install / "jobs/Fifo.jkvx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", install / "jobs/Zero.jkvx");
    for (const std::string& odd : {fifo, install / "jobs/Zero.jkvx"}) {
        recorder.records.clear();
        form->MyStB->MessageList.clear();
        dialogs->Reset();
        dialogs->AnswerFiles({odd});
        form->ActOpenProject->Execute();
        EXPECT_TRUE(recorder.Has(TStatusRecord::Collected, "Can not open file " + odd + ": not a regular file"))
            << odd;
        EXPECT_TRUE(recorder.Has(TStatusRecord::Collected, kLoadError)) << odd;
    }
}

// ------------------------------------------------------------ the INI file

// A write-protected INI without the view-style line: the start does not stop
// on the save it cannot make; the file is used as it is and a warning says
// so after the language selection that clears the bar.
TEST_F(SaveReliabilityTest, WriteProtectedIniIsUsedAsItIsWithAStandingWarning) {
    const std::string text = "; Korvex\r\nRadioButtonCob85=COBOL 85,COB,,1,V1\r\nCOB.Extras=(DirDepth=2)\r\n"
                             "FileCopy.SystemIOBuffSize=200000\r\nActiveRadioButton=RadioButtonCob85\r\n";
    CopyTree(FIXTURES_DIR "/installations"); // a complete tool tree: a quiet start
    pemtest::WriteFile(IniPath(), text);
    ::chmod(IniPath().c_str(), 0444);
    const std::string warning =
        "Cannot write to " + IniPath() + ", its settings are used as they are (FileCopy.SystemFileViewStyle=1)";

    MainFormTest::Start("Korvex");
    EXPECT_FALSE(form->isHidden());
    EXPECT_EQ(form->ActiveRadioButton, form->Find<TRadioButton>("RadioButtonCob85"));
    EXPECT_EQ(form->IniSettings.FileViewStyle, 1);
    EXPECT_EQ(pemtest::ReadFile(IniPath()), text);
    ASSERT_FALSE(recorder.records.empty());
    EXPECT_EQ(recorder.records.back().kind, TStatusRecord::Warning);
    EXPECT_EQ(recorder.records.back().text, warning);
    EXPECT_EQ(form->MyStB->SimpleText().substr(0, 20), warning.substr(0, 20));

    // Another selection of the language clears the bar: the warning comes back.
    recorder.records.clear();
    form->RadioButtonClick(form->ActiveRadioButton);
    ASSERT_FALSE(recorder.records.empty());
    EXPECT_EQ(recorder.records.back().text, warning);

    // Saving it on purpose is refused with the usual message.
    dialogs->Reset();
    form->Act("ActWriteINIFile")->Execute();
    EXPECT_TRUE(Said("Cannot write to " + IniPath()));
    EXPECT_EQ(pemtest::ReadFile(IniPath()), text);
}

// A full disk cut the INI file mid-line when it was written in place; now
// the old file stays byte for byte and the user is told.
TEST_F(SaveReliabilityTest, FullDiskIniWriteLeavesTheFileIntact) {
    Start();
    const std::string before = pemtest::ReadFile(IniPath());
    {
        pemtest::FileSizeLimit disk(64);
        form->Act("ActWriteINIFile")->Execute();
    }
    EXPECT_TRUE(Said("Cannot write to " + IniPath()));
    EXPECT_EQ(pemtest::ReadFile(IniPath()), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(install / "_Pemaris_Family.Src"), {}), 5);
}

// Saving through a link writes its target; the file keeps its CR LF line
// ends and its mode.
TEST_F(SaveReliabilityTest, IniSavedThroughALinkKeepsLineEndsAndMode) {
    const std::string real = install / "shared/Korvex.real";
    fs::create_directories(install / "shared");
    std::string text = pemtest::ReadFile(IniPath());
    for (size_t i = 0; (i = text.find('\n', i)) != std::string::npos; i += 2) text.insert(i, "\r");
    pemtest::WriteFile(real, text);
    ::chmod(real.c_str(), 0640);
    fs::remove(IniPath());
    fs::create_symlink(real, IniPath());

    Start();
    form->Act("ActWriteINIFile")->Execute();
    EXPECT_TRUE(dialogs->Messages().empty()) << ::testing::PrintToString(dialogs->Messages());
    EXPECT_TRUE(fs::is_symlink(IniPath()));
    const std::string saved = pemtest::ReadFile(real);
    EXPECT_EQ(saved.find("Date Written=0"), std::string::npos);
    EXPECT_NE(saved.find("\r\nDate Written="), std::string::npos);
    EXPECT_EQ(saved.find("\n"), saved.find("\r\n") + 1);
    struct stat st {};
    ::stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SaveReliabilityTest, OddIniFilesStopTheStartWithTheirReason) {
    for (const bool fifo : {true, false}) {
        fs::remove(IniPath());
        if (fifo) ASSERT_EQ(::mkfifo(IniPath().c_str(), 0600), 0);
        else fs::create_symlink("/dev/zero", IniPath());
        recorder.records.clear();
        MainFormTest::Start("Korvex");
        EXPECT_TRUE(recorder.HasText("Can not open file " + IniPath() + ": not a regular file")) << fifo;
        EXPECT_TRUE(recorder.HasText("Cannot access product ini file - " + IniPath())) << fifo;
        EXPECT_TRUE(recorder.HasText("Fatal errors during start, application will be stopped")) << fifo;
        EXPECT_TRUE(form->isHidden()) << fifo;
        dialogs->Reset();
    }
}

// -------------------------------------------------------- the settings file

TEST_F(SaveReliabilityTest, FifoAsSettingsFileStartsWithDefaultsAndAWarning) {
    CopyTree(FIXTURES_DIR "/installations");
    fs::create_directories(fs::path(SettingsPath()).parent_path());
    ASSERT_EQ(::mkfifo(SettingsPath().c_str(), 0600), 0);
    MainFormTest::Start("Korvex");
    EXPECT_FALSE(form->isHidden());
    EXPECT_TRUE(fs::is_fifo(SettingsPath()));
    ASSERT_FALSE(recorder.records.empty());
    EXPECT_EQ(recorder.records.back().kind, TStatusRecord::Warning);
    EXPECT_EQ(recorder.records.back().text,
              "Settings file " + SettingsPath() +
                  " is not a regular file: defaults are used and the file is left as it is");
}

// A start that changes no setting writes no settings file. (A second hard
// link shows whether the file was replaced.)
TEST_F(SaveReliabilityTest, StartWithNothingChangedLeavesTheSettingsFileAlone) {
    MainFormTest::Start("Korvex");
    form.reset();
    MainFormTest::Start("Korvex");
    form.reset();
    const std::string witness = install / "witness";
    fs::create_hard_link(SettingsPath(), witness);
    MainFormTest::Start("Korvex");
    form.reset();
    struct stat st {};
    ::stat(SettingsPath().c_str(), &st);
    EXPECT_EQ(st.st_nlink, 2u);
}

// ------------------------------------------------------------------- names

// A name pasted with a line break would become a job file name holding it:
// the name edits refuse it with their messages when left; other one-line
// edits drop the control characters as they are pasted.
TEST_F(SaveReliabilityTest, PastedNamesWithLineBreaksAreRefused) {
    Start();
    struct Case {
        TEdit* edit;
        const char* pasted;
        const char* error;
    };
    const Case cases[] = {
        {form->EditSystemName, "pay roll\n", "System name missing or incorrect"},
        {form->EditSystemName, "pay\nMaxDirDepth=abc", "System name missing or incorrect"},
        {form->EditProductName, "abc\r\ncorp", "Product name missing or incorrect"},
        {form->EditProductName, "abc\tcorp", "Product name missing or incorrect"},
        {form->EditSystemVersion, "1.2\n", "Version missing or incorrect (0..9 and . are accepted)"},
    };
    for (const auto& c : cases) {
        c.edit->SetText("");
        recorder.records.clear();
        Paste(c.edit, c.pasted);
        EXPECT_EQ(c.edit->Text(), c.pasted);
        Leave(c.edit);
        EXPECT_TRUE(recorder.Has(TStatusRecord::Error, c.error)) << c.pasted;
        // The refused text stays in the edit, which keeps the focus; emptied
        // here, as the user would mend it, before the next edit is used.
        c.edit->SetText("");
    }
    EXPECT_EQ(form->ProductName, "");
    EXPECT_EQ(form->SystemName, "");
    EXPECT_EQ(form->SystemVersion, "");

    for (TEdit* other : {form->EditCreateWrdList, form->FrameFindDirectoryOutputDir->Edit}) {
        other->SetText("");
        Paste(other, "/work/out\r\nput\x01");
        EXPECT_EQ(other->Text(), "/work/output") << other->Name();
    }
}

} // namespace
