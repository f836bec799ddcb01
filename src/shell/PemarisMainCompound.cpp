// The main window's XML editor tabs and its compound metrics window. The
// editor and the window live in src/viewers and src/reports; here the main
// window hands them its values: the report folder, the counter sums and the
// report conversion of the active document kind for the editor, and the
// job, the progress group and the printing choice for the window.
#include "PemarisMain.h"

#include "CompoundMetrics.h"
#include "ReportConversion.h"
#include "ResultTabs.h"
#include "ScannerReportEntry.h"
#include "XMLEditFrame.h"

#include <chrono>

namespace pem {

namespace {

// An editor tab as the report conversion reads it.
class TEditorReport : public IReportEditor {
public:
    explicit TEditorReport(TFrameXMLEdit* frame) : frame_(frame) {}
    std::string ReportFileName() const override { return frame_->FileName; }
    TMyXMLNodeList& ReportDocument() override { return *frame_->Document; }

private:
    TFrameXMLEdit* frame_;
};

// The compound metrics window's view of the main window. It lives as long
// as the main window and leaves the compound window when it goes.
class TCompoundHost : public QObject, public ICompoundMetricsHost {
public:
    explicit TCompoundHost(TfrmPemarisMain& f) : QObject(&f), f_(f) {}
    ~TCompoundHost() override {
        if (TfrmCompoundMetrics* w = TfrmCompoundMetrics::Instance(); w && w->Host == this) w->Host = nullptr;
    }
    std::string CompoundProductName() override { return f_.ProductName; }
    std::string CompoundSystemName() override { return f_.SystemName; }
    std::string CompoundOutputDirectory() override { return f_.OutputDirectory(); }
    std::string CompoundProjectName() override { return f_.GetProjectName(); }
    void CompoundJobModified() override { f_.SetModified(true); }
    bool CompoundPreviewBeforePrinting() override { return f_.Act("ActPreviewBeforePrinting")->Checked(); }
    void CompoundProgressBegin(const std::string& caption, int files) override {
        f_.GroupBoxSlider->SetCaption(caption);
        f_.ProgressBarModules->SetMax(files);
        f_.ProgressBarModules->SetPosition(1);
        f_.ProgressBarSources->SetMax(files);
        f_.ProgressBarSources->SetPosition(0);
        if (files > 10) f_.SetProgressBarsVisible(true);
        lastEvents_ = std::chrono::steady_clock::now();
    }
    void CompoundProgressStep() override {
        f_.ProgressBarModules->SetPosition(f_.ProgressBarModules->Position() + 1);
        // Window events at a bounded rate, not once per file.
        const auto now = std::chrono::steady_clock::now();
        if (now - lastEvents_ < std::chrono::milliseconds(50)) return;
        lastEvents_ = now;
        Application().ProcessMessages();
    }
    void CompoundProgressEnd() override { f_.SetProgressBarsVisible(false); }
    QWidget* CompoundMainWindow() override { return &f_; }

private:
    TfrmPemarisMain& f_;
    std::chrono::steady_clock::time_point lastEvents_;
};

} // namespace

void TfrmPemarisMain::BindXMLEditorActions() {
    CompoundHost = new TCompoundHost(*this);
    Act("ActXMLEditor")->OnExecute = [this](TComponent* s) { ActXMLEditorExecute(s); };
}

namespace {

TXMLEditorSetup EditorSetupOf(TfrmPemarisMain& f) {
    const TScannerReportSettings s = f.ScannerReportSettings();
    TXMLEditorSetup setup;
    setup.ReportFolder = ReportFolder(s, ReportAreaOf(s.DocumentKind));
    if (TCounterSums sums = CounterSumsFor(s.DocumentKind))
        setup.OnElementChanged = [sums](TFrameXMLEdit*, TMyXMLNodeList& doc) {
            doc.First();
            sums(doc);
        };
    // The conversion runs with the window's values at the time of saving.
    setup.OnSaved = [&f](TFrameXMLEdit* frame) {
        TEditorReport report(frame);
        const TWarningSink warning = [&f](const std::string& text) { f.MyStB->ShowWarning(text); };
        ConvertSavedReport(f.ScannerReportSettings(), &report, warning);
    };
    TfrmCompoundMetrics* metrics = TfrmCompoundMetrics::Instance();
    setup.ReadOnlyList = metrics ? metrics->STHXML_Type_List->StringList().Text() : std::string(kTypeListTemplate);
    return setup;
}

} // namespace

void TfrmPemarisMain::ActXMLEditorExecute(TComponent*) { ResultTabs->XMLEditorDialog(EditorSetupOf(*this)); }

void TfrmPemarisMain::OpenXMLEditorTab(const std::string& fileName) {
    ResultTabs->OpenXMLEditorTab(fileName, EditorSetupOf(*this));
}

// Bound with the job settings' small handlers.
void TfrmPemarisMain::ActCompoundMetricsExecute(TComponent*) {
    TfrmCompoundMetrics* window = TfrmCompoundMetrics::Instance();
    if (!window) return;
    window->Host = CompoundHost;
    window->show();
    window->raise();
}

} // namespace pem
