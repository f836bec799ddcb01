// Tool runs as the user starts them from the main window, with a fake tool in
// place of the analysis tool: the run from the button to the renamed
// results, the logs shown and the outcome on the bar; cancelling and closing
// while a tool runs; a failed start; the console log of piped runs; the
// reconnection with a run left in the background; "-AutoRun".
#include "ActionGate.h"
#include "CmdLine.h"
#include "DragPlayer.h"
#include "DropRouter.h"
#include "FileFaults.h"
#include "FindDirectoryFrame.h"
#include "FileFaults.h"
#include "FindExecFrame.h"
#include "MainFormHarness.h"
#include "OutputDirRules.h"
#include "QtTestSupport.h"
#include "RunActions.h"
#include "SourceFileListBox.h"
#include "TempFiles.h"
#include "TessalyXML.h"
#include "ToolOutputReader.h"
#include "UserGestures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <optional>
#include <gtest/gtest.h>
#include <cerrno>
#include <signal.h>

using namespace pem;
namespace fs = std::filesystem;

namespace {

const std::string kFakeTool = std::string(FAKE_TOOLS_DIR) + "/fake_tool";

// Three sources in two modules of one component, at structure level 2.
const char* const kSources[] = {"Billing/Invoice/a.cbl", "Billing/Invoice/b.cbl", "Billing/Payment/c.cbl"};
const char* const kTreeNames[] = {"COMP0001/MOD0001/SRC0001.CBL", "COMP0001/MOD0001/SRC0002.CBL",
                                  "COMP0001/MOD0002/SRC0003.CBL"};

class RunFormTest : public pemtest::MainFormTest {
public:
    void SetUp() override {
        MainFormTest::SetUp();
        TfrmPemarisMain::WatcherSliceMs = 20;
        TfrmPemarisMain::StopWaitMs = 10000;
    }
    void TearDown() override {
        // A test that failed half-way leaves no tool behind.
        if (form && form->ToolRun && !form->ToolRun->HasEnded()) ::kill(form->ToolRun->Child().Pid(), SIGKILL);
        MainFormTest::TearDown();
        TfrmPemarisMain::WatcherSliceMs = 500;
        TfrmPemarisMain::StopWaitMs = 15000;
        TfrmPemarisMain::ConsoleStepMs = 25;
    }

    // The output directory, named after the language as the shell wants it.
    std::string Out() const { return install / outName; }
    std::string outName = "out/COB";
    // Between the cases of a table: a fresh installation in the same place.
    void ClearInstall() {
        for (const auto& e : fs::directory_iterator(install.Path())) fs::remove_all(e.path());
    }
    std::function<void()> afterStart; // runs right after the window started
    std::string Tool() const { return install / "Tools/Measure/Korvex/COBAudit/COBAudit.exe"; }

    // The demo's problem-report scanner (the fake tool in its place) with a job
    // on system Sales, and the scanner's report as the run leaves it in the
    // output directory, without its text companion.
    TfrmPemarisMain* StartScannerJob() {
        outName = "out/DEFI";
        CopyTree(FIXTURES_DIR "/../../demo");
        fs::copy_file(kFakeTool, install / "Tools/Measure/Mindra/DEFIScan/DEFIScan.exe",
                      fs::copy_options::overwrite_existing);
        for (const char* s : {"Reports/r1.txt", "Reports/r2.txt"}) pemtest::WriteFile(install / ("src/" + std::string(s)), "a\n");
        TfrmPemarisMain* f = Start("Mindra");
        EXPECT_EQ(f->Product.Kind, 8);
        f->EditProductName->SetText("Prod");
        f->EditProductNameExit(f->EditProductName);
        f->EditSystemName->SetText("Sales");
        f->EditSystemNameExit(f->EditSystemName);
        f->EditSystemVersion->SetText("1.0");
        f->EditSystemVersionExit(f->EditSystemVersion);
        f->FrameFindDirectoryOutputDir->Edit->SetText(Out());
        f->AddDirectoryFiles(install / "src", true);
        PrepareOutput(f);
        // The scanners want a word list.
        f->CheckListBoxControlTags->addItem("ERROR");
        fs::copy_file(std::string(FIXTURES_DIR) + "/reports/defects_Sales.xml", Out() + "/Sales.xml");
        recorder.records.clear();
        return f;
    }

    // The fixture installation with the fake tool as the COBOL tool, the
    // console stub beside the program and the sources on disk.
    void Install(const std::string& settings) {
        // A settings line of the language given again replaces the default.
        const bool ownExtras = settings.rfind("COB.Extras=", 0) == 0;
        CopyTree(FIXTURES_DIR "/installations");
        fs::copy_file(kFakeTool, Tool(), fs::copy_options::overwrite_existing);
        fs::copy_file(std::string(PROGRAM_DIR) + "/console_stub", install / "Tools/console_stub");
        pemtest::WriteFile(install / "_Pemaris_Family.Src/Korvex.INI",
                           "RadioButtonCob85=COBOL 85,COB,,1,V85\n" +
                               std::string(ownExtras ? "" : "COB.Extras=(DirDepth=2)\n") +
                               "COB.Filters=COBOL sources (*.cbl)|*.cbl\n" +
                               settings +
                               "ActiveRadioButton=RadioButtonCob85\n");
        for (const char* s : kSources) pemtest::WriteFile(install / ("src/" + std::string(s)), "1\n2\n");
    }

    // The job typed in: names, the output directory and the sources.
    TfrmPemarisMain* StartJob(const std::string& settings = "") {
        Install(settings);
        TfrmPemarisMain* f = Start();
        TypeJob(f);
        return f;
    }
    void TypeJob(TfrmPemarisMain* f) {
        // Typed in, each edit left.
        f->EditProductName->SetText("Prod");
        f->EditProductNameExit(f->EditProductName);
        f->EditSystemName->SetText("Sys");
        f->EditSystemNameExit(f->EditSystemName);
        f->EditSystemVersion->SetText("1.0");
        f->EditSystemVersionExit(f->EditSystemVersion);
        f->FrameFindDirectoryOutputDir->Edit->SetText(Out());
        f->AddDirectoryFiles(install / "src", true);
        EXPECT_EQ(f->SourceFiles.CheckedCount(), 3);
        PrepareOutput(f);
        dialogs->Reset();
        recorder.records.clear();
    }

    // What a prepared run leaves in the output directory for the tool: the
    // parameter document, the input tree and its entries. The preparation
    // of the run makes the same from the job.
    void PrepareOutput(TfrmPemarisMain* f) {
        std::string doc = "<KORVEX>\n <Names\n  SystemName  = \"" + f->SystemName + "\"\n />\n <Files>\n";
        TStringList entries({"COMP0001=Billing", "MOD0001=Billing\\Invoice", "MOD0002=Billing\\Payment"});
        const std::string tree = Out() + "/workinp";
        for (int m = 1; m <= 2; ++m) entries.Add("FDR000" + std::to_string(m) + "=" + tree + "\\COMP0001\\MOD000" +
                                                 std::to_string(m));
        for (int i = 0; i < 3; ++i) {
            const std::string n = "000" + std::to_string(i + 1);
            std::string orig = kSources[i], treeName = kTreeNames[i];
            for (char& c : orig)
                if (c == '/') c = '\\';
            pemtest::WriteFile(tree + "/" + treeName, "1\n2\n");
            doc += "  <Orig_File_" + n + ">" + orig + "</Orig_File_" + n + ">\n";
            doc += "  <File_" + n + ">" + treeName + "</File_" + n + ">\n";
            entries.Add("SRC" + n + "=" + orig);
            for (char& c : treeName)
                if (c == '/') c = '\\';
            entries.Add("XCPY000" + std::to_string(i) + "=" + tree + "\\" + treeName);
        }
        doc += " </Files>\n</KORVEX>\n";
        pemtest::WriteFile(Out() + "/last.xml", doc);
        f->InputTreeEntries.SetLines(entries);
        f->MemoNewFileNames->SetLines(entries);
        f->NumberOfModules = 2;
        f->NumberOfSourceFiles = 3;
    }

    // The job saved as the user saves a new one: Save, and a name given.
    std::string SaveJob(TfrmPemarisMain* f) {
        const std::string job = install / ("jobs/Job" + f->Product.JobExtension);
        fs::create_directories(install / "jobs");
        dialogs->AnswerFiles({job});
        f->Act("ActSaveProject")->trigger();
        EXPECT_TRUE(fs::exists(job));
        return job;
    }

    // Serves events until the run has finished (or the limit passed).
    bool UntilFinished(TfrmPemarisMain* f, int ms = 15000) {
        return Until([&] { return f->RunState == TRunState::Idle; }, ms);
    }
    bool Until(const std::function<bool()>& done, int ms = 15000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms) return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return true;
    }

    // Texts of the bar's messages, in order.
    std::vector<std::string> BarTexts() const {
        std::vector<std::string> v;
        for (const auto& r : recorder.records) v.push_back(r.text);
        return v;
    }
    int IndexOf(const std::string& text) const {
        const auto v = BarTexts();
        const auto it = std::find(v.begin(), v.end(), text);
        return it == v.end() ? -1 : static_cast<int>(it - v.begin());
    }
    std::vector<std::string> TabCaptions(TfrmPemarisMain* f) const {
        std::vector<std::string> v;
        for (int i = 0; i < f->PageControlEditor->PageCount(); ++i) v.push_back(f->PageControlEditor->Pages(i)->Caption());
        return v;
    }
    // The tool's progress lines in a console log.
    static size_t ProgressLines(const std::string& console) {
        size_t lines = 0;
        for (size_t at = console.find("Orig Source File = "); at != std::string::npos;
             at = console.find("Orig Source File = ", at + 1))
            ++lines;
        return lines;
    }
    bool HasTab(TfrmPemarisMain* f, const std::string& caption) const {
        const auto v = TabCaptions(f);
        return std::find(v.begin(), v.end(), caption) != v.end();
    }
};

} // namespace

TEST_F(RunFormTest, AnAnalysisRunsFromTheButtonToItsRenamedResults) {
    for (const bool deleteAfter : {false, true}) {
        SCOPED_TRACE(deleteAfter ? "DeleteAfter=Y" : "DeleteAfter=N");
        TfrmPemarisMain* f = StartJob(std::string("Runcontrol.DeleteAfter=") + (deleteAfter ? "Y" : "N") + "\n");
        ASSERT_TRUE(f->BitBtnRunAnal->isEnabled());
        f->BitBtnRunAnal->click();
        ASSERT_TRUE(f->Running) << ::testing::PrintToString(BarTexts()) << ::testing::PrintToString(dialogs->Messages());
        EXPECT_TRUE(f->Act("ActCancelRun")->Enabled());
        EXPECT_FALSE(f->GroupBoxSlider->isHidden());
        ASSERT_TRUE(UntilFinished(f));

        for (const char* r : {"Billing/Invoice/a.met", "Billing/Invoice/b.met", "Billing/Payment/c.met",
                              "Billing/Invoice.met", "Billing/Payment.met", "Billing.met"})
            EXPECT_TRUE(fs::exists(Out() + "/Metrics/" + r)) << r;
        EXPECT_FALSE(fs::exists(Out() + "/Metrics/SRC0001.met"));
        EXPECT_EQ(f->NumberOfRenamedModules, 2);
        // The temporaries go only when asked; empty result folders always.
        EXPECT_EQ(fs::exists(Out() + "/workinp"), !deleteAfter);
        EXPECT_FALSE(fs::exists(Out() + "/Defis"));

        EXPECT_FALSE(f->Running);
        EXPECT_FALSE(f->Act("ActCancelRun")->Enabled());
        EXPECT_TRUE(f->Act("ActViewProductLog")->Enabled());
        EXPECT_TRUE(f->GroupBoxSlider->isHidden());
        EXPECT_FALSE(Screen().Busy());
        EXPECT_TRUE(HasTab(f, "Sys.log")) << ::testing::PrintToString(TabCaptions(f));
        ASSERT_FALSE(recorder.records.empty());
        EXPECT_EQ(recorder.records.back().kind, TStatusRecord::Warning);
        EXPECT_EQ(recorder.records.back().text, "Analysis completed, processing finished");
        EXPECT_EQ(Application().Title, "Completed - " + f->JobName);
        EXPECT_NE(f->Caption().find(" Last batch runtime: "), std::string::npos) << f->Caption();
        form.reset();
        ClearInstall();
    }
}

TEST_F(RunFormTest, CancellingAsksTheToolToStopAndReportsBothMessagesInOrder) {
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "20000");
    TfrmPemarisMain* f = StartJob();
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->Running);
    // The tool has written its results and waits.
    ASSERT_TRUE(Until([&] { return fs::exists(Out() + "/Metrics/MOD0002.met"); }));
    dialogs->AnswerMessage(mrYes);
    QElapsedTimer t;
    t.start();
    f->Act("ActCancelRun")->trigger(); // returns once the run has finished
    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_EQ(f->RunState, TRunState::Idle);
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"Do you really want to cancel processing?"});
    const int cancelled = IndexOf("Process cancelled, analysis incomplete!");
    const int background = IndexOf("Background process cancelled!");
    ASSERT_GE(cancelled, 0) << ::testing::PrintToString(BarTexts());
    EXPECT_GT(background, cancelled);
    EXPECT_NE(pemtest::ReadFile(Out() + "/Sys.log").find("stopped"), std::string::npos) << pemtest::ReadFile(Out() + "/Sys.log");
    // Renaming and cleaning ran all the same.
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Invoice/a.met"));
    EXPECT_FALSE(f->Running);
}

TEST_F(RunFormTest, AnsweringNoToTheCancelQuestionLeavesTheRunAlone) {
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "300");
    TfrmPemarisMain* f = StartJob();
    f->Act("ActRunAnal")->trigger();
    dialogs->AnswerMessage(mrNo);
    f->Act("ActCancelRun")->trigger();
    EXPECT_FALSE(fs::exists(Out() + "/Semaphore.xml"));
    EXPECT_TRUE(f->Act("ActCancelRun")->Enabled());
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_TRUE(recorder.HasText("Analysis completed, processing finished"));
}

TEST_F(RunFormTest, AToolThatIgnoresTheStopFileDoesNotHoldTheWindow) {
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "1500");
    pemtest::ScopedEnv ignore("FAKE_TOOL_IGNORE_SEMAPHORE", "1");
    TfrmPemarisMain::StopWaitMs = 100;
    TfrmPemarisMain* f = StartJob();
    f->Act("ActRunAnal")->trigger();
    dialogs->AnswerMessage(mrYes); // cancel
    dialogs->AnswerMessage(mrNo);  // stop waiting
    f->Act("ActCancelRun")->trigger();
    ASSERT_EQ(dialogs->Messages().size(), 2u);
    EXPECT_EQ(dialogs->Messages()[1],
              "The background process has not ended yet.\r\nDo you want to go on waiting for it?");
    // The tool runs on; the shell is still in the run, cancel offered again.
    EXPECT_TRUE(f->Running);
    EXPECT_EQ(f->RunState, TRunState::Running);
    EXPECT_TRUE(f->Act("ActCancelRun")->Enabled());
    EXPECT_FALSE(f->ToolRun->HasEnded());
    EXPECT_FALSE(recorder.HasText("Background process cancelled!"));
    f->Act("ActAddfiles")->trigger();
    EXPECT_TRUE(recorder.HasText("Only viewing,Save,Cancel & Exit are allowed when processing"));
    // Its own end is finished as any other.
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_FALSE(f->Running);
}

TEST_F(RunFormTest, AFailedStartLeavesTheGateOpen) {
    const struct {
        const char* what;
        std::string settings;
        const char* message; // on the bar, or "" for the start's own dialog
    } cases[] = {
        {"direct", "", ""},
        {"piped", "Runcontrol.SystemCaptureConsole=Y\n",
         "Failed to start batch processing task System Error : 2 - No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfrmPemarisMain* f = StartJob(c.settings);
        // The console stub cannot start a tool that is gone.
        fs::remove(Tool());
        if (std::string(c.what) == "piped") fs::remove(install / "Tools/console_stub");
        f->Act("ActRunAnal")->trigger();
        EXPECT_FALSE(f->Running);
        EXPECT_EQ(f->RunState, TRunState::Idle);
        EXPECT_FALSE(f->Act("ActCancelRun")->Enabled());
        if (*c.message) EXPECT_TRUE(recorder.Has(TStatusRecord::Error, c.message)) << ::testing::PrintToString(BarTexts());
        else ASSERT_EQ(dialogs->Messages().size(), 1u);
        // The next action is not refused as if a tool ran.
        recorder.records.clear();
        fs::copy_file(kFakeTool, Tool(), fs::copy_options::overwrite_existing);
        if (std::string(c.what) == "piped")
            fs::copy_file(std::string(PROGRAM_DIR) + "/console_stub", install / "Tools/console_stub");
        f->Act("ActRunAnal")->trigger();
        EXPECT_TRUE(f->Running);
        ASSERT_TRUE(UntilFinished(f));
        EXPECT_TRUE(recorder.HasText("Analysis completed, processing finished"));
        form.reset();
        ClearInstall();
        dialogs->Reset();
    }
}

TEST_F(RunFormTest, AToolThatEndsAtOnceReadsAsCompleted) {
    TfrmPemarisMain* f = StartJob();
    fs::remove(Out() + "/last.xml"); // the tool finds no document and ends
    pemtest::WriteFile(Out() + "/Metrics/keep.txt", "x"); // no first-use question
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Analysis completed, processing finished"));
    EXPECT_FALSE(recorder.HasText("Process cancelled, analysis incomplete!"));
}

TEST_F(RunFormTest, APipedRunOpensItsConsoleLogBelow1001Lines) {
    // 996 or 997 flood lines, three progress lines and "Done".
    const struct {
        const char* flood;
        int lines;
        bool opened;
    } cases[] = {{"14940", 1000, true}, {"14955", 1001, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        pemtest::ScopedEnv flood("FAKE_TOOL_FLOOD", c.flood);
        TfrmPemarisMain* f = StartJob("Runcontrol.SystemCaptureConsole=Y\n");
        f->Act("ActRunAnal")->trigger();
        ASSERT_TRUE(f->ToolRun && f->ToolRun->Piped());
        ASSERT_TRUE(UntilFinished(f));
        TStringList log;
        log.LoadFromFile(Out() + "/Console.log");
        EXPECT_EQ(log.Count(), c.lines);
        EXPECT_EQ(log[c.lines - 1], "Done");
        EXPECT_EQ(HasTab(f, "Console.log"), c.opened) << ::testing::PrintToString(TabCaptions(f));
        EXPECT_EQ(f->ProgressBarModules->Max(), 8); // the renaming's range
        EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Payment/c.met"));
        form.reset();
        ClearInstall();
    }
}

// A tool that redraws a progress counter with lone CRs builds one 16 MB
// line: the run completes, the memo shows the line cut, "Console.log" holds
// every byte but, though it has only a few lines, is not opened in a viewer
// (that would hold the window up for seconds), and no spool is left in the
// private temporary folder.
TEST_F(RunFormTest, ASixteenMegabyteLineIsCutInTheMemoAndSavedWhole) {
    pemtest::ScopedEnv longLine("FAKE_TOOL_LONG_LINE_MB", "16");
    TfrmPemarisMain* f = StartJob("Runcontrol.SystemCaptureConsole=Y\n");
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->ToolRun && f->ToolRun->Piped());
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Analysis completed, processing finished"));
    const std::string console = pemtest::ReadFile(Out() + "/Console.log");
    const size_t end = console.find('\n');
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(end, size_t{16} << 20);
    EXPECT_EQ(console.substr(0, 9), "0%\r1%\r2%\r");
    EXPECT_EQ(console.substr(end - 4, 5), "100%\n");
    EXPECT_TRUE(console.ends_with("Done\n"));
    EXPECT_FALSE(HasTab(f, "Console.log")) << ::testing::PrintToString(TabCaptions(f));
    // The memo breaks its blocks at the lone CRs (and keeps its last 10000
    // blocks); the line shows there up to its cut, then the lines after it.
    std::string head = console.substr(0, TLineAssembler::kMaxLineBytes);
    std::replace(head.begin(), head.end(), '\r', '\n');
    const std::string memo = f->MemoCaptureConsole->toPlainText().toStdString();
    EXPECT_NE(memo.find(head.substr(head.size() - 1000) + "\n"), std::string::npos) << memo.substr(0, 40);
    EXPECT_EQ(memo.find("100%"), std::string::npos); // past the cut
    EXPECT_LT(memo.size(), head.size() + 1000);
    EXPECT_TRUE(memo.ends_with("Done")) << memo.substr(memo.size() > 40 ? memo.size() - 40 : 0);
    for (const auto& e : fs::directory_iterator(PrivateTempDir()))
        EXPECT_NE(e.path().filename().string().rfind("console-", 0), 0u) << e.path();
}

// A console flood is read in bounded steps, the rest waiting for later
// turns of the event loop, and read to its end while the run finishes:
// "Console.log" holds every line in order, the memo its tail.
TEST_F(RunFormTest, AConsoleFloodArrivesWholeAndInOrder) {
    constexpr long kFloodLines = 2500000; // 15 bytes each: beyond the drain's buffer
    pemtest::ScopedEnv flood("FAKE_TOOL_FLOOD", std::to_string(kFloodLines * 15));
    TfrmPemarisMain::ConsoleStepMs = 1; // many short steps
    TfrmPemarisMain* f = StartJob("Runcontrol.SystemCaptureConsole=Y\n");
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->ToolRun && f->ToolRun->Piped());
    ASSERT_TRUE(UntilFinished(f, 60000));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Analysis completed, processing finished"));
    const std::string console = pemtest::ReadFile(Out() + "/Console.log");
    ASSERT_GT(console.size(), size_t(kFloodLines * 15));
    char expected[32];
    for (long i = 0; i < kFloodLines; ++i) {
        std::snprintf(expected, sizeof expected, "line %09ld\n", i + 1);
        ASSERT_EQ(console.compare(size_t(i) * 15, 15, expected), 0) << "line " << i + 1;
    }
    const std::string after = console.substr(size_t(kFloodLines) * 15);
    EXPECT_EQ(ProgressLines(after), 3u) << after;
    EXPECT_TRUE(after.ends_with("\nDone\n")) << after;
    // The memo shows the last lines, the same as the log's.
    const std::string memo = f->MemoCaptureConsole->toPlainText().toStdString();
    const int blocks = f->MemoCaptureConsole->blockCount();
    EXPECT_EQ(blocks, static_cast<int>(TToolOutputReader::kDefaultTail));
    size_t at = console.size() - 1; // the last line end
    for (int i = 0; i < blocks; ++i) at = console.rfind('\n', at - 1);
    EXPECT_TRUE(memo + "\n" == console.substr(at + 1)) << memo.substr(0, 40);
    EXPECT_TRUE(fs::is_empty(PrivateTempDir()));
}

TEST_F(RunFormTest, ABatchRunWithCaptureLogFillsConsoleLog) {
    TfrmPemarisMain* f = StartJob("Runcontrol.CaptureLog=Y\nRuncontrol.NameByDirectory=Y\n");
    ASSERT_TRUE(f->SystemNameByDirectory);
    // A batch as the preparation writes one for such a run (the preparation
    // writes its own, one call per module).
    pemtest::WriteFile(Out() + "/lastbatch.cmd", "\"" + Tool() + "\" last.xml\n");
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(UntilFinished(f));
    // Every source's progress line went into the file.
    const std::string console = pemtest::ReadFile(Out() + "/Console.log");
    EXPECT_EQ(ProgressLines(console), 3u) << console;
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Invoice/b.met"));
}

// The stop file and the console log are the output directory's own: a link
// planted in their place while the tool runs is replaced by a plain file on
// every road that writes them, and the file it pointed at stays as it was.
TEST_F(RunFormTest, LinksPlantedAtTheRunsOwnFilesAreReplacedNotFollowed) {
    const struct {
        const char* what;
        const char* settings;
        const char* name;
        std::function<void(TfrmPemarisMain*)> road;
    } cases[] = {
        {"stop file by the cancel action", "", "Semaphore.xml",
         [this](TfrmPemarisMain* f) {
             dialogs->AnswerMessage(mrYes);
             f->Act("ActCancelRun")->trigger();
         }},
        {"stop file by closing the window", "", "Semaphore.xml",
         [this](TfrmPemarisMain* f) {
             dialogs->AnswerMessage(mrYes);
             EXPECT_FALSE(f->close());
         }},
        {"console log of a piped run", "Runcontrol.SystemCaptureConsole=Y\n", "Console.log",
         [this](TfrmPemarisMain* f) { EXPECT_TRUE(UntilFinished(f)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", std::string(c.name) == "Console.log" ? "300" : "20000");
        TfrmPemarisMain* f = StartJob(c.settings);
        f->Act("ActRunAnal")->trigger();
        ASSERT_TRUE(f->Running);
        // Planted once the start has cleared the old ones away.
        const std::string precious = install / "elsewhere/precious.txt";
        pemtest::WriteFile(precious, "the user's own text\n");
        fs::create_symlink(precious, Out() + "/" + c.name);
        c.road(f);
        EXPECT_EQ(f->RunState, TRunState::Idle);
        EXPECT_EQ(pemtest::ReadFile(precious), "the user's own text\n");
        EXPECT_FALSE(fs::is_symlink(Out() + "/" + c.name));
        ASSERT_TRUE(fs::is_regular_file(Out() + "/" + c.name));
        if (std::string(c.name) == "Semaphore.xml") {
            EXPECT_EQ(pemtest::ReadFile(Out() + "/Semaphore.xml"), "");
            EXPECT_NE(pemtest::ReadFile(Out() + "/Sys.log").find("stopped"), std::string::npos);
        } else {
            EXPECT_NE(pemtest::ReadFile(Out() + "/Console.log").find("Orig Source File = "), std::string::npos);
        }
        form.reset();
        ClearInstall();
        dialogs->Reset();
    }
}

// A piped run whose tool is given "> Console.log" writes the log itself, and
// its pipe carries nothing: the empty capture leaves the tool's log alone,
// and the log is opened as any short one.
TEST_F(RunFormTest, AConsoleLogWrittenByTheToolIsKept) {
    TfrmPemarisMain* f = StartJob("Runcontrol.SystemCaptureConsole=Y\nRuncontrol.CaptureLog=Y\n");
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->ToolRun && f->ToolRun->Piped());
    ASSERT_TRUE(UntilFinished(f));
    const std::string console = pemtest::ReadFile(Out() + "/Console.log");
    EXPECT_EQ(ProgressLines(console), 3u) << console;
    EXPECT_TRUE(HasTab(f, "Console.log")) << ::testing::PrintToString(TabCaptions(f));
    EXPECT_TRUE(recorder.HasText("Analysis completed, processing finished"));
}

// A console log that cannot be written (the disk is full for it) is told,
// on the bar as a warning of the run and so, headless, on standard error;
// the run's outcome stays the tool's, and an automatic run still ends well.
TEST_F(RunFormTest, AConsoleLogThatCannotBeWrittenIsTold) {
    pemtest::ScopedEnv flood("FAKE_TOOL_FLOOD", "300000");
    TfrmPemarisMain* f = StartJob("Runcontrol.SystemCaptureConsole=Y\n");
    const std::string job = SaveJob(f);
    form.reset();
    SetCommandLine({"-Proj", job, "-AutoRun=Anal"});
    dialogs->Reset();
    recorder.records.clear();
    // Room for the job, the run's own small files and the results, not for
    // the log.
    pemtest::FileSizeLimit disk(64 * 1024);
    TfrmPemarisMain* again = Start();
    ASSERT_TRUE(again->ToolRun && again->ToolRun->Piped());
    ASSERT_TRUE(Until([&] { return !again->isVisible(); })) << ::testing::PrintToString(BarTexts());
    const std::string told = "Can not write file " + Out() + "/Console.log";
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, told)) << ::testing::PrintToString(BarTexts());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Analysis completed, processing finished - 1 warning: " + told))
        << ::testing::PrintToString(BarTexts());
    EXPECT_FALSE(fs::exists(Out() + "/Console.log"));
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Payment/c.met"));
    EXPECT_EQ(again->ExitStatus, 0);
    EXPECT_NE(pemtest::ReadFile(job).find("BatchRunning=N"), std::string::npos);
}

TEST_F(RunFormTest, ClosingWhileAToolRunsCancelsItAndKeepsTheWindow) {
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "20000");
    TfrmPemarisMain* f = StartJob();
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->Running);
    dialogs->AnswerMessage(mrYes);
    EXPECT_FALSE(f->close());
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->RunState, TRunState::Idle);
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0].rfind("You are running a batch process in the background.", 0), 0u);
    // The stopped run reads as cancelled, then the close says so.
    const int cancelled = IndexOf("Process cancelled, analysis incomplete!");
    ASSERT_GE(cancelled, 0) << ::testing::PrintToString(BarTexts());
    EXPECT_GT(IndexOf("Background process cancelled!"), cancelled);
    EXPECT_FALSE(recorder.HasText("Analysis completed, processing finished"));
    EXPECT_TRUE(f->Modified);
}

TEST_F(RunFormTest, AJobSavedWhileItsToolRanReconnectsWhenOpenedAgain) {
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "400");
    // The input-tree entries are kept in the job only with the advanced view.
    SetCommandLine({"-ShowAdvanced"});
    TfrmPemarisMain* f = StartJob();
    f->ActShowAdvanced->trigger();
    ASSERT_FALSE(f->MemoNewFileNames->isHidden());
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->Running);
    const std::string job = SaveJob(f);
    ASSERT_TRUE(fs::exists(job));
    EXPECT_NE(pemtest::ReadFile(job).find("BatchRunning=Y"), std::string::npos);
    // The shell goes while the tool works on; the tool ends by itself.
    const pid_t pid = f->ToolRun->Child().Pid();
    form.reset();
    ASSERT_TRUE(Until([&] { return ::kill(pid, 0) != 0; }, 10000));
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/SRC0003.met"));

    SetCommandLine({"-Proj", job});
    dialogs->Reset();
    TfrmPemarisMain* again = Start();
    EXPECT_EQ(dialogs->Messages(),
              std::vector<std::string>{"Your batch process seems to have finished in the mean time. \r\nEnjoy the results. "});
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Payment/c.met"));
    EXPECT_FALSE(again->Running);
    EXPECT_EQ(pemtest::ReadFile(job).find("BatchRunning=Y"), std::string::npos);
}

// A job file may list a source whose name the tools' document cannot carry
// (written by hand, or by an older shell). The job opens with that entry as
// it was, unticked and greyed and named on the bar; the run leaves it out of
// "last.xml", and saving the job keeps the entry.
TEST_F(RunFormTest, ASourceOfTheJobFileWithAnUnsafeNameStaysOutOfTheRun) {
    TfrmPemarisMain* f = StartJob();
    const std::string refused = install / "src/Billing/Invoice/a<b>.cbl";
    pemtest::WriteFile(refused, "1\n");
    const std::string job = SaveJob(f);
    std::string text = pemtest::ReadFile(job);
    const std::string after = "YY" + install / "src/Billing/Invoice/a.cbl\n";
    const auto at = text.find(after);
    ASSERT_NE(at, std::string::npos) << text;
    text.insert(at + after.size(), "YY" + refused + "\n");
    pemtest::WriteFile(job, text);

    f->ClearProject();
    recorder.records.clear();
    TStringList dropped;
    dropped.Add(job);
    TDropRouter::Instance().Deliver(f->TabSheetRulesMetricsUsw, dropped);
    ASSERT_EQ(f->SourceFiles.Count(), 4);
    const int entry = f->SourceFiles.IndexOf(refused);
    ASSERT_GE(entry, 0);
    EXPECT_FALSE(f->SourceFiles.Checked(entry));
    EXPECT_FALSE(f->SourceFiles.Enabled(entry));
    EXPECT_EQ(f->SourceFiles.CheckedCount(), 3);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Left out of the run, its name holds \"<\" or \">\": " + refused))
        << ::testing::PrintToString(BarTexts());
    EXPECT_FALSE(f->Modified);

    // "Select all" ticks every item, the greyed one too: the run still
    // leaves it out, and says so.
    f->CheckListBoxSelectedFiles->setFocus();
    f->Act("ActSelectAll")->trigger();
    ASSERT_TRUE(f->SourceFiles.Checked(entry));
    recorder.records.clear();
    ASSERT_TRUE(f->BitBtnRunAnal->isEnabled());
    f->BitBtnRunAnal->click();
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Left out of the run, its name holds \"<\" or \">\": " + refused))
        << ::testing::PrintToString(BarTexts());
    const std::string doc = pemtest::ReadFile(Out() + "/last.xml");
    EXPECT_EQ(doc.find("a<b>"), std::string::npos) << doc;
    EXPECT_NE(doc.find("a.cbl<"), std::string::npos) << doc;
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Payment/c.met"));

    f->Act("ActSaveProject")->trigger();
    EXPECT_NE(pemtest::ReadFile(job).find(refused + "\n"), std::string::npos);
}

TEST_F(RunFormTest, AutoRunSavesTheJobAndEndsWell) {
    // The input-tree entries are kept in the job only with the advanced view.
    SetCommandLine({"-ShowAdvanced"});
    TfrmPemarisMain* f = StartJob();
    f->ActShowAdvanced->trigger();
    const std::string job = SaveJob(f);
    ASSERT_TRUE(fs::exists(job));
    form.reset();

    SetCommandLine({"-Proj", job, "-AutoRun=Anal"});
    TfrmPemarisMain* again = Start();
    ASSERT_TRUE(Until([&] { return !again->isVisible(); }));
    EXPECT_EQ(again->ExitStatus, 0);
    EXPECT_TRUE(again->ToolWatcher && again->ToolWatcher->Ended());
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Invoice/a.met"));
    EXPECT_FALSE(again->Modified);
    EXPECT_NE(pemtest::ReadFile(job).find("BatchRunning=N"), std::string::npos);
}

TEST_F(RunFormTest, AutoRunEndsBadlyWhenTheRunCannotBeDone) {
    const struct {
        const char* what;
        std::function<void(RunFormTest&, const std::string& job)> spoil;
        const char* autoRun;
        std::optional<std::string> toolWait; // FAKE_TOOL_WAIT_STOP_MS
    } cases[] = {
        {"the job does not load", [](RunFormTest&, const std::string& job) { pemtest::WriteFile(job, "garbage\n"); },
         "Anal"},
        {"the tool does not start", [](RunFormTest& t, const std::string&) { fs::remove(t.Tool()); }, "Anal"},
        {"no such run", [](RunFormTest&, const std::string&) {}, "Fly"},
        // The saving after the run fails: a folder stands where the job goes.
        {"the job cannot be saved",
         [](RunFormTest& t, const std::string& job) {
             t.afterStart = [job] {
                 fs::remove(job);
                 fs::create_directories(job + "/blocked");
             };
         },
         "Anal", "300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        afterStart = nullptr;
        pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", c.toolWait);
        TfrmPemarisMain* f = StartJob();
        const std::string job = SaveJob(f);
        form.reset();
        c.spoil(*this, job);
        SetCommandLine({"-Proj", job, std::string("-AutoRun=") + c.autoRun});
        dialogs->Reset();
        dialogs->defaultMessageAnswer = mrNo;
        TfrmPemarisMain* again = Start();
        if (afterStart) {
            ASSERT_TRUE(again->Running);
            afterStart();
        }
        ASSERT_TRUE(Until([&] { return !again->isVisible(); })) << ::testing::PrintToString(BarTexts());
        EXPECT_EQ(again->ExitStatus, 1);
        EXPECT_EQ(again->RunState, TRunState::Idle);
        form.reset();
        ClearInstall();
        SetCommandLine({});
    }
}

TEST_F(RunFormTest, StartActionsCheckTheirInputsBeforeAnythingStarts) {
    const struct {
        const char* extras;
        const char* action;
        int modalAnswer;      // of the form "frmExtra", mrNone: not asked
        const char* message;  // the refusal on the bar, "" when the run starts
    } cases[] = {
        {"ExtraScreen=frmExtra", "ActRunAnal", mrCancel, "Action cancelled by the user!"},
        {"ExtraScreen=frmExtra", "ActRunAnal", mrOk, ""},
        {"ExtraScreen=frmNoSuchForm", "ActRunAnal", mrNone, ""},
        {"Scan=Y", "ActRunAnal", mrNone, "You have to prepare a word list first!"},
        // No form gives the test designer its parameters.
        {"TstDesignProg=COBAudit/COBAudit.exe", "ActRunTestDesigner", mrNone, "Action cancelled by the user!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + c.extras);
        Install(std::string("COB.Extras=(DirDepth=2,") + c.extras + ")\n");
        TForm extra("frmExtra");
        TfrmPemarisMain* f = Start();
        TypeJob(f);
        if (c.modalAnswer != mrNone) dialogs->AnswerModal(c.modalAnswer);
        ASSERT_TRUE(f->Act(c.action)->isEnabled());
        f->Act(c.action)->trigger();
        EXPECT_EQ(dialogs->calls.size(), c.modalAnswer != mrNone ? 1u : 0u);
        if (*c.message) {
            EXPECT_TRUE(recorder.Has(TStatusRecord::Error, c.message)) << ::testing::PrintToString(BarTexts());
            EXPECT_FALSE(f->Running);
            EXPECT_FALSE(fs::exists(Out() + "/Metrics"));
        } else {
            EXPECT_TRUE(f->Running);
            ASSERT_TRUE(UntilFinished(f));
            EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Invoice/a.met"));
        }
        form.reset();
        ClearInstall();
    }
}

TEST_F(RunFormTest, AScannerRunConvertsItsReportAndItsWarningOutlastsTheOutcome) {
    TfrmPemarisMain* f = StartScannerJob();
    ASSERT_EQ(f->Product.Kind, 8);
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->Running) << ::testing::PrintToString(BarTexts());
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_FALSE(fs::exists(Out() + "/Sales.xml")); // moved into the report folder
    ASSERT_FALSE(recorder.records.empty());
    const TStatusRecord& last = recorder.records.back();
    EXPECT_EQ(last.kind, TStatusRecord::Warning);
    EXPECT_EQ(last.text.rfind("Analysis completed, processing finished - ", 0), 0u) << last.text;
    EXPECT_NE(last.text.find("Report text file " + Out() + "/Sales.txt doesn't exist"), std::string::npos) << last.text;
}

// The documents a scanner run's conversion writes are files of the output
// directory's own: links put in their places (in Original, Exports and
// Components) are replaced by the documents, and the files they pointed to,
// outside the output directory, stay as they were.
TEST_F(RunFormTest, AScannerRunsConversionReplacesLinksInItsDocumentsPlaces) {
    TfrmPemarisMain* f = StartScannerJob();
    const std::string folder = Out() + "/ErrorReports/Prod/V1.0/";
    const char* const documents[] = {"Original/Sales.xml", "Exports/Sales.xml", "Components/Sales_Billing.xml"};
    const std::string outside = install / "elsewhere/";
    for (const char* d : documents) {
        pemtest::WriteFile(outside + d, "the user's own file\n");
        fs::create_directories(fs::path(folder + d).parent_path());
        fs::create_symlink(outside + d, folder + d);
    }
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->Running) << ::testing::PrintToString(BarTexts());
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_TRUE(dialogs->Messages().empty()) << dialogs->Messages().front();
    for (const char* d : documents) {
        EXPECT_EQ(pemtest::ReadFile(outside + d), "the user's own file\n") << d;
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(folder + d))) << d;
        EXPECT_NE(pemtest::ReadFile(folder + d).find("<METRIC_FILE"), std::string::npos) << d;
    }
    auto component = TMyXMLNodeList::CreateFromFile(folder + "Components/Sales_Billing.xml");
    component->First();
    EXPECT_EQ(component->NodeByTag("METRIC_FILE")->GetAttribute("Component"), "Billing");
}

TEST_F(RunFormTest, AWordScannerRunTakesOverTheScannersWordList) {
    Install("COB.Extras=(DirDepth=2,Scan=Y,ScanProg=COBScan)\n");
    // A scanner that leaves one noun in the word list.
    const std::string scanner = install / "Tools/Measure/Korvex/COBAudit/COBScan.exe";
    pemtest::WriteFile(scanner, "#!/bin/sh\nprintf '0001 07 NOUN INVOICE\\r\\n' > functab.wrl\n");
    fs::permissions(scanner, fs::perms::owner_all);
    TfrmPemarisMain* f = Start();
    TypeJob(f);
    f->CheckListBoxObjects->addItem("OLDWORD");
    ASSERT_TRUE(f->ActRunWordScanner->isEnabled());
    f->ActRunWordScanner->trigger();
    ASSERT_TRUE(f->Running) << ::testing::PrintToString(BarTexts());
    ASSERT_TRUE(UntilFinished(f));
    ASSERT_EQ(f->CheckListBoxObjects->Count(), 1);
    EXPECT_EQ(f->CheckListBoxObjects->item(0)->text().toStdString(), "INVOICE");
    EXPECT_EQ(f->RunMode, rmWordScanner);
}

// How a tool ends decides the outcome and "-AutoRun"'s exit status; the
// ended tool is reaped at once, never left a zombie until the next run, and
// the private temporary folder is left empty.
TEST_F(RunFormTest, AToolsEndIsTheRunsOutcomeAndAutoRunsExitStatus) {
    using Env = std::vector<std::pair<const char*, const char*>>;
    const char* const piped = "Runcontrol.SystemCaptureConsole=Y\n";
    const struct {
        const char* what;
        const char* settings;
        Env env;
        bool cancel; // cancelled, the wait given up before the tool stops
        TStatusRecord::Kind kind;
        std::string outcome;
        const char* warning; // the last message, "" when the outcome is last
        int status;
        const char* tool = nullptr; // the tool's file, when not the fake tool
    } cases[] = {
        {"completed", "", {}, false, TStatusRecord::Warning, "Analysis completed, processing finished", "", 0},
        {"crash", "", {{"FAKE_TOOL_CRASH", "1"}}, false, TStatusRecord::Error,
         "Process ended by signal 11, analysis incomplete!", "", 1},
        {"crash, piped", piped, {{"FAKE_TOOL_CRASH", "1"}}, false, TStatusRecord::Error,
         "Process ended by signal 11, analysis incomplete!", "", 1},
        {"exit 7", "", {{"FAKE_TOOL_EXIT", "7"}}, false, TStatusRecord::Warning,
         "Analysis completed, processing finished", "The tool ended with exit code 7", 1},
        {"exit 7, piped", piped, {{"FAKE_TOOL_EXIT", "7"}}, false, TStatusRecord::Warning,
         "Analysis completed, processing finished", "The tool ended with exit code 7", 1},
        {"stop honoured late, piped", piped, {{"FAKE_TOOL_WAIT_STOP_MS", "20000"}, {"FAKE_TOOL_STOP_LATE_MS", "600"}},
         true, TStatusRecord::Error, "Process cancelled, analysis incomplete!", "", 1},
        {"16 MB line, piped", piped, {{"FAKE_TOOL_LONG_LINE_MB", "16"}}, false, TStatusRecord::Warning,
         "Analysis completed, processing finished", "", 0},
        // The console stub ends as its tool ended: a tool's own exit code is
        // never read as a signal or as a failed start.
        {"exit 0, piped", piped, {}, false, TStatusRecord::Warning, "Analysis completed, processing finished", "", 0},
        {"exit 127, piped", piped, {{"FAKE_TOOL_EXIT", "127"}}, false, TStatusRecord::Warning,
         "Analysis completed, processing finished", "The tool ended with exit code 127", 1},
        {"exit 130, piped", piped, {{"FAKE_TOOL_EXIT", "130"}}, false, TStatusRecord::Warning,
         "Analysis completed, processing finished", "The tool ended with exit code 130", 1},
        {"exit 192, piped", piped, {{"FAKE_TOOL_EXIT", "192"}}, false, TStatusRecord::Warning,
         "Analysis completed, processing finished", "The tool ended with exit code 192", 1},
        {"SIGTERM, piped", piped, {{"FAKE_TOOL_SIGNAL", "15"}}, false, TStatusRecord::Error,
         "Process ended by signal 15, analysis incomplete!", "", 1},
        {"a tool that cannot start, piped", piped, {}, false, TStatusRecord::Error,
         "Failed to start batch processing task " + Tool() +
             " (System Error : 2 - No such file or directory), analysis incomplete!",
         "", 1, "#!/no/such/interpreter\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetCommandLine({"-ShowAdvanced"});
        TfrmPemarisMain* f = StartJob(c.settings);
        f->ActShowAdvanced->trigger();
        // A job file whose name is not the job's own: the run's save still
        // goes into it, without asking.
        const std::string saved = SaveJob(f);
        const std::string job = install / ("jobs/Renamed" + f->Product.JobExtension);
        fs::rename(saved, job);
        form.reset();
        std::vector<std::unique_ptr<pemtest::ScopedEnv>> env;
        for (const auto& [name, value] : c.env) env.push_back(std::make_unique<pemtest::ScopedEnv>(name, value));
        TfrmPemarisMain::StopWaitMs = c.cancel ? 100 : 10000;
        if (c.tool) pemtest::WriteFile(Tool(), c.tool);
        SetCommandLine({"-Proj", job, "-AutoRun=Anal"});
        dialogs->Reset();
        recorder.records.clear();
        TfrmPemarisMain* again = Start();
        ASSERT_TRUE(again->ToolRun);
        const pid_t pid = again->ToolRun->Child().Pid();
        if (c.cancel) {
            dialogs->AnswerMessage(mrYes); // cancel
            dialogs->AnswerMessage(mrNo);  // stop waiting
            again->Act("ActCancelRun")->trigger();
        }
        ASSERT_TRUE(Until([&] { return !again->isVisible(); })) << ::testing::PrintToString(BarTexts());
        EXPECT_EQ(dialogs->Messages().size(), c.cancel ? 2u : 0u) << ::testing::PrintToString(dialogs->Messages());
        EXPECT_TRUE(recorder.Has(c.kind, c.outcome)) << ::testing::PrintToString(BarTexts());
        if (*c.warning) {
            const int at = IndexOf(c.warning);
            EXPECT_GT(at, IndexOf(c.outcome)) << ::testing::PrintToString(BarTexts());
        } else {
            EXPECT_FALSE(recorder.HasText("Analysis completed, processing finished") && c.status != 0);
        }
        EXPECT_EQ(again->ExitStatus, c.status);
        EXPECT_NE(pemtest::ReadFile(job).find("BatchRunning=N"), std::string::npos);
        // Reaped: not even a zombie answers.
        errno = 0;
        EXPECT_EQ(::kill(pid, 0), -1);
        EXPECT_EQ(errno, ESRCH);
        EXPECT_TRUE(fs::is_empty(PrivateTempDir()));
        form.reset();
        ClearInstall();
        SetCommandLine({});
    }
}

// A cancel whose stop outlasts the wait: the user stops waiting, the tool
// honours the stop a moment later; the run is cancelled, not completed.
TEST_F(RunFormTest, AStopHonouredAfterTheWaitEndsAsCancelled) {
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "20000");
    pemtest::ScopedEnv late("FAKE_TOOL_STOP_LATE_MS", "600");
    TfrmPemarisMain::StopWaitMs = 100;
    TfrmPemarisMain* f = StartJob();
    f->Act("ActRunAnal")->trigger();
    ASSERT_TRUE(f->Running);
    dialogs->AnswerMessage(mrYes); // cancel
    dialogs->AnswerMessage(mrNo);  // stop waiting
    f->Act("ActCancelRun")->trigger();
    EXPECT_TRUE(f->Act("ActCancelRun")->Enabled());
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Process cancelled, analysis incomplete!"))
        << ::testing::PrintToString(BarTexts());
    EXPECT_FALSE(recorder.HasText("Analysis completed, processing finished"));
}

// From the start action to the end of the finishing, the run is in
// progress on every road: a second click while the run is prepared, and a
// job dropped on the window while the tool runs, are refused.
TEST_F(RunFormTest, OneRunAtATimeOnEveryRoad) {
    const std::string argLog = install / "args.log";
    pemtest::ScopedEnv log("FAKE_TOOL_ARGLOG", argLog);
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "1500");
    TfrmPemarisMain* f = StartJob();
    const std::string job = SaveJob(f);
    recorder.records.clear();
    // The second click arrives while the preparation serves events.
    bool clickedDuringPreparation = false;
    QTimer::singleShot(0, f, [&] {
        clickedDuringPreparation = f->RunInProgress && !f->Running;
        ASSERT_TRUE(f->BitBtnRunAnal->isEnabled());
        f->BitBtnRunAnal->click();
    });
    f->BitBtnRunAnal->click();
    ASSERT_TRUE(f->Running) << ::testing::PrintToString(BarTexts());
    EXPECT_TRUE(clickedDuringPreparation);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, kGateRefusedMessage)) << ::testing::PrintToString(BarTexts());
    // A job dropped on the window outside the names box.
    recorder.records.clear();
    const std::string system = f->SystemName;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(job))});
    pemtest::Player{f->PanelBitButtons}.Play(&mime);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, kGateRefusedMessage)) << ::testing::PrintToString(BarTexts());
    EXPECT_EQ(f->SystemName, system);
    // A program dropped on the analysis program's pick frame.
    recorder.records.clear();
    TFrameFindexec* frame = f->FrameFindexecPemaris;
    const std::string program = frame->FileName();
    const std::string other = install / "Other.exe";
    pemtest::WriteFile(other, "x");
    QMimeData exe;
    exe.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
    EXPECT_EQ(pemtest::Player{frame->Edit}.Play(&exe), Qt::IgnoreAction);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, kGateRefusedMessage)) << ::testing::PrintToString(BarTexts());
    EXPECT_EQ(frame->FileName(), program);
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_TRUE(recorder.HasText("Analysis completed, processing finished"));
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Invoice/a.met"));
    // Once the run is over the frame takes the same drop.
    EXPECT_NE(pemtest::Player{frame->Edit}.Play(&exe), Qt::IgnoreAction);
    EXPECT_EQ(frame->FileName(), other);
    // One tool started.
    const std::string args = pemtest::ReadFile(argLog);
    size_t starts = 0;
    for (size_t at = args.find("--\n"); at != std::string::npos; at = args.find("--\n", at + 1)) ++starts;
    EXPECT_EQ(starts, 1u) << args;
}

// While a run is in progress the user's roads into the source list's ticks
// and the output directory's field change nothing; afterwards the field is
// the user's again.
TEST_F(RunFormTest, TicksAndOutputDirectoryStayDuringARun) {
    pemtest::ScopedEnv wait("FAKE_TOOL_WAIT_STOP_MS", "1500");
    TfrmPemarisMain* f = StartJob();
    TEdit* out = f->FrameFindDirectoryOutputDir->Edit;
    const std::string dir = out->Text();
    TSourceFileListBox* list = f->CheckListBoxSelectedFiles;
    list->SetItemIndex(0);
    recorder.records.clear();
    f->BitBtnRunAnal->click();
    ASSERT_TRUE(f->Running) << ::testing::PrintToString(BarTexts());
    const int ticked = f->SourceFiles.CheckedCount();
    const bool first = f->SourceFiles.Checked(0);

    QKeyEvent typed(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(out, &typed);
    QMimeData names;
    names.setData(kJobNamesMimeType, QByteArray());
    pemtest::Drop(out, &names);
    EXPECT_EQ(out->Text(), dir);

    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(list, &space);
    const QRect item = list->visualRect(list->model()->index(0, 0));
    const QPointF text(item.right() - 5, item.center().y());
    QMouseEvent dbl(QEvent::MouseButtonDblClick, text, list->viewport()->mapToGlobal(text), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &dbl);
    EXPECT_EQ(f->SourceFiles.Checked(0), first);
    EXPECT_EQ(f->SourceFiles.CheckedCount(), ticked);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, kGateRefusedMessage)) << ::testing::PrintToString(BarTexts());

    ASSERT_TRUE(UntilFinished(f));
    EXPECT_FALSE(out->ReadOnly());
    QApplication::sendEvent(list, &space);
    EXPECT_NE(f->SourceFiles.Checked(0), first);
}

// A tool root given relative to the folder the program was started in
// still finds the tools when they run in the output directory, and stays
// that folder's after the working folder changed.
TEST_F(RunFormTest, ARelativeToolRootIsResolvedAtStartUp) {
    const std::string job = SaveJob(StartJob());
    form.reset();
    const fs::path was = fs::current_path();
    fs::current_path(install.Path());
    SetCommandLine({"-Root", "Tools", "-Proj", job, "-AutoRun=Anal"});
    TfrmPemarisMain* f = Start();
    fs::current_path(was);
    ASSERT_TRUE(Until([&] { return !f->isVisible(); })) << ::testing::PrintToString(BarTexts());
    EXPECT_EQ(f->ExitStatus, 0) << ::testing::PrintToString(BarTexts());
    EXPECT_TRUE(recorder.HasText("Analysis completed, processing finished")) << ::testing::PrintToString(BarTexts());
    EXPECT_TRUE(fs::exists(Out() + "/Metrics/Billing/Invoice/a.met"));
}

// The tables the run copies into the output directory and the word list it
// writes there are the output directory's own files: links planted at their
// names are replaced by plain files on the run's road, and the files they
// pointed at stay as they were.
TEST_F(RunFormTest, LinksAtTheRunsTablesAreReplacedNotFollowed) {
    const struct {
        const char* what;
        const char* extras;
        std::vector<std::pair<std::string, std::string>> written; // name, text the run writes
    } cases[] = {
        {"repository and function tables", "COB.Extras=(DirDepth=2,REPO_Tab=Y)\n",
         {{"Repo_Tab.csv", "a;b\n"}, {"Functab.COB", "0001 07 PROC PERFORM\r\n"}}},
        {"the word scanner's word list", "COB.Extras=(DirDepth=2,Scan=Y)\n",
         {{"functab.wrl", "0001 07 PROC PERFORM\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Install(std::string(c.extras) + "Runcontrol.DeleteAfter=N\n");
        pemtest::WriteFile(install / "Tools/Measure/Korvex/COBAudit/Functab.COB", "0001 07 PROC PERFORM\r\n");
        pemtest::WriteFile(install / "tables/repo.csv", "a;b\n");
        TfrmPemarisMain* f = Start();
        TypeJob(f);
        if (f->CheckBoxRepo_Tab->Visible()) {
            f->CheckBoxRepo_Tab->click();
            f->FrameFindexecRepo_Tab->Edit->SetText(install / "tables/repo.csv");
        }
        for (const auto& [name, text] : c.written) {
            pemtest::WriteFile(install / ("elsewhere/" + name), "the user's own " + name + "\n");
            fs::create_symlink(install / ("elsewhere/" + name), Out() + "/" + name);
        }
        f->Act("ActRunAnal")->trigger();
        ASSERT_TRUE(f->Running) << ::testing::PrintToString(BarTexts());
        ASSERT_TRUE(UntilFinished(f));
        for (const auto& [name, text] : c.written) {
            EXPECT_EQ(pemtest::ReadFile(install / ("elsewhere/" + name)), "the user's own " + name + "\n");
            EXPECT_FALSE(fs::is_symlink(Out() + "/" + name)) << name;
            EXPECT_EQ(pemtest::ReadFile(Out() + "/" + name), text) << name;
        }
        form.reset();
        ClearInstall();
        dialogs->Reset();
    }
}

// A repository table that cannot be copied ends the run with its file error
// before the tool starts, and the copy an earlier run left stays whole: a
// full disk cuts no old copy, and a FIFO named as the table is refused
// without waiting for a writer.
TEST_F(RunFormTest, ARepositoryTableThatCannotBeCopiedEndsTheRunAndKeepsTheOldCopy) {
    const std::string table(200000, 't');
    const struct {
        const char* what;
        std::string source;
        bool fullDisk;
        std::string message;
    } cases[] = {
        {"a full disk", "tables/repo.csv", true, "Can not write file " + Out() + "/Repo_Tab.csv"},
        {"a FIFO", "tables/pipe.csv", false,
         "Can not open file " + install / "tables/pipe.csv" + ": not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Install("COB.Extras=(DirDepth=2,REPO_Tab=Y)\n");
        pemtest::WriteFile(install / "tables/repo.csv", table);
        pemtest::FifoPlant fifo(install / "tables/pipe.csv");
        ASSERT_TRUE(fifo.Made());
        TfrmPemarisMain* f = Start();
        TypeJob(f);
        f->CheckBoxRepo_Tab->click();
        f->FrameFindexecRepo_Tab->Edit->SetText(install / c.source);
        pemtest::WriteFile(Out() + "/Repo_Tab.csv", "the last run's table\n");
        {
            std::optional<pemtest::FileSizeLimit> disk;
            if (c.fullDisk) disk.emplace(64 * 1024);
            f->Act("ActRunAnal")->trigger();
        }
        EXPECT_FALSE(fifo.Done()) << "the run waited on the FIFO";
        EXPECT_FALSE(f->Running);
        EXPECT_TRUE(recorder.Has(TStatusRecord::Error, c.message)) << ::testing::PrintToString(BarTexts());
        EXPECT_EQ(pemtest::ReadFile(Out() + "/Repo_Tab.csv"), "the last run's table\n");
        EXPECT_FALSE(fs::exists(Out() + "/Metrics/Billing/Invoice/a.met"));
        form.reset();
        ClearInstall();
        dialogs->Reset();
        recorder.records.clear();
    }
}

// A product that tests cases gets a dummy test case in the input tree when
// it has none; it is the output directory's own file: a link planted in its
// place is replaced, and the file it pointed at stays as it was.
TEST_F(RunFormTest, TheDummyTestCaseReplacesALinkInItsPlace) {
    CopyTree(FIXTURES_DIR "/startup");
    outName = "out/JAV";
    fs::copy_file(kFakeTool, install / "Tools/Test/Ravenel/JAVAnal/JAVAnal.exe");
    fs::copy_file(std::string(PROGRAM_DIR) + "/console_stub", install / "Tools/console_stub");
    pemtest::WriteFile(install / "_Oskaro.Src/Ravenel_Korvex.INI",
                       "RadioButtonJava=Java,JAV,,1,V1\nJAV.Extras=(DirDepth=2)\n"
                       "JAV.Filters=Java sources (*.java)|*.java\nRuncontrol.DeleteAfter=N\n"
                       "ActiveRadioButton=RadioButtonJava\n");
    for (const char* s : {"Billing/Invoice/A.java", "Billing/Payment/B.java"})
        pemtest::WriteFile(install / ("src/" + std::string(s)), "class A {}\n");
    TfrmPemarisMain* f = Start("Ravenel_Korvex");
    ASSERT_EQ(f->Product.Kind, 1);
    f->EditProductName->SetText("Prod");
    f->EditProductNameExit(f->EditProductName);
    f->EditSystemName->SetText("Sys");
    f->EditSystemNameExit(f->EditSystemName);
    f->EditSystemVersion->SetText("1.0");
    f->EditSystemVersionExit(f->EditSystemVersion);
    f->FrameFindDirectoryOutputDir->Edit->SetText(Out());
    f->AddDirectoryFiles(install / "src", true);
    ASSERT_EQ(f->SourceFiles.CheckedCount(), 2);
    fs::create_directories(Out() + "/Metrics"); // used before: no question
    pemtest::WriteFile(install / "elsewhere/cases.csv", "the user's own cases\n");
    fs::create_directories(Out() + "/workinp");
    fs::create_symlink(install / "elsewhere/cases.csv", Out() + "/workinp/Sys.csv");
    recorder.records.clear();
    dialogs->Reset();
    f->Act("ActRunAnal")->trigger();
    EXPECT_TRUE(recorder.Has(TStatusRecord::Warning, "Testcase file missing, dummy file inserted"))
        << ::testing::PrintToString(BarTexts());
    ASSERT_TRUE(UntilFinished(f));
    EXPECT_EQ(pemtest::ReadFile(install / "elsewhere/cases.csv"), "the user's own cases\n");
    EXPECT_FALSE(fs::is_symlink(Out() + "/workinp/Sys.csv"));
    EXPECT_EQ(pemtest::ReadFile(Out() + "/workinp/Sys.csv").rfind("\"TestCaseId\";", 0), 0u);
}
