// Tool runs from the main window: the start actions with their checks, the
// run itself (preparation, start, watcher), the finishing on the GUI thread
// once the tool has ended, cancelling through the stop file, and the
// automatic run of "-AutoRun". The decisions are the run units' (RunActions,
// ToolWatcher); here they meet the window's controls.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "CmdLine.h"
#include "DeleteTemporaryFiles.h"
#include "EventPump.h"
#include "Exceptions.h"
#include "FindExecFrame.h"
#include "HandlerGuard.h"
#include "JobSettings.h"
#include "ProcessFilesByMask.h"
#include "ReportFolders.h"
#include "RunActions.h"
#include "ScannerReportEntry.h"
#include "SharedRoutinesCommon.h"
#include "ActionGate.h"
#include "OnExit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <filesystem>

namespace pem {

int TfrmPemarisMain::WatcherSliceMs = 500;
int TfrmPemarisMain::StopWaitMs = 15000;

namespace {

const char* const kCancelQuestion = "Do you really want to cancel processing?";
const char* const kInstallationQuestion =
    "At least one of the required components for this \r\nlanguage was not found at startup. This may lead to "
    "processing \r\nerrors. You had better to revise your installation.\r\nShould I proceed ? ";
const char* const kStillRunningQuestion =
    "The background process has not ended yet.\r\nDo you want to go on waiting for it?";

std::string OutDir(TfrmPemarisMain& f) { return IncludeTrailingSeparator(f.OutputDirectory(), '/'); }

} // namespace

// ------------------------------------------------------------------ binding

void TfrmPemarisMain::BindRunActions() {
    ActRunAnal->OnExecute = [this](TComponent* s) { ActRunAnalExecute(s); };
    Act("ActRunTransform")->OnExecute = [this](TComponent* s) { ActRunTransformExecute(s); };
    ActRunWordScanner->OnExecute = [this](TComponent* s) { ActRunWordScannerExecute(s); };
    Act("ActRunTestDesigner")->OnExecute = [this](TComponent* s) { ActRunTestDesignerExecute(s); };
    for (const TTestToolAction& a : TestToolActions())
        Act(a.action)->OnExecute = [this](TComponent* s) { ActRunTestToolExecute(s); };
    Act("ActRunSearch")->OnExecute = [this](TComponent* s) { ActRunSearchExecute(s); };
    Act("ActCancelRun")->OnExecute = [this](TComponent* s) { ActCancelRunExecute(s); };
    // No run, nothing to cancel.
    Act("ActCancelRun")->SetEnabled(false);
}

// ------------------------------------------------------------ start actions

int TfrmPemarisMain::ShowParameterDialog(const std::string& formName, TControl* at) {
    if (formName.empty()) return kNoParameterDialog;
    TForm* form = Screen().FindForm(formName);
    if (!form) return kNoParameterDialog;
    if (at && at->Widget()) form->move(at->Widget()->mapToGlobal(QPoint(0, 0)));
    return form->ShowModal();
}

void TfrmPemarisMain::ActRunAnalExecute(TComponent*) {
    RunMode = rmAnalysis;
    const int answer = ShowParameterDialog(ExtraScreen, BitBtnRunAnal);
    if (answer != mrOk && answer != kNoParameterDialog) MyStB->Error("Action cancelled by the user!");
    if (TabSheetWordScan->TabVisible() && CheckListBoxObjects->Count() == 0 && CheckListBoxControlTags->Count() == 0)
        MyStB->Error("You have to prepare a word list first!");
    ActRunTool();
}

void TfrmPemarisMain::ActRunTransformExecute(TComponent*) {
    RunMode = rmTransform;
    ActRunTool();
}

void TfrmPemarisMain::ActRunWordScannerExecute(TComponent*) {
    RunMode = rmWordScanner;
    ActRunTool();
}

void TfrmPemarisMain::ActRunSearchExecute(TComponent*) {
    RunMode = rmSearch;
    ActRunTool();
}

void TfrmPemarisMain::ActRunTestDesignerExecute(TComponent*) {
    RunMode = rmTestDesigner;
    // The choice of the test-design parameters is a form of its own; where
    // none is built, the look-up answers 5 and the run does not start.
    if (ShowParameterDialog("frmGetTestDesignPar", BitBtnRunAnal) != mrOk)
        MyStB->Error("Action cancelled by the user!");
    CheckNamesForPaths();
    if (!FileExists(OutDir(*this) + "Specs/" + SystemName + ".use")) MyStB->Error("There is no usecase file!");
    ActRunTool();
}

void TfrmPemarisMain::ActRunTestToolExecute(TComponent* sender) {
    const TTestToolAction* tool = TestToolAction(sender ? sender->Name() : std::string());
    if (!tool) return;
    RunMode = rmTestTool;
    TestToolLogName = tool->log;
    TestToolProgram = GetRootFilePath(GetLanguageExtra(tool->section, "Procpgm"));
    const std::string missing = MissingTestToolInput(*tool, SourceFiles);
    if (!missing.empty()) MyStB->Error(missing);
    const int answer = ShowParameterDialog(GetLanguageExtra(tool->section, "ExtraScreen"), BitBtnRunAnal);
    if (answer != mrOk && answer != kNoParameterDialog) Abort();
    ActRunTool();
}

// ---------------------------------------------------------------- the run

void TfrmPemarisMain::ActRunTool() {
    // One run at a time: the preparation serves events, so a second start
    // may arrive on any road while the first is prepared or runs.
    if (Processing()) MyStB->Error(kGateRefusedMessage);
    SetRunInProgress(true);
    StopRequested = false;
    TOnExit notStarted([this] {
        if (RunState == TRunState::Idle) SetRunInProgress(false);
    });
    // 1.
    ValidateOutputDirectory();
    CheckNamesForPaths();
    ShowLastBatchStart(NowAsDateTime());
    PageControlMain->SetActivePage(TabSheetNames);
    MemoCaptureConsole->Clear();
    ActSwitchOffLogExecute(nullptr);
    // 2.
    if (RunMode == rmTransform) WriteJobrinParameters();
    else PrepareRun();
    // 3.
    Act("ActViewProductLog")->SetEnabled(false);
    Act("ActViewConsoleLog")->SetEnabled(false);
    NumberOfRenamedModules = 0;
    NumberOfRenamedSourceFiles = 0;
    ProgressBarModules->SetMin(0);
    ProgressBarModules->SetMax(NumberOfModules);
    ProgressBarModules->SetPosition(0);
    ProgressBarSources->SetMin(0);
    ProgressBarSources->SetMax(10 * NumberOfSourceFiles);
    ProgressBarSources->SetPosition(0);
    GroupBoxSlider->SetCaption(DirectProgressCaption(JobName, 0, NumberOfModules, 0, NumberOfSourceFiles));
    if (SystemCaptureConsole) {
        const int copied = CopiedSourceCount(InputTreeEntries);
        ProgressBarModules->SetMax(copied);
        GroupBoxSlider->SetCaption(PipedProgressCaption(JobName, ProgressBarModules->Position(), copied));
    }
    // 4.
    const std::string out = OutDir(*this);
    std::error_code ec;
    std::filesystem::remove(Cp1252ToUtf8(out + "Exports/" + SystemName + ".log"), ec);
    // 5.
    if (ActiveRadioButton && !ActiveRadioButton->Enabled() &&
        Dialogs().MessageDlg(kInstallationQuestion, TMsgDlgType::mtWarning, mbYesNo) != mrYes)
        MyStB->Error("Incorrect installation, processing stopped");
    // 6.
    const std::string programs[7] = {"",
                                     FrameFindexecPemaris->FileName(),
                                     FrameFindexecTransform->FileName(),
                                     FrameFindexecWordScanner->FileName(),
                                     FrameFindexecTestDesigner->FileName(),
                                     TestToolProgram,
                                     FrameFindexecSearch->FileName()};
    const bool batchRun = SameText(LanguageCode, "WAA") || SystemNameByDirectory;
    const TToolCommand command = ToolCommandFor(RunMode, batchRun, out, programs);
    LastToolProgram = command.program;
    SetRunning(StartTool(command.program, command.params, ExcludeTrailingSeparator(out, '/')));
    // 7.
    if (Running) {
        SetProgressBarsVisible(true);
        if (SystemCaptureConsole) MemoCaptureConsole->Clear();
    }
    // 8.
    if (!Running) MyStB->Error("Failed to start batch processing task " + SystemErrorText(LastSystemError));
    // 9. Enabled before any event runs, so that the end of a fast tool
    // never reads as a cancel.
    Act("ActCancelRun")->SetEnabled(true);
    RunState = TRunState::Running;
    std::function<bool(int)> backlog;
    if (ToolRun->Piped()) {
        TToolProcess* pipes = ToolRun->Pipes();
        backlog = [pipes](int ms) { return pipes->WaitForBacklog(ms) && !pipes->Drained(); };
    }
    ToolWatcher.reset();
    ToolWatcher = std::make_unique<TKorvexToolWatcherThread>(
        ToolRun->Child().PidFd(), ToolRun->Child().Pid(), WatcherSliceMs,
        [](std::function<void()> fn) { PostToGui(std::move(fn)); },
        TKorvexToolWatcherThread::TSteps{[this] { UpdateRunProgress(); }, [this] { FinishRun(); }},
        std::move(backlog));
}

void TfrmPemarisMain::SetRunning(bool value) {
    Running = value;
    SetModified(true);
}

void TfrmPemarisMain::UpdateRunProgress() {
    if (!ToolRun) return;
    if (ToolRun->Piped()) {
        ReadToolOutput();
    } else {
        ProgressBarModules->SetPosition(NumberOfRenamedModules);
        ProgressBarSources->SetPosition(ProgressBarSources->Position() + 2);
        GroupBoxSlider->SetCaption(DirectProgressCaption(JobName, NumberOfRenamedModules, NumberOfModules,
                                                         NumberOfRenamedSourceFiles, NumberOfSourceFiles));
    }
    if (ProgressBarSources->Position() >= ProgressBarSources->Max())
        ProgressBarSources->SetPosition(ProgressBarSources->Min());
}

// ---------------------------------------------------------------- finishing

void TfrmPemarisMain::FinishRun() {
    if (RunState == TRunState::Idle) return;
    RunState = TRunState::Finishing;
    const bool piped = ToolRun && ToolRun->Piped();
    TBusyCursor busy;
    // The steps that handle results may end by the silent abort (or fail);
    // the closing steps below run in any case, so the window never stays
    // busy, half in a run.
    bool broken = false;
    auto step = [&](const std::function<void()>& fn) {
        if (broken) return;
        try {
            fn();
        } catch (const EAbort&) {
            broken = true;
        } catch (const std::exception& e) {
            broken = true;
            ShowExceptionMessage(e.what());
        }
    };
    step([&] {
        // 1.
        if (piped) {
            FinishToolOutput();
            ToolRun->Pipes()->CloseInput();
        }
        // 2.
        SetRunning(false);
        // 3.
        switch (RunMode) {
        case rmTransform:
            ListCsxExports();
            ProcessFilesByMask(IncludeTrailingSeparator(WorkFolder, '/') + JobName, "", StructureLevel + 1, false,
                               "*.*");
            break;
        case rmTestDesigner:
            ProcessFilesByMask(WorkFolder, "", StructureLevel + 1, false, "*.*");
            DeleteTemporaryFiles();
            RemoveEmptyResultFolders();
            break;
        default:
            RenameResultFiles();
            DeleteTemporaryFiles();
            RemoveEmptyResultFolders();
            break;
        }
        Act("ActViewProductLog")->SetEnabled(true);
        Act("ActViewConsoleLog")->SetEnabled(true);
        Act("ActViewProductLog")->Execute();
    });
    if (broken) Running = false;
    // 4.
    SetProgressBarsVisible(false);
    // 5.
    step([&] {
        if (piped && MemoCaptureConsole->Visible()) {
            const long lines = SaveConsoleLog();
            if (lines < 0) {
                // Told, not passed in silence; the run's outcome stays the
                // tool's.
                const std::string text = "Can not write file " + OutDir(*this) + "Console.log";
                RunWarnings.push_back(text);
                MyStB->ShowWarning(text);
                return;
            }
            std::error_code ec;
            const auto bytes = std::filesystem::file_size(Cp1252ToUtf8(OutDir(*this) + "Console.log"), ec);
            if (!ec && ShowsConsoleLogAfterRun(lines, bytes)) Act("ActViewConsoleLog")->Execute();
        }
    });
    // 6.
    busy.Restore();
    // The tool is reaped here, its end kept: no zombie waits for the next run.
    TToolEnd end;
    end.stopRequested = StopRequested || !Act("ActCancelRun")->Enabled();
    end.piped = piped;
    if (ToolRun && ToolRun->WaitFor(1000)) {
        end.exitCode = ToolRun->ExitCode();
        end.signal = ToolRun->TermSignal();
        end.startError = ToolRun->StartError();
    }
    const TRunOutcome outcome = DecideRunOutcome(end, LastToolProgram);
    if (!broken) ShowRunOutcome(outcome);
    // 7.
    Act("ActCancelRun")->SetEnabled(false);
    if (ToolWatcher) ToolWatcher->Terminate();
    ShowLastBatchRuntime(NowAsDateTime());
    RunState = TRunState::Idle;
    SetRunInProgress(false);
    if (QuitRunWait) QuitRunWait();
    // 8. The job is saved and the program ends once this step is over. An
    // automatic run saves into the job file it was started with.
    if (AutoRun == 1 || AutoRun == 3) {
        const bool success = outcome.success && !broken;
        PostToGui([this, success] {
            const bool saved = RunGuarded([this] { ActSaveProject->ExecuteUnguarded(); });
            if (success && saved) ExitStatus = 0;
            Act("ActCloseAll")->Execute();
        });
    }
    // 9.
    if (!broken) Application().Title = "Completed - " + JobName;
}

void TfrmPemarisMain::RenameResultFiles() {
    const std::string out = OutDir(*this);
    // 1. The scanner's word list replaces the lists; without one the lists
    // stay as they are, never emptied for nothing.
    if (RunMode == rmWordScanner) {
        const std::string wordList = FindFileIgnoringCase(out + "functab.wrl");
        if (!wordList.empty()) {
            CheckListBoxObjects->ClearItems();
            CheckListBoxControlTags->ClearItems();
            LoadWordList(wordList);
        }
    }
    // 2. A failed conversion is reported and the finishing goes on.
    if (Product.Kind == 8)
        ConvertScannerReportAfterRun(ScannerReportSettings(), [this](const std::string& text) {
            RunWarnings.push_back(text);
            MyStB->ShowWarning(text);
        });
    // 3.
    ProgressBarModules->SetMin(0);
    ProgressBarModules->SetMax(8);
    ProgressBarModules->SetPosition(1);
    GroupBoxSlider->SetCaption("Rename result files");
    // 4.
    if (IniSettings.RenameAfter) {
        BeginResultRenaming();
        for (const std::string& folder : RenamedResultFolders()) RenameResultFolder(out, folder);
    }
}

void TfrmPemarisMain::RemoveEmptyResultFolders() { pem::RemoveEmptyResultFolders(OutputDirectory(), SystemName); }

void TfrmPemarisMain::DeleteTemporaryFiles() {
    if (!IniSettings.DeleteAfter) return;
    TBusyCursor busy;
    GroupBoxSlider->SetCaption("Delete temporary files");
    if (InputTreeEntries.Empty()) InputTreeEntries.SetLines(MemoNewFileNames->Lines());
    TTemporaryFilesSettings s;
    s.outputDir = OutputDirectory();
    s.workFolder = WorkFolder;
    s.entries = &InputTreeEntries;
    s.structureLevel = StructureLevel;
    s.productKind = Product.Kind;
    s.systemName = SystemName;
    s.deleteAfterControl = IniSettings.SystemDeleteAfterControl;
    // The preparation copies the function table only when no word list
    // stands in its place.
    if (!TabSheetWordScan->TabVisible() && TabSheetFunctab->TabVisible())
        s.functionTable = FrameFindexecFunctab->FileName();
    TEventPump pump;
    s.step = [&] {
        ProgressBarSources->SetPosition(ProgressBarSources->Position() + 1);
        pump.Pump();
    };
    const TDeleteTemporaryReport report = pem::DeleteTemporaryFiles(s);
    for (const std::string& w : report.warnings) {
        RunWarnings.push_back(w);
        MyStB->ShowWarning(w);
    }
}

int TfrmPemarisMain::FinishResultNames() {
    if (IniSettings.RenameAfter) {
        BeginResultRenaming();
        const std::string out = OutDir(*this);
        for (const std::string& folder : RenamedResultFolders()) RenameResultFolder(out, folder);
    }
    return NumberOfRenamedModules;
}

// --------------------------------------------------------------- cancelling

void TfrmPemarisMain::SetRunInProgress(bool on) {
    RunInProgress = on;
    SetOutputDirectoryReadOnly(on || IsDerivedKind(Product.Kind));
}

void TfrmPemarisMain::RefuseJobChangeWhileBusy() {
    if (LoopBusy()) Abort();
    if (Processing()) MyStB->Error(kGateRefusedMessage);
}

void TfrmPemarisMain::ActCancelRunExecute(TComponent*) {
    if (!Running || RunState != TRunState::Running) return;
    if (Dialogs().MessageDlg(kCancelQuestion, TMsgDlgType::mtWarning, mbYesNo) != mrYes) return;
    if (!WriteStopRequest(OutputDirectory())) MyStB->Error("Can not create file " + OutDir(*this) + "Semaphore.xml");
    StopRequested = true;
    Act("ActCancelRun")->SetEnabled(false);
    RunState = TRunState::CancelRequested;
    WaitForWatcher();
    MyStB->Error("Background process cancelled!");
}

void TfrmPemarisMain::WaitForWatcher() {
    if (RunState == TRunState::Idle) return;
    // The close request asks the tool to stop as a cancel does; the run is
    // then reported as cancelled, not as completed.
    Act("ActCancelRun")->SetEnabled(false);
    StopRequested = true;
    if (RunState == TRunState::Running) RunState = TRunState::CancelRequested;
    if (!WaitForRunEnd()) {
        MyStB->ShowWarning("The background process goes on running; cancel it again to wait for its end");
        Abort();
    }
}

bool TfrmPemarisMain::WaitForRunEnd() {
    for (;;) {
        if (RunState == TRunState::Idle) return true;
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QuitRunWait = [&loop] { loop.quit(); };
        timer.start(StopWaitMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QuitRunWait = nullptr;
        if (RunState == TRunState::Idle) return true;
        // A tool that ignores the stop file: the user may stop waiting. The
        // tool runs on untouched; the run stays open and may be cancelled
        // again.
        if (Dialogs().MessageDlg(kStillRunningQuestion, TMsgDlgType::mtWarning, mbYesNo) == mrYes) continue;
        if (RunState == TRunState::Idle) return true;
        RunState = TRunState::Running;
        Act("ActCancelRun")->SetEnabled(true);
        return false;
    }
}

// ----------------------------------------------------------------- auto-run

bool TfrmPemarisMain::AutoRunAsked() const {
    std::string value;
    return FindCmdLineValue("-AutoRun:-ar", value) || CmdLineSwitch("-AutoRun:-ar");
}

void TfrmPemarisMain::EndAutoRunStart() {
    ExitStatus = 1;
    // Closed without the gate, which would clear the bar's messages.
    PostToGui([this] {
        RunGuarded([this] { ActCloseAllExecute(nullptr); });
        if (isVisible()) QCoreApplication::exit(1);
    });
}

void TfrmPemarisMain::StartAutoRun() {
    AutoRunReached = true;
    std::string value;
    const bool asked = FindCmdLineValue("-AutoRun:-ar", value) || CmdLineSwitch("-AutoRun:-ar");
    if (!asked) return;
    // Only a completed run whose job was saved ends the program well.
    ExitStatus = 1;
    if (AutoRun == 1) ActRunAnal->Execute();
    else if (AutoRun == 3) ActRunWordScanner->Execute();
    if (RunState != TRunState::Idle) return;
    if (AutoRun == 0) MyStB->ShowError("No automatic run: " + (value.empty() ? std::string("-AutoRun") : value), true);
    EndAutoRunStart();
}

} // namespace pem
