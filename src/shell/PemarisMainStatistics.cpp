// The statistics and rankings of the document scanners on the main window:
// the two actions pick the report by the document kind; each Show routine
// collects the records of its report folder with the busy cursor on and
// previews them on its report form.
#include "PemarisMain.h"

#include "MindraStatistics.h"
#include "ReportForms.h"
#include "ReportPrinter.h"

namespace pem {

namespace {

// The report form made at start-up (made now where it is missing).
template <class Form>
Form& ReportFormNamed(const char* name) {
    if (auto* form = dynamic_cast<Form*>(Screen().FindForm(name))) return *form;
    return *Application().CreateForm<Form>();
}

std::string PrinterOf(TReportPrinterChoice choice, const TQRReportForm& form) {
    switch (choice) {
    case TReportPrinterChoice::ApplicationPrinter: return CurrentPrinterName();
    case TReportPrinterChoice::FormPrinter: break;
    case TReportPrinterChoice::HardCopyPrinter:
        if (auto* hardCopy = dynamic_cast<TQRfrm_HardCopy*>(Screen().FindForm("QRfrm_HardCopy")))
            return hardCopy->PrinterSettings.PrinterName;
        break;
    }
    return form.PrinterSettings.PrinterName;
}

template <class Form, class R>
void ShowMindraReport(TfrmPemarisMain& main, TMindraReportKind kind, const char* formName,
                      TMindraResult<R> (*collect)(const TScannerReportSettings&, TReportProblems&)) {
    TBusyCursor cursor;
    TDialogReportProblems problems;
    TMindraResult<R> result = collect(main.ScannerReportSettings(), problems);
    if (result.Outcome == TMindraOutcome::NoFiles) main.MyStB->Error(result.NoFilesMessage);
    if (result.Outcome != TMindraOutcome::Ready) return;
    cursor.Restore();

    Form& form = ReportFormNamed<Form>(formName);
    // The records live until the preview closes.
    struct TDispose {
        Form& form;
        ~TDispose() { form.Items.clear(); }
    } dispose{form};
    try {
        form.PrinterSettings.PrinterName = PrinterOf(MindraReportInfo(kind).Printer, form);
        form.ReportTitle = result.Report.Title;
        form.QRLabelProductName = result.Report.ProductName;
        form.QRLabelVersion = result.Report.Version;
        form.QRLabelSystem = result.Report.Systems;
        form.Items = std::move(result.Report.Items);
        form.Preview();
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        problems.XmlProcessingError(e.what());
    }
}

} // namespace

void TfrmPemarisMain::BindStatisticActions() {
    Act("ActSpecStatistic")->OnExecute = [this](TComponent* s) { ActSpecStatisticExecute(s); };
    Act("ActSpecRanking")->OnExecute = [this](TComponent* s) { ActSpecRankingExecute(s); };
}

void TfrmPemarisMain::ActSpecStatisticExecute(TComponent*) {
    switch (DocumentKind) {
    case kDocumentKindDefects: ShowDefectStatistic(); break;
    case kDocumentKindChanges: ShowChangeStatistic(); break;
    case kDocumentKindProjects: ShowProjectStatistic(); break;
    default: break;
    }
}

void TfrmPemarisMain::ActSpecRankingExecute(TComponent*) {
    switch (DocumentKind) {
    case kDocumentKindDefects: ShowDefectRanking(); break;
    case kDocumentKindChanges: ShowChangeRanking(); break;
    default: break;
    }
}

void TfrmPemarisMain::ShowDefectStatistic() {
    ShowMindraReport<TQRfrm_MindraDefectStat>(*this, TMindraReportKind::DefectStatistic, "QRfrm_MindraDefectStat",
                                              CollectDefectStatistic);
}

void TfrmPemarisMain::ShowDefectRanking() {
    ShowMindraReport<TQRfrm_MindraDefectRank>(*this, TMindraReportKind::DefectRanking, "QRfrm_MindraDefectRank",
                                              CollectDefectRanking);
}

void TfrmPemarisMain::ShowChangeStatistic() {
    ShowMindraReport<TQRfrm_MindraChangeStat>(*this, TMindraReportKind::ChangeStatistic, "QRfrm_MindraChangeStat",
                                              CollectChangeStatistic);
}

void TfrmPemarisMain::ShowChangeRanking() {
    ShowMindraReport<TQRfrm_MindraChangeRank>(*this, TMindraReportKind::ChangeRanking, "QRfrm_MindraChangeRank",
                                              CollectChangeRanking);
}

void TfrmPemarisMain::ShowProjectStatistic() {
    ShowMindraReport<TQRfrm_MindraProjectStat>(*this, TMindraReportKind::ProjectStatistic,
                                               "QRfrm_MindraProjectStat", CollectProjectStatistic);
}

TScannerReportSettings TfrmPemarisMain::ScannerReportSettings() {
    CheckNamesForPaths();
    TScannerReportSettings s;
    s.OutputDir = OutputDirectory();
    s.ProductName = ProductName;
    s.SystemName = SystemName;
    s.SystemVersion = SystemVersion;
    s.DocumentKind = DocumentKind;
    s.ProductKind = Product.Kind;
    return s;
}

} // namespace pem
