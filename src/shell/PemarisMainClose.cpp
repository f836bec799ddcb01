// The main window's gate before every action, the modified flag with its
// save question, and the order of checks that decides whether the window
// may close.
#include "ActionGate.h"
#include "PemarisMain.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "RunActions.h"
#include "StringList.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace pem {

namespace {
const char* const kSaveQuestion = "The current project has been modified \r\nDo you want to save the changes?'";
const char* const kStopQuestion = "The User requested to stop the process, please confirm?";
const char* const kBackgroundQuestion =
    "You are running a batch process in the background. If you quit \r\nnow, you will loose the connection with "
    "it. If you open the same \r\nproject again later, it will try to synchrornize with the results. It is "
    "\r\nbetter not to exit this task.\r\n\r\nDo you still want to exit?";

void CreateEmptyFile(const std::string& fileName) {
    TStringList empty;
    empty.SaveToFile(Cp1252ToUtf8(fileName));
}
} // namespace

void TfrmPemarisMain::ActionListMainExecute(TAction* action, bool&) {
    OpenDialogWork->SetTag(0);
    switch (GateAction(action->Name(), action->Category(), Processing(), ListsInUse > 0)) {
    case TGateDecision::Refuse: MyStB->Error(kGateRefusedMessage); break;
    case TGateDecision::Hold: Abort(); break;
    case TGateDecision::CheckNames: CheckJobNamesAndOutputDir(); break;
    case TGateDecision::ClearStatus: MyStB->ClearMessage(); break;
    case TGateDecision::Run: break;
    }
}

void TfrmPemarisMain::CheckJobNamesAndOutputDir() {
    ValidateProductName(EditProductName->Text());
    ValidateSystemName(EditSystemName->Text());
    GetProjectName();
    if (OutputDirectory().empty()) {
        FocusOutputDirectory();
        MyStB->Error("You have to set the output directory(s) first!");
    }
}

void TfrmPemarisMain::SetModified(bool value) {
    // Leaving a changed job asks whether to save it; a job being read has
    // nothing of its own to save yet, so loading never asks.
    if (Modified && !value && !Loading) {
        const int answer = IsDerivedKind(Product.Kind)
                               ? mrYes
                               : Dialogs().MessageDlg(kSaveQuestion, TMsgDlgType::mtWarning, mbYesNoCancel);
        if (answer == mrYes) {
            ActSaveProject->SetEnabled(true);
            // A failed or cancelled save ends the calling operation, so the
            // job is never left unsaved after the user asked to keep it.
            ActSaveProject->ExecuteUnguarded();
        } else if (answer != mrNo) {
            MyStB->Error("Action cancelled");
        }
    }
    Modified = value;
    if (ActSaveProject) ActSaveProject->SetEnabled(value);
}

void TfrmPemarisMain::FormCloseQuery(TComponent*, bool& canClose) {
    canClose = false;
    // 1. A long loop runs, or a run is being prepared: ask to stop it; it
    // stops at its next check.
    if (LoopBusy() || (RunInProgress && !Running)) {
        if (Dialogs().MessageDlg(kStopQuestion, TMsgDlgType::mtConfirmation, mbYesNo) == mrYes) {
            FileLoopStop = true;
            InputLoopStop = true;
        }
        return;
    }
    // 2. Result tabs are in front: close the active one instead.
    if (PageControlMain->ActivePage() == TabSheetViewer && PageControlEditor->PageCount() > 0) {
        CloseActiveEditorTab();
        return;
    }
    // 3. No tool runs: leave the job and close.
    if (!Running) {
        if (IsMainKind(Product.Kind) || !ProductRecognised) {
            SetModified(false);
        } else if (!JobName.empty()) {
            // An automatic run saves into the file it was started with.
            const std::string fileName = !AutoRunSaveFile.empty()
                                             ? AutoRunSaveFile
                                             : IncludeTrailingSeparator(JobFolder, '/') + JobName + Product.JobExtension;
            std::error_code ec;
            if (!fs::exists(Cp1252ToUtf8(fileName), ec)) CreateEmptyFile(fileName);
            ActSaveProject->SetEnabled(true);
            // A failed save keeps the window open.
            ActSaveProject->ExecuteUnguarded();
        }
        canClose = true;
        return;
    }
    // 4. A tool runs in the background.
    if (Dialogs().MessageDlg(kBackgroundQuestion, TMsgDlgType::mtWarning, mbYesNo) == mrYes) {
        SetModified(true);
        const std::string outDir = OutputDirectory();
        if (!outDir.empty()) WriteStopRequest(outDir);
        WaitForWatcher();
        Act("ActCancelRun")->SetEnabled(false);
        MyStB->Error("Background process cancelled!");
    }
}

void TfrmPemarisMain::ActCloseAllExecute(TComponent*) {
    CloseAllEditorTabs();
    Close();
}

} // namespace pem
