// The output directory on the main window: checking the field when it is
// left, the language folder forced below it, creating it on request, the
// job's names dragged onto it, and "Reset output". The rules live in
// src/shell/run (OutputDirRules, ResetPlan); the handlers here connect them
// to the field, the dialogs and the status bar.
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "ControlEvents.h"
#include "FindDirectoryFrame.h"
#include "JobFile.h"
#include "OutputDirRules.h"
#include "ReportFolders.h"
#include "ResetPlan.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

namespace {

// The job name the folder rules look for: the job's own, else the one its
// names make (empty while they are missing).
std::string JobNameForFolders(const TfrmPemarisMain* f) {
    return f->JobName.empty() ? ComposeJobName(f->ProductName, f->SystemName, f->LanguageVersion) : f->JobName;
}

TOutputDirContext FolderContext(const TfrmPemarisMain* f) {
    TOutputDirContext ctx;
    ctx.jobName = JobNameForFolders(f);
    ctx.languageCode = f->LanguageCode;
    ctx.productKind = f->Product.Kind;
    for (const auto& it : f->InstalledLanguages) ctx.installedLanguages.push_back(it.s);
    return ctx;
}

// The field's text in its normal form, its modified state kept.
void NormaliseField(TEdit* edit) {
    const std::string normal = NormaliseOutputDir(edit->Text());
    if (normal == edit->Text()) return;
    const bool modified = edit->isModified();
    edit->SetText(normal);
    edit->setModified(modified);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return !a.empty() && !b.empty() && ::stat(Cp1252ToUtf8(a).c_str(), &sa) == 0 &&
           ::stat(Cp1252ToUtf8(b).c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

// ------------------------------------------------------------------ binding

void TfrmPemarisMain::BindOutputDirectoryHandlers() {
    TFrameFindDirectory* frame = FrameFindDirectoryOutputDir;
    frame->Edit->OnExit = [this](TComponent* s) { FrameFindDirectoryOutputDirEditExit(s); };
    frame->Edit->OnKeyPress = [this](TComponent* s, char& key) { FrameFindDirectoryOutputDirEditKeyPress(s, key); };
    frame->SpeedButton->OnClick = [this](TComponent* s) { FrameFindDirectoryOutputDirSpeedButtonClick(s); };
    auto* editEvents = new TControlEvents(frame->Edit, frame->Edit);
    editEvents->OnDragOver = [this](TComponent* s, const QMimeData* d, QObject*) { return FrameFindDirectoryOutputDirEditDragOver(s, d); };
    editEvents->OnDragDrop = [this](TComponent* s, const QMimeData* d, QObject*) { FrameFindDirectoryOutputDirEditDragDrop(s, d); };

    // The job's names dragged out of their box.
    GroupBoxNames->OnMouseDown = [this](TComponent* s) { GroupBoxNamesMouseDown(s); };
    GroupBoxNamesEvents = new TControlEvents(GroupBoxNames, GroupBoxNames);
    GroupBoxNamesEvents->DragThreshold = 3;
    GroupBoxNamesEvents->OnStartDrag = [this](TComponent*) {
        auto* mime = new QMimeData;
        mime->setData(kJobNamesMimeType, QByteArray());
        auto* drag = new QDrag(GroupBoxNames);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction);
    };

    Act("ActRestartProject")->OnExecute = [this](TComponent* s) { ActRestartProjectExecute(s); };
}

void TfrmPemarisMain::BindOutputDirectoryNotifications() {
    FrameFindDirectoryOutputDir->OnDirChanged = [this](TComponent* s) { OutputDirModifiedExit(s); };
    FrameFindDirectoryOutputDir->OnCheckDir = [this](TComponent*) { CheckOutputDirectory(); };
}

// ------------------------------------------------------------ the field

void TfrmPemarisMain::ValidateOutputDirectory() { FrameFindDirectoryOutputDirEditExit(this); }

void TfrmPemarisMain::FrameFindDirectoryOutputDirEditExit(TComponent* sender) {
    TEdit* edit = FrameFindDirectoryOutputDir->Edit;
    // The field is left when the focus moves on inside this window; a dialog
    // opening or another program taking the focus is no leaving.
    if (sender == edit && QApplication::activeWindow() != this) return;
    NamesDragGuard = true;
    MyStB->ClearMessage();
    const TOutputDirCheck check = CheckOutputDirText(edit->Text());
    if (check != TOutputDirCheck::Ok) {
        edit->selectAll();
        if (edit->isEnabled() && edit->isVisible()) edit->setFocus();
        MyStB->Error(OutputDirCheckMessage(check));
    }
    if (OutputDirCreateOnExit && edit->isModified()) ForceDirectories(edit->Text());
    OutputDirCreateOnExit = false;

    const std::string forced = ForcedLanguageFolder(edit->Text(), FolderContext(this));
    if (!forced.empty()) {
        ForceDirectories(forced);
        edit->SetText(ExcludeTrailingSeparator(forced, '/'));
        edit->setModified(true);
        if (PageControlMain->ActivePage() != TabSheetNames) PageControlMain->SetActivePage(TabSheetNames);
        edit->setFocus();
        MyStB->ShowWarning("Output directory forced to " + LanguageCode + " subdirectory!");
    }
    NormaliseField(edit);
    FrameFindDirectoryOutputDir->EditExit();
    OutputDirAccepted();
}

void TfrmPemarisMain::OutputDirAccepted() {
    const std::string out = FrameFindDirectoryOutputDir->Edit->Text();
    WorkFolder = WorkFolderOf(out);
    // An input tree of another output directory is no longer this job's.
    if (InputTreePath != IncludeTrailingSeparator(out, '/') + "workinp") InputTreePath.clear();
    SetModified(true);
}

void TfrmPemarisMain::CheckOutputDirectory() {
    const std::string dir = FrameFindDirectoryOutputDir->Edit->Text();
    // Only a folder named from the root: a relative one would land wherever
    // the program happens to run.
    if (CheckOutputDirText(dir) != TOutputDirCheck::Ok || DirectoryExists(dir)) return;
    if (Dialogs().MessageDlg("Directory " + dir + " doesn't exists, create it? ", TMsgDlgType::mtConfirmation,
                             mbOKCancel) != mrOk)
        return;
    if (!ForceDirectories(dir)) Dialogs().MessageDlg("Cannot create directory", TMsgDlgType::mtWarning, mbOK);
}

std::string TfrmPemarisMain::LanguageSubfolder(const std::string& outputDir) {
    if (ForcedLanguageFolder(outputDir, FolderContext(this)).empty()) return {};
    ForceDirectories(IncludeTrailingSeparator(outputDir, '/') + LanguageCode);
    return LanguageCode;
}

void TfrmPemarisMain::FrameFindDirectoryOutputDirSpeedButtonClick(TComponent*) {
    MyStB->ClearMessage();
    FrameFindDirectoryOutputDir->BrowseForDir();
    NormaliseField(FrameFindDirectoryOutputDir->Edit);
    OutputDirAccepted();
}

void TfrmPemarisMain::OutputDirModifiedExit(TComponent* sender) {
    FrameFindDirectoryOutputDir->Edit->setModified(true);
    FrameFindDirectoryOutputDirEditExit(sender);
}

void TfrmPemarisMain::FrameFindDirectoryOutputDirEditKeyPress(TComponent*, char& key) {
    const char typed = key;
    FrameFindDirectoryOutputDir->EditKeyPress(key);
    if (typed != '\r') OutputDirCreateOnExit = false;
}

// ------------------------------------------------------ the names dragged

void TfrmPemarisMain::GroupBoxNamesMouseDown(TComponent*) {
    if (NamesDragGuard || EditProductName->Text().empty() || EditSystemName->Text().empty())
        GroupBoxNamesEvents->CancelDrag();
    NamesDragGuard = false;
}

bool TfrmPemarisMain::FrameFindDirectoryOutputDirEditDragOver(TComponent*, const QMimeData* data) {
    return data && data->hasFormat(kJobNamesMimeType);
}

void TfrmPemarisMain::FrameFindDirectoryOutputDirEditDragDrop(TComponent*, const QMimeData*) {
    RefuseJobChangeWhileBusy();
    MyStB->ClearMessage();
    TEdit* edit = FrameFindDirectoryOutputDir->Edit;
    const auto changed = DropJobNameOnOutputDir(edit->Text(), LanguageCode, GetProjectName());
    if (!changed) return;
    edit->SetText(*changed);
    edit->setModified(true);
    edit->setFocus();
    OutputDirCreateOnExit = true;
}

// ------------------------------------------------------------------ reset

void TfrmPemarisMain::ActRestartProjectExecute(TComponent*) {
    // What the fields show now, checked as on leaving them: a directory
    // typed but not left yet is checked first.
    if (FrameFindDirectoryOutputDir->Edit->isModified()) ValidateOutputDirectory();
    CheckNamesForPaths();
    const std::string out = ExcludeTrailingSeparator(FrameFindDirectoryOutputDir->Edit->Text(), '/');
    if (InputTreePath.empty()) InputTreePath = IncludeTrailingSeparator(out, '/') + "workinp";
    TResetRequest r;
    r.outputDir = out;
    r.productName = ProductName;
    r.systemName = SystemName;
    r.jobName = JobNameForFolders(this);
    r.structureLevel = StructureLevel;
    r.inputTreePath = InputTreePath;
    r.commonRoot = CommonRoot;
    if (const char* home = std::getenv("HOME")) r.homeDir = home;
    r.sources.reserve(SourceFiles.Items().size());
    for (const TSourceFile& f : SourceFiles.Items()) r.sources.push_back(f.path);
    if (!JobName.empty()) {
        const std::string job = IncludeTrailingSeparator(JobFolder, '/') + JobName + Product.JobExtension;
        if (FileExists(job)) r.openJobFile = job;
    }
    if (Product.Kind == kProductKindDocumentScanners) {
        const std::string area = ReportAreaOf(DocumentKind);
        if (!area.empty())
            r.reportFolder = ReportFolder({out, ProductName, SystemName, SystemVersion, DocumentKind, Product.Kind}, area);
    }
    // A directory that must not be swept loses nothing, not even the files
    // handed over to the derived products.
    if (const std::string refusal = ResetRefusal(r); !refusal.empty()) MyStB->Error(refusal);

    // 1. What was handed over for the next start; the open job stays.
    auto dropHandedOverJob = [&] {
        if (!RememberedDerivedJob.empty() && !SameFile(RememberedDerivedJob, r.openJobFile))
            ::unlink(Cp1252ToUtf8(RememberedDerivedJob).c_str());
        RememberedDerivedJob.clear();
        WriteSetting(kKeyJobFile, "");
    };
    switch (Product.Kind) {
    case 1: case 2: dropHandedOverJob(); break;
    case 6:
        dropHandedOverJob();
        RememberedTestCaseList.clear();
        WriteSetting(kKeyTestCaseList, "");
        break;
    case 4:
        if (!LanguageVersion.empty()) {
            RememberedJobName = LanguageVersion;
            WriteSetting(kKeyJobName, RememberedJobName);
        }
        break;
    default: break;
    }
    // 3.
    struct Progress {
        TfrmPemarisMain* f;
        int steps = 0;
        void Show(int max) {
            f->ProgressBarSources->SetMin(0);
            f->ProgressBarSources->SetMax(max);
            f->ProgressBarSources->SetPosition(1);
            f->GroupBoxSlider->SetCaption("");
            f->GroupBoxSlider->SetVisible(true);
        }
        void Step() {
            f->ProgressBarSources->SetPosition(f->ProgressBarSources->Position() + 1);
            if (++steps % 512 == 0) Application().ProcessMessages();
        }
        ~Progress() { f->GroupBoxSlider->SetVisible(false); }
    } progress{this};
    progress.Show(11);
    // 4., 5.
    const TResetPlan plan = CollectReset(r, [&] { progress.Step(); });
    for (const std::string& folder : plan.leftAlone)
        MyStB->ShowWarning("Reset left " + folder + " alone: it is a link or lies outside the output directory");
    // 2., for kinds 0 and 3: the lists go with the files only once the
    // reset is confirmed (they are the engineer's choices, saved with the
    // job), and with the files even when nothing was left to delete.
    auto clearLists = [&] {
        if (Product.Kind != 0 && Product.Kind != 3) return;
        InputTreeEntries.Clear();
        MemoNewFileNames->Clear();
        MemoLongextension->Clear();
        CheckListBoxComponentNames->ClearItems();
        CheckListBoxModuleNames->ClearItems();
    };
    if (plan.files.empty()) {
        clearLists();
        return;
    }
    if (Dialogs().MessageDlg(ResetQuestion(plan), TMsgDlgType::mtWarning, mbYesNo) != mrYes) return;
    clearLists();
    // 6.
    progress.Show(static_cast<int>(plan.files.size()) + 3);
    ExecuteReset(plan, r, [&] { progress.Step(); });
}

} // namespace pem
