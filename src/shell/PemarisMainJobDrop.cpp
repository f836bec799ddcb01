// A job file dropped on the main window of a main product: the drop target
// on the names box and the language tabs, the checks of the dropped file,
// and the opening, which runs after the drop has been answered.
#include "PemarisMain.h"

#include "ActionGate.h"
#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "DragDropFile.h"
#include "DropRouter.h"
#include "FindExecFrame.h"
#include "HandlerGuard.h"
#include "QtOleWindows.h"

#include <QMetaObject>
#include <filesystem>
#include <system_error>

namespace pem {

void TfrmPemarisMain::BindJobDropHandlers() {
    DropFileTargetOpenJob = std::make_shared<TDropFileTarget>();
    DropFileTargetOpenJob->Name = "DropFileTargetOpenJob";
    DropFileTargetOpenJob->DragTypes = TDragTypes{TDragType::dtCopy, TDragType::dtLink};
    DropFileTargetOpenJob->MultiTarget = true;
    DropFileTargetOpenJob->OptimizedMove = true;
    DropFileTargetOpenJob->OnDrop = [this](auto* s, auto k, auto p, auto& e) { DropFileTargetOpenJobDrop(s, k, p, e); };
    // A file dropped on a pick frame changes the job: refused during a run.
    for (QWidget* w : findChildren<QWidget*>()) {
        auto* frame = dynamic_cast<TFrameFindexec*>(w);
        if (!frame) continue;
        frame->Processing = [this] { return Processing(); };
        frame->ProcessingMessage = kGateRefusedMessage;
    }
}

void TfrmPemarisMain::RegisterJobDropTarget() {
    if (IsDerivedKind(Product.Kind)) return;
    for (QWidget* w : std::initializer_list<QWidget*>{GroupBoxNames, TabSheetLangSel_Pemaris, TabSheetLangSel_Velling,
                                                      TabSheetLangSel_Harnox})
        DropFileTargetOpenJob->RegisterTargetControl(WindowOf(w));
}

bool TfrmPemarisMain::IsDroppableJob(const std::string& fileName) const {
    if (ExtractFileExt(fileName) != Product.JobExtension) return false; // letter case included
    // A folder named like a job is no job.
    std::error_code ec;
    return !std::filesystem::is_directory(std::filesystem::path(Cp1252ToUtf8(fileName)), ec);
}

void TfrmPemarisMain::DropFileTargetOpenJobDrop(TCustomDropTarget*, TShiftState, POINT, DWORD& effect) {
    const DWORD taken = effect;
    effect = DROPEFFECT_NONE;
    TUnicodeStrings& files = DropFileTargetOpenJob->Files();
    if (files.Count() != 1) return;
    std::string fileName;
    if (!TDropRouter::CodePageFileName(files.Get(0), fileName) || !IsDroppableJob(fileName)) return;
    // A loop walking the job's lists is not to have the job cleared under
    // it; while a tool runs, opening is refused as every such action is.
    if (LoopBusy()) return;
    if (Processing()) MyStB->Error(kGateRefusedMessage);
    effect = taken;
    // The save question and the loading come once the drop is answered, so
    // the program the file came from never waits on them.
    QMetaObject::invokeMethod(
        this, [this, fileName] { RunGuarded([&] { OpenDroppedJob(fileName); }); }, Qt::QueuedConnection);
}

void TfrmPemarisMain::OpenDroppedJob(const std::string& fileName) {
    // The state may have changed since the drop (a loop serves queued calls).
    RefuseJobChangeWhileBusy();
    SetModified(false);
    ClearProject();
    PageControlMain->SetActivePage(TabSheetNames);
    LoadProject(fileName);
    NewJobFile = false;
    // A job saved while its tool ran reconnects, as one opened by the
    // dialog does; otherwise its running flag would stay set with no tool.
    CheckBackgroundBatch();
}

} // namespace pem
