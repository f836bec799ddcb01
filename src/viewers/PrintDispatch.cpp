#include "PrintDispatch.h"

#include "BaseFileUtils.h"
#include "Forms.h"
#include "ListingView.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"
#include "ReportPrinter.h"
#include "ResultTabRules.h"
#include "ViewerBaseFrame.h"

namespace pem {

TPrintPlan PrintPlanOf(TFrame* frame) {
    TPrintPlan plan;
    if (auto* p = dynamic_cast<IPrintableFrame*>(frame)) {
        plan.route = p->PrintRoute();
        if (plan.route == IPrintableFrame::TRoute::TextView) {
            plan.view = p->PrintView();
            plan.title = p->PrintTitle();
            if (!plan.view) plan.route = IPrintableFrame::TRoute::None;
        } else if (plan.route == IPrintableFrame::TRoute::HardCopy) {
            // The file shown now: a specification tab whose tree loaded a
            // source prints the source.
            plan.fileName = p->PrintFile();
            plan.title = ExtractFileName(plan.fileName);
        }
    } else if (auto* v = dynamic_cast<TFrameViewerBase*>(frame)) {
        plan.route = IPrintableFrame::TRoute::HardCopy;
        plan.fileName = v->FileName;
        plan.title = ExtractFileName(v->FileName);
    }
    return plan;
}

void TPrintDispatch::PrintCurrent(TFrame* frame, bool preview) {
    const TPrintPlan plan = PrintPlanOf(frame);
    switch (plan.route) {
    case IPrintableFrame::TRoute::None: break;
    case IPrintableFrame::TRoute::TextView: plan.view->Print(plan.title, ctx_.ProjectViewerFont()); break;
    case IPrintableFrame::TRoute::HardCopy: HardCopy(plan.fileName, plan.title, preview); break;
    }
}

void TPrintDispatch::PrintFile(TOpenDialog* dialog, bool preview) {
    const TResultDialogSetup setup =
        ResultDialogSetup(TViewerDialog::General, ctx_.ProjectLanguageCode(), ctx_.ProjectProductKind());
    TOpenDialogRequest req;
    req.title = "Print a file";
    req.filters = ParseDialogFilter(setup.filter);
    req.filterIndex = setup.filterIndex;
    req.initialDir = ctx_.OutputDirectory();
    req.mustExist = true;
    req.okCaption = "&Print file";
    req.cancelCaption = "&No, Dismiss";
    req.viewStyle = ctx_.ProjectFileViewStyle();
    dialog->SetTag(0);
    dialog->Options = req;
    dialog->FileName.clear();
    if (!dialog->Execute()) {
        if (TMyStatusBar* bar = ctx_.ProjectStatusBar()) bar->Error("Print cancelled");
        return;
    }
    HardCopy(dialog->FileName, ExtractFileName(dialog->FileName), preview);
}

void TPrintDispatch::HardCopy(const std::string& fileName, const std::string& title, bool preview) {
    THardCopyJob job;
    job.printerName = CurrentPrinterName();
    job.font = ctx_.ProjectViewerFont();
    job.title = title;
    job.fileName = fileName;
    job.preview = preview;
    hardCopy_.PrintHardCopy(job);
}

std::string PrintActionCaption(const std::string& caption, bool preview) {
    const std::string from = preview ? "Print " : "Preview ";
    const std::string to = preview ? "Preview " : "Print ";
    const size_t at = caption.find(from);
    if (at == std::string::npos) return caption;
    return caption.substr(0, at) + to + caption.substr(at + from.size());
}

void RelabelPrintActions(bool preview, const TAction* except) {
    ForEachFormAction([&](TAction* a) {
        if (a != except && a->Category() == "Print") a->SetCaption(PrintActionCaption(a->Caption(), preview));
    });
}

} // namespace pem
