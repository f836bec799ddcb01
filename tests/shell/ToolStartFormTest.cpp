// The main window starting tools: a refused run, a failed start, a piped run
// whose console fills the memo and "Console.log", DOSBox found and
// configured, the DOS start's note, and the renaming's warnings still shown
// once the run is reported finished.
#include "FindDirectoryFrame.h"
#include "FindExecFrame.h"
#include "MainFormHarness.h"
#include "QtTestSupport.h"

#include <QApplication>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kFakeTool = std::string(FAKE_TOOLS_DIR) + "/fake_tool";

class ToolStartFormTest : public pemtest::MainFormTest {
protected:
    std::string IniPath() const { return install / "_Pemaris_Family.Src/Korvex.INI"; }
    std::string Out() const { return install / "out"; }

    // The fixture installation with the console stub beside the program and
    // a one-source job in the output directory.
    TfrmPemarisMain* StartWith(const std::string& settings, const std::string& extras = "DirDepth=2") {
        CopyTree(FIXTURES_DIR "/installations");
        fs::copy_file(std::string(PROGRAM_DIR) + "/console_stub", install / "Tools/console_stub");
        pemtest::WriteFile(IniPath(), "RadioButtonCob85=COBOL 85,COB,,1,V85\nCOB.Extras=(" + extras +
                                          ")\nRadioButtonJava=Java,JAV,,1,J8\nJAV.Extras=(DirDepth=3)\n" +
                                          settings + "ActiveRadioButton=RadioButtonCob85\n");
        pemtest::WriteFile(Out() + "/last.xml",
                           "<KORVEX>\n <Names\n  SystemName  = \"Sys\"\n />\n <Files>\n"
                           "  <Orig_File_0001>src/a.cbl</Orig_File_0001>\n"
                           "  <File_0001>COMP0001\\MOD0001\\SRC0001.CBL</File_0001>\n"
                           " </Files>\n</KORVEX>\n");
        pemtest::WriteFile(Out() + "/workinp/COMP0001/MOD0001/SRC0001.CBL", "1\n2\n");
        if (beforeStart) beforeStart();
        return Start();
    }

    std::function<void()> beforeStart;

    const TStatusRecord* Last() const { return recorder.records.empty() ? nullptr : &recorder.records.back(); }
};

} // namespace

TEST_F(ToolStartFormTest, ARefusedRunStartsNothing) {
    TfrmPemarisMain* f = StartWith("");
    f->Act("ActDontRun")->trigger();
    ASSERT_TRUE(f->Act("ActDontRun")->Checked());
    EXPECT_THROW(f->StartTool(kFakeTool, {"last.xml"}, Out()), EAbort);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Batch run prohibited : " + kFakeTool + " last.xml"));
    EXPECT_FALSE(f->ToolRun);
    EXPECT_FALSE(fs::exists(Out() + "/Metrics"));
}

TEST_F(ToolStartFormTest, AFailedDirectStartRaisesTheSystemsMessage) {
    TfrmPemarisMain* f = StartWith("");
    try {
        f->StartTool(install / "no tool", {"last.xml"}, Out());
        FAIL() << "started";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No such file or directory\r\n" + install / "no tool" + " last.xml\r\n" + Out());
    }
    EXPECT_EQ(f->LastSystemError, ENOENT);
}

TEST_F(ToolStartFormTest, APipedRunFillsTheMemoTheProgressAndConsoleLog) {
    pemtest::ScopedEnv noEol("FAKE_TOOL_NO_FINAL_EOL", "1");
    TfrmPemarisMain* f = StartWith("Runcontrol.SystemCaptureConsole=Y\n");
    ASSERT_TRUE(f->SystemCaptureConsole);
    f->JobName = "Job";
    f->FrameFindDirectoryOutputDir->Edit->SetText(Out());
    f->ProgressBarModules->SetMax(5);
    f->ProgressBarModules->SetPosition(0);
    ASSERT_TRUE(f->StartTool(kFakeTool, {"last.xml"}, Out()));
    ASSERT_TRUE(f->ToolRun->Piped());
    for (int i = 0; i < 2000 && !f->ToolRun->Pipes()->Drained(); ++i) {
        f->ReadToolOutput();
        f->ToolRun->Pipes()->WaitForOutput(5);
    }
    ASSERT_TRUE(f->ToolRun->WaitFor(10000));
    f->FinishToolOutput();
    EXPECT_EQ(f->MemoCaptureConsole->Lines(), TStringList({"Orig Source File = src/a.cbl", "Done without line end"}));
    EXPECT_EQ(f->GroupBoxSlider->Caption(), "Started processing project Job - Entity 1 of 5 -  src/a.cbl");
    EXPECT_EQ(Application().Title, "2 of 5 - Job");
    EXPECT_EQ(f->SaveConsoleLog(), 2);
    EXPECT_EQ(pemtest::ReadFile(Out() + "/Console.log"), "Orig Source File = src/a.cbl\nDone without line end\n");
}

TEST_F(ToolStartFormTest, PipesThatCannotBeMadeEndThePipedStartAfterItsDialog) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers check memory through a pipe of their own, which the
    // tight descriptor limit takes away.
    GTEST_SKIP() << "needs descriptors the sanitizers use";
#endif
    TfrmPemarisMain* f = StartWith("Runcontrol.SystemCaptureConsole=Y\n");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    const int lowest = ::dup(0);
    ::close(lowest);
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const bool started = f->StartTool(kFakeTool, {"last.xml"}, Out());
    ::setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_FALSE(started);
    EXPECT_FALSE(f->ToolRun);
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"CreatePipe"});
    EXPECT_EQ(f->LastSystemError, EMFILE);
}

TEST_F(ToolStartFormTest, DOSBoxOnPathWritesItsTemplateOnceAndRunsTheTool) {
    pemtest::ScopedEnv path("PATH", std::string(FAKE_TOOLS_DIR) + ":/usr/bin:/bin");
    TfrmPemarisMain* f = StartWith("Runcontrol.UseDOSBox=Y\n");
    EXPECT_TRUE(f->IniSettings.DOSBoxInUse);
    EXPECT_EQ(f->DOSBoxPath, std::string(FAKE_TOOLS_DIR) + "/dosbox");
    EXPECT_EQ(f->DOSBoxTemplatePath, install / "_Pemaris_Family.Src/DOSBox.config");
    EXPECT_NE(pemtest::ReadFile(f->DOSBoxTemplatePath).find("cycles=auto"), std::string::npos);

    const std::string tool = install / "Tools/Measure/Korvex/COBAudit/COBAUDIT.EXE";
    fs::copy_file(kFakeTool, tool);
    // The run's configuration is the output directory's own file: a link in
    // its place is replaced, the file it pointed at stays.
    pemtest::WriteFile(install / "elsewhere/dosbox.conf", "[sdl]\nfullscreen=true\n");
    fs::create_symlink(install / "elsewhere/dosbox.conf", Out() + "/DOSBox.config");
    ASSERT_TRUE(f->StartTool(tool, {"last.xml"}, Out()));
    ASSERT_TRUE(f->ToolRun->WaitFor(10000));
    EXPECT_EQ(pemtest::ReadFile(Out() + "/Metrics/SRC0001.met"), "Lines > 2\n");
    EXPECT_NE(pemtest::ReadFile(Out() + "/DOSBox.config").find("cycles=max"), std::string::npos);
    EXPECT_FALSE(fs::is_symlink(Out() + "/DOSBox.config"));
    EXPECT_EQ(pemtest::ReadFile(install / "elsewhere/dosbox.conf"), "[sdl]\nfullscreen=true\n");
}

TEST_F(ToolStartFormTest, WithoutDOSBoxOnPathTheLocationIsAskedForAndWrittenBelowTheSwitch) {
    pemtest::ScopedEnv path("PATH", "/nonexistent");
    dialogs->AnswerFiles({std::string(FAKE_TOOLS_DIR) + "/dosbox"});
    TfrmPemarisMain* f = StartWith("Runcontrol.UseDOSBox=Y\nRuncontrol.CaptureLog=N\n");
    ASSERT_FALSE(dialogs->calls.empty());
    EXPECT_EQ(dialogs->calls.front().text, "Please locate DOSBox-0.74\\DOSBox.exe manually");
    EXPECT_TRUE(f->IniSettings.DOSBoxInUse);
    const std::string ini = pemtest::ReadFile(IniPath());
    EXPECT_NE(ini.find("Runcontrol.UseDOSBox=Y\nRuncontrol.DOSBoxLocation=" + std::string(FAKE_TOOLS_DIR) +
                       "/dosbox\nRuncontrol.CaptureLog=N\n"),
              std::string::npos)
        << ini;
}

TEST_F(ToolStartFormTest, ACancelledSearchForDOSBoxLeavesItUnused) {
    pemtest::ScopedEnv path("PATH", "/nonexistent");
    TfrmPemarisMain* f = StartWith("Runcontrol.UseDOSBox=Y\n");
    EXPECT_FALSE(f->IniSettings.DOSBoxInUse);
    EXPECT_TRUE(recorder.HasText("DOSBox-0.74\\DOSBox.exe file search cancelled"));
    EXPECT_EQ(pemtest::ReadFile(IniPath()).find("DOSBoxLocation"), std::string::npos);
}

TEST_F(ToolStartFormTest, TheDOSStartNoteNamesTheDOSProgramAndOutlastsTheLanguageSelection) {
    const std::string dosTool = install / "Tools/Measure/Korvex/COBAudit/COBAudit.exe";
    beforeStart = [&] { pemtest::WriteFile(dosTool, "MZ" + std::string(62, '\0')); };
    TfrmPemarisMain* f = StartWith("", "DirDepth=2,Create_PIF=Y");
    const std::string note = "Create_PIF: this system has no DOS subsystem, no AUTOEXEC.NT or .pif files are made; "
                             "the DOS program " + dosTool + " runs only under DOSBox";
    // Selecting the language again (through another) ends with the note.
    f->Find<TRadioButton>("RadioButtonJava")->SetChecked(true);
    EXPECT_NE(Last()->text, note);
    f->Find<TRadioButton>("RadioButtonCob85")->SetChecked(true);
    ASSERT_TRUE(Last());
    EXPECT_EQ(Last()->kind, TStatusRecord::Warning);
    EXPECT_EQ(Last()->text, note);
    EXPECT_FALSE(fs::exists(install / "Tools/Measure/Korvex/COBAudit/COBAudit.pif"));
    EXPECT_FALSE(fs::exists(install / "Tools/Measure/Korvex/COBAudit/AUTOEXEC.NT"));
}

TEST_F(ToolStartFormTest, WarningsOfTheRenamingStayOnTheBarAfterTheFinalText) {
    TfrmPemarisMain* f = StartWith("");
    pemtest::WriteFile(Out() + "/Metrics/SRC0001.met", "a");
    pemtest::WriteFile(Out() + "/Metrics/SRC0002.met", "b");
    pemtest::WriteFile(Out() + "/Metrics/MOD0001.met", "m");
    f->MemoNewFileNames->SetLines(TStringList({"MOD0001=/x", "SRC0001=x/a.cbl", "SRC0002=x/a.cob"}));
    f->StructureLevel = 1;
    f->NumberOfRenamedModules = 0;
    f->BeginResultRenaming();
    EXPECT_EQ(f->RenameResultFolder(Out(), "Metrics"), 2);
    EXPECT_EQ(f->NumberOfRenamedModules, 1);
    EXPECT_EQ(pemtest::ReadFile(Out() + "/Metrics/x/a.met"), "a");
    f->ShowRunOutcome(false);
    ASSERT_TRUE(Last());
    EXPECT_EQ(Last()->kind, TStatusRecord::Warning);
    EXPECT_EQ(Last()->text, "Analysis completed, processing finished - 1 warning: Result Metrics/SRC0002.met keeps "
                            "its name: x/a.met was given to another result of this run");
    EXPECT_EQ(f->MyStB->LastMessage, Last()->text);

    f->RunWarnings.clear();
    f->ShowRunOutcome(true);
    EXPECT_EQ(Last()->kind, TStatusRecord::Error);
    EXPECT_EQ(Last()->text, "Process cancelled, analysis incomplete!");
}
