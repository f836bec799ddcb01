// The main window's print actions: the active tab or a chosen file printed
// through the print dispatch of the viewers, the hard copy connected to the
// hard-copy report form, the printer chosen by name, and the preview switch
// that relabels the print actions of every form.
#include "PemarisMain.h"

#include "CharSet1252.h"
#include "PF_HardCopy.h"
#include "PrintDispatch.h"
#include "ReportPrinter.h"
#include "ResultTabs.h"
#include "SafeFiles.h"

namespace pem {

namespace {

// The hard copy of the viewers on the hard-copy report form: printer, font,
// title and the file's lines, then preview or print.
class THardCopyReport : public IHardCopyPrinter {
public:
    void PrintHardCopy(const THardCopyJob& job) override {
        TQRfrm_HardCopy& form = HardCopyForm();
        form.PrinterSettings.PrinterName = job.printerName;
        form.Font = job.font;
        form.ReportTitle = job.title;
        form.Items.SetText(ReadRegularFile(Cp1252ToUtf8(job.fileName)));
        if (job.preview) form.Preview();
        else form.Print();
    }
};

} // namespace

void TfrmPemarisMain::BindPrintActions() {
    HardCopyPrinter = std::make_unique<THardCopyReport>();
    PrintDispatch = std::make_unique<TPrintDispatch>(*this, *HardCopyPrinter);
    Act("ActPrintCurrent")->OnExecute = [this](TComponent* s) { ActPrintCurrentExecute(s); };
    Act("ActPrintFile")->OnExecute = [this](TComponent* s) { ActPrintFileExecute(s); };
    Act("ActSelectPrinter")->OnExecute = [this](TComponent* s) { ActSelectPrinterExecute(s); };
    Act("ActPreviewBeforePrinting")->OnExecute = [this](TComponent* s) { ActPreviewBeforePrintingExecute(s); };
}

void TfrmPemarisMain::ActPrintCurrentExecute(TComponent*) {
    PrintDispatch->PrintCurrent(ResultTabs->ActiveFrame(), Act("ActPreviewBeforePrinting")->Checked());
}

void TfrmPemarisMain::ActPrintFileExecute(TComponent*) {
    PrintDispatch->PrintFile(OpenDialogWork, Act("ActPreviewBeforePrinting")->Checked());
}

void TfrmPemarisMain::ActSelectPrinterExecute(TComponent*) {
    TQRfrm_HardCopy& form = HardCopyForm();
    form.PrinterSettings.PrinterName = CurrentPrinterName();
    form.PrinterSetup();
    SetCurrentPrinterName(form.PrinterSettings.PrinterName);
}

void TfrmPemarisMain::ActPreviewBeforePrintingExecute(TComponent* sender) {
    TAction* preview = Act("ActPreviewBeforePrinting");
    if (sender) {
        preview->SetChecked(!preview->Checked());
        SetModified(true);
    }
    RelabelPrintActions(preview->Checked(), preview);
    // Lays out the controls again for the new captions.
    resize(width() + 1, height());
    resize(width() - 1, height());
}

} // namespace pem
