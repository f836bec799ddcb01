// Starting the package's tools from the main window: the start itself, the
// piped run's console, waiting for auxiliary programs, DOSBox and the DOS
// start, and giving results their names back after a run. The work is done
// by the run units (src/shell/run); here it meets the window's controls.
#include "PemarisMain.h"

#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "DOSStart.h"
#include "DialogService.h"
#include "EventPump.h"
#include "Exceptions.h"
#include "FindExecFrame.h"
#include "HandlerGuard.h"
#include "OnExit.h"
#include "QtText.h"
#include "RunActions.h"
#include "SharedRoutinesCommon.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <chrono>

namespace pem {

// The time one reading step of a piped run's console may take on the GUI
// thread; the memo's update comes on top.
int TfrmPemarisMain::ConsoleStepMs = 25;

namespace {

std::string Joined(const std::vector<std::string>& words) {
    std::string s;
    for (const auto& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// A progress bar's step: past its maximum it starts again at its minimum.
void Step(TProgressBar* bar, long by) {
    if (by <= 0) return;
    const long span = static_cast<long>(bar->Max()) - bar->Min() + 1;
    long pos = bar->Position() + by;
    if (span > 0 && pos > bar->Max()) pos = bar->Min() + (pos - bar->Min()) % span;
    bar->SetPosition(static_cast<int>(pos));
}

} // namespace

// ---------------------------------------------------------------- starting

void TfrmPemarisMain::ActDontRunExecute(TComponent*) {
    TAction* a = Act("ActDontRun");
    a->SetChecked(!a->Checked());
}

bool TfrmPemarisMain::StartTool(const std::string& executable, const std::vector<std::string>& params,
                                const std::string& workingDir) {
    TAction* dontRun = ActionListMain->FindAction("ActDontRun");
    if (dontRun && dontRun->Checked()) MyStB->Error("Batch run prohibited : " + executable + " " + Joined(params));

    TToolStartRequest r;
    r.program = executable;
    r.params = params;
    r.workingDir = workingDir;
    r.captureLog = IniSettings.CaptureLog;
    r.piped = SystemCaptureConsole;
    r.consoleStub = ConsoleStubPath;
    r.useDOSBox = DOSBoxActive;
    r.dosboxExe = DOSBoxPath;
    if (DOSBoxActive) {
        try {
            r.dosboxTemplate.LoadFromFile(Cp1252ToUtf8(DOSBoxTemplatePath));
        } catch (const EFileError&) {
            // A template gone since DOSBox was found: the configuration is
            // made of the run's own lines alone.
        }
    }
    RunWarnings.clear();
    // The old watcher first: its steps reach into the old run's process.
    ToolWatcher.reset();
    ToolRun.reset();
    if (r.piped) return StartWithPipes(r);

    int error = 0;
    std::string step;
    ToolRun = StartToolRun(r, error, step);
    if (!ToolRun) {
        LastSystemError = error;
        throw Exception(StartFailureMessage(error, executable, params, workingDir));
    }
    return true;
}

bool TfrmPemarisMain::StartWithPipes(const TToolStartRequest& request) {
    TToolStartRequest r = request;
    r.piped = true;
    int error = 0;
    std::string step;
    ToolRun = StartToolRun(r, error, step);
    if (!ToolRun) {
        LastSystemError = error;
        // Only the steps before the tool's start have a dialog of their own;
        // a failed start is reported by the caller with the error code.
        if (step != "CreateProcess") Dialogs().MessageDlg(step, TMsgDlgType::mtWarning, mbOK);
        return false;
    }
    ToolOutput = std::make_unique<TToolOutputReader>(Product.Kind);
    MemoCaptureConsole->setMaximumBlockCount(static_cast<int>(ToolOutput->TailLimit()));
    return true;
}

bool TfrmPemarisMain::RunAndWait(const std::string& program, const std::vector<std::string>& params,
                                 const std::string& workingDir) {
    int error = 0;
    const bool started = pem::RunAndWait(program, params, workingDir, &error);
    if (!started) LastSystemError = error;
    return started;
}

// ------------------------------------------------------------ piped output

namespace {

// Below this backlog the reader takes what the tool wrote since; above it
// the output waits in the tool's pipe, so the shell's memory stays bounded
// when a tool writes faster than the console is read.
constexpr std::size_t kTakeBelow = 1u << 20;

// Appending many lines to a full memo costs the memo far more than setting
// its text anew (it drops its first blocks one by one): above this many
// lines the kept blocks and the new lines are set together.
constexpr size_t kAppendAtMost = 1000;

// Takes what the tool's console holds. The pipes' buffer and the chunk
// swap their memory, so the chunk handed in is one the reader has done
// with, with room for a full buffer: the drain then never grows its buffer
// (a copy of many megabytes while it holds the lock a take waits for, which
// stalled the window for tens of milliseconds during a flood).
std::size_t TakeOutput(TToolProcess* pipes, TToolOutputReader& reader, std::string& chunk) {
    constexpr std::size_t kRoom = TToolProcess::kDefaultBufferLimit + (256u << 10);
    chunk = reader.TakeSpare();
    if (chunk.capacity() < kRoom) chunk.reserve(kRoom);
    return pipes->Take(chunk);
}

void FeedMemo(TMemo* memo, TToolOutputReader& reader) {
    bool replaced = false;
    const std::vector<std::string> lines = reader.TakeMemoLines(replaced);
    if (lines.empty() && !replaced) return;
    std::string text;
    for (const auto& l : lines) {
        if (!text.empty()) text += '\n';
        text += l;
    }
    const int limit = memo->maximumBlockCount();
    // The memo makes a block of every line and of every piece between lone
    // CRs; of more blocks than it keeps, only the last ones are given to it.
    if (limit > 0) {
        int blocks = 1;
        for (size_t at = text.size(); at-- > 0;) {
            if ((text[at] == '\n' || text[at] == '\r') && ++blocks > limit) {
                text.erase(0, at + 1);
                replaced = true;
                break;
            }
        }
    }
    if (!replaced && lines.size() > kAppendAtMost && limit > 0 && !memo->document()->isEmpty()) {
        const int blocks = memo->blockCount();
        const int keep = std::min(blocks, std::max(0, limit - static_cast<int>(lines.size())));
        QString kept;
        for (QTextBlock b = memo->document()->findBlockByNumber(blocks - keep); keep > 0 && b.isValid(); b = b.next())
            kept += b.text() + '\n';
        memo->setPlainText(kept + ToQ(text));
        memo->moveCursor(QTextCursor::End);
        return;
    }
    if (replaced) {
        memo->setPlainText(ToQ(text));
        memo->moveCursor(QTextCursor::End);
    } else {
        memo->appendPlainText(ToQ(text));
    }
}

} // namespace

TOutputStep TfrmPemarisMain::ReadToolOutputStep() {
    const auto deadline = TToolOutputReader::TClock::now() + std::chrono::milliseconds(ConsoleStepMs);
    const TOutputStep step = ToolOutput->Work(deadline);
    // A few lines go to the memo at once; a flood's tail, which the memo
    // takes as a whole new text, at most ten times a second.
    const auto now = TToolOutputReader::TClock::now();
    if (ToolOutput->MemoLinesWaiting() <= kAppendAtMost || now - MemoFedAt >= std::chrono::milliseconds(100)) {
        FeedMemo(MemoCaptureConsole, *ToolOutput);
        MemoFedAt = now;
    }
    return step;
}

void TfrmPemarisMain::ReadToolOutput() {
    if (!ToolRun || !ToolRun->Piped() || !ToolOutput) return;
    // The events a step serves may hold another step; the running one goes
    // on with the output.
    if (ReadingToolOutput) return;
    TToolProcess* pipes = ToolRun->Pipes();
    if (ToolOutput->PendingBytes() < kTakeBelow) {
        std::string chunk;
        if (TakeOutput(pipes, *ToolOutput, chunk) == 0 && ToolOutput->PendingBytes() == 0) {
            ToolOutput->Queue(std::move(chunk)); // keeps its memory for the next take
            // A tool waiting for a key gets Enter; one that never reads, or
            // has closed its input, costs nothing.
            // A closed or full input is no error; anything else is shown.
            if (pipes->WriteInput("\r\n") < 0) Dialogs().MessageDlg("WriteFile", TMsgDlgType::mtWarning, mbOK);
            return;
        }
        ToolOutput->Queue(std::move(chunk));
    }
    ReadingToolOutput = true;
    TOnExit done([this] { ReadingToolOutput = false; });
    const TOutputStep step = ReadToolOutputStep();
    if (step.counted > 0) {
        Step(ProgressBarModules, step.counted);
        const int pos = ProgressBarModules->Position();
        const int max = ProgressBarModules->Max();
        GroupBoxSlider->SetCaption("Started processing project " + JobName + " - Entity " + std::to_string(pos) +
                                   " of " + std::to_string(max) + " - " + step.lastCountedText);
        Application().Title = std::to_string(pos + 1) + " of " + std::to_string(max) + " - " + JobName;
    }
    Step(ProgressBarSources, step.lines);
    Application().ProcessMessages();
    // What waits is read in a later turn of the event loop, without waiting
    // for the watcher's next step; one such turn waits in the queue at most.
    if (ToolOutputPosted || !ToolOutput || (ToolOutput->PendingBytes() == 0 && pipes->Available() == 0)) return;
    ToolOutputPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            ToolOutputPosted = false;
            if (RunState == TRunState::Running || RunState == TRunState::CancelRequested)
                RunGuarded([this] { ReadToolOutput(); });
        },
        Qt::QueuedConnection);
}

void TfrmPemarisMain::FinishToolOutput() {
    if (!ToolRun || !ToolRun->Piped() || !ToolOutput) return;
    TToolProcess* pipes = ToolRun->Pipes();
    ReadingToolOutput = true;
    TOnExit done([this] { ReadingToolOutput = false; });
    // The tool has ended; what its console still holds is read to its end,
    // in steps that serve events between them. A console that some other
    // process keeps open is given two seconds without output.
    int idleMs = 0;
    for (;;) {
        if (ToolOutput->PendingBytes() < kTakeBelow) {
            std::string chunk;
            if (TakeOutput(pipes, *ToolOutput, chunk) > 0) idleMs = 0;
            ToolOutput->Queue(std::move(chunk));
        }
        if (ToolOutput->PendingBytes() == 0) {
            if (pipes->Drained() || idleMs >= 2000) break;
            if (!pipes->WaitForOutput(20)) idleMs += 20;
            continue;
        }
        ReadToolOutputStep();
        Application().ProcessMessages();
    }
    ToolOutput->Finish();
    FeedMemo(MemoCaptureConsole, *ToolOutput);
}

long TfrmPemarisMain::SaveConsoleLog() {
    if (!ToolOutput) return -1;
    const std::string path = IncludeTrailingSeparator(OutputDirectory(), '/') + "Console.log";
    if (ToolOutput->Capture().LineCount() == 0) {
        const long kept = ToolWrittenConsoleLogLines(Cp1252ToUtf8(path));
        if (kept >= 0) return kept;
    }
    // A large log is written in blocks; the window is served between them.
    TEventPump pump;
    if (!ToolOutput->Capture().SaveToFile(path, [&pump] { pump.Pump(); })) return -1;
    return ToolOutput->Capture().LineCount();
}

// --------------------------------------------------------------- renaming

void TfrmPemarisMain::BeginResultRenaming() {
    if (InputTreeEntries.Empty()) InputTreeEntries.SetLines(MemoNewFileNames->Lines());
    TAction* methodFile = ActionListMain->FindAction("ActSpecifyMethodFile");
    ResultRenamer = std::make_unique<TResultRenamer>(
        TRenameSettings{&InputTreeEntries, StructureLevel, Product.Kind, methodFile && methodFile->Visible()});
}

int TfrmPemarisMain::RenameResultFolder(const std::string& outputDir, const std::string& folderName) {
    if (!ResultRenamer) BeginResultRenaming();
    GroupBoxSlider->SetCaption("Rename " + folderName + " files");
    const int modules = ResultRenamer->RenamedModules;
    const int sources = ResultRenamer->RenamedSources;
    const size_t warnings = ResultRenamer->Warnings.size();
    TEventPump pump;
    const int renamed = ResultRenamer->RenameFolder(outputDir, folderName, [&] {
        ProgressBarSources->SetPosition(ProgressBarSources->Position() + 1);
        pump.Pump();
    });
    NumberOfRenamedModules += ResultRenamer->RenamedModules - modules;
    NumberOfRenamedSourceFiles += ResultRenamer->RenamedSources - sources;
    for (size_t i = warnings; i < ResultRenamer->Warnings.size(); ++i) {
        RunWarnings.push_back(ResultRenamer->Warnings[i]);
        MyStB->ShowWarning(ResultRenamer->Warnings[i]);
    }
    ProgressBarModules->SetPosition(ProgressBarModules->Position() + 1);
    Application().ProcessMessages();
    return renamed;
}

void TfrmPemarisMain::ShowRunOutcome(bool cancelled) {
    TRunOutcome o;
    o.text = cancelled ? "Process cancelled, analysis incomplete!" : "Analysis completed, processing finished";
    o.error = cancelled;
    ShowRunOutcome(o);
}

void TfrmPemarisMain::ShowRunOutcome(const TRunOutcome& outcome) {
    std::string text = outcome.text;
    if (!RunWarnings.empty()) {
        text += " - " + std::to_string(RunWarnings.size()) + (RunWarnings.size() == 1 ? " warning: " : " warnings: ");
        for (size_t i = 0; i < RunWarnings.size(); ++i) text += (i ? "; " : "") + RunWarnings[i];
    }
    if (outcome.error) MyStB->ShowError(text, true);
    else MyStB->ShowWarning(text);
    // Last, so that it stays on the bar.
    if (!outcome.warning.empty()) MyStB->ShowWarning(outcome.warning);
}

// ------------------------------------------------------------------ DOS

bool TfrmPemarisMain::LocateDOSBox(bool useDOSBox) {
    if (!useDOSBox) {
        DOSBoxActive = false;
        DOSBoxPath.clear();
        DOSBoxTemplatePath.clear();
        return false;
    }
    if (DOSBoxActive) return true;
    const std::string location = IniValue(IniLines(), "Runcontrol.DOSBoxLocation");
    std::string exe = FindDOSBoxExecutable(location);
    if (exe.empty() && location.empty()) {
        TOpenDialogRequest req;
        req.title = "Please locate DOSBox-0.74\\DOSBox.exe manually";
        req.fileName = "DOSBox.exe";
        req.initialDir = "/usr/bin/";
        std::vector<std::string> files;
        if (Dialogs().OpenFiles(req, files) && !files.empty()) {
            exe = files.front();
            TStringList lines = IniLines();
            const int at = lines.IndexOfName("Runcontrol.UseDOSBox");
            lines.Insert(at < 0 ? lines.Count() : at + 1, "Runcontrol.DOSBoxLocation=" + exe);
            SetIniLines(lines);
            WriteProductIniFile();
            ShowProductIniFile();
        } else {
            MyStB->ShowWarning("DOSBox-0.74\\DOSBox.exe file search cancelled");
        }
    }
    if (exe.empty() || !FileExists(exe)) return false;
    const std::string iniFolder = FolderOf(GetProductIniFileName());
    std::string templ = FindFileIgnoringCase(iniFolder + "/DOSBox.config");
    if (templ.empty()) {
        // DOSBox writes its own template once.
        RunAndWait(exe, DOSBoxWriteConfigArguments("DOSBox.config"), iniFolder);
        templ = FindFileIgnoringCase(iniFolder + "/DOSBox.config");
    }
    DOSBoxActive = !templ.empty();
    if (DOSBoxActive) {
        DOSBoxPath = exe;
        DOSBoxTemplatePath = templ;
    }
    return DOSBoxActive;
}

void TfrmPemarisMain::SetupDOSStart(bool createPif) {
    // No AUTOEXEC.NT and no .pif file is written or deleted: there is no DOS
    // subsystem to read them. The note says so and names the DOS programs,
    // which run only under DOSBox.
    PendingDOSNote.clear();
    if (!createPif) return;
    std::vector<std::string> dos;
    for (TFrameFindexec* frame : {FrameFindexecPemaris, FrameFindexecWordScanner}) {
        const std::string file = FindFileIgnoringCase(frame->FileName());
        if (IsDosExecutable(file)) dos.push_back(file);
    }
    PendingDOSNote = DOSStartNote(dos);
}

void TfrmPemarisMain::ShowDOSStartNote() {
    if (!PendingDOSNote.empty()) MyStB->ShowWarning(PendingDOSNote);
}

} // namespace pem
