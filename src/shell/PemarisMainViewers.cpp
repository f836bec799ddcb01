// The main window's result tabs and viewer actions: each handler hands over
// to the result tabs of src/viewers, which read the job through the
// window's project context; and the about box.
#include "PemarisMain.h"

#include "ControlEvents.h"

#include "AboutBoxDlg.h"
#include "FindExecFrame.h"
#include "ListingFrames.h"
#include "MyStatusBar.h"
#include "ReportPrinter.h"
#include "ResultTabs.h"

#include <QEvent>
#include <QTabBar>

namespace pem {

// Reports a press on the tabs of the editor pages (mouse or key) before the
// page changes.
class TTabBarPress : public TFormEventFilter {
public:
    explicit TTabBarPress(QObject* parent) : TFormEventFilter(parent) {}
    std::function<void()> OnMouseDown;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if ((e->type() == QEvent::MouseButtonPress || e->type() == QEvent::KeyPress) && OnMouseDown) OnMouseDown();
        return QObject::eventFilter(watched, e);
    }
};

namespace {
TViewerDialog DialogOf(const std::string& action) {
    if (action == "ActViewDefis") return TViewerDialog::Defis;
    if (action == "ActViewMetrics") return TViewerDialog::Metrics;
    if (action == "ActViewSpecs") return TViewerDialog::Specs;
    if (action == "ActViewTestCases") return TViewerDialog::TestCases;
    return TViewerDialog::General;
}
} // namespace

void TfrmPemarisMain::BindViewerActions() {
    TResultTabControls c;
    c.PageControlMain = PageControlMain;
    c.TabSheetViewer = TabSheetViewer;
    c.TabSheetNames = TabSheetNames;
    c.PageControlEditor = PageControlEditor;
    c.OpenDialogWork = OpenDialogWork;
    c.ActPrintCurrent = Act("ActPrintCurrent");
    c.ActSortBySource = Act("ActSortBySource");
    c.ActSortByLevel = Act("ActSortByLevel");
    c.ActSortByRuleName = Act("ActSortByRuleName");
    c.TabOwner = this;
    ResultTabs = std::make_unique<TResultTabs>(*this, c);
    RegisterListingFrames(*ResultTabs);
    AboutBoxDlg1 = new TAboutBoxDlg(this, "AboutBoxDlg1");

    for (const char* a : {"ActViewGeneral", "ActViewDefis", "ActViewMetrics", "ActViewSpecs", "ActViewTestCases"})
        Act(a)->OnExecute = [this](TComponent* s) { ActViewDialogExecute(s); };
    for (const char* a : {"ActViewProductLog", "ActViewConsoleLog", "ActViewParameters"})
        Act(a)->OnExecute = [this](TComponent* s) { ActViewProductLogExecute(s); };
    Act("ActViewNotepad")->OnExecute = [this](TComponent* s) { ActViewNotepadExecute(s); };
    Act("ActCloseTab")->OnExecute = [this](TComponent* s) { ActCloseTabExecute(s); };
    Act("ActCloseAllPages")->OnExecute = [this](TComponent* s) { ActCloseAllPagesExecute(s); };
    Act("ActSelectFont")->OnExecute = [this](TComponent* s) { ActSelectFontExecute(s); };
    for (const char* a : {"ActSortBySource", "ActSortByLevel", "ActSortByRuleName"}) {
        Act(a)->setCheckable(true);
        Act(a)->OnExecute = [this](TComponent* s) { ActSortExecute(s); };
    }
    Act("ActFindText")->OnExecute = [this](TComponent* s) { ActFindTextExecute(s); };
    Act("ActAbout")->OnExecute = [this](TComponent* s) { ActAboutExecute(s); };

    // The popup of the viewer page and of its page control.
    PopupMenuViewer = new TMenuItem(this, this, "PopupMenuViewer", "");
    PopupMenuViewer->addAction(Act("ActCloseTab"));
    PopupMenuViewer->addAction(Act("ActCloseAllPages"));
    PopupMenuViewer->addSeparator();
    for (const char* a : {"ActViewGeneral", "ActViewDefis", "ActViewMetrics", "ActViewSpecs", "ActViewTestCases"})
        PopupMenuViewer->addAction(Act(a));
    PopupMenuViewer->addSeparator();
    for (const char* a : {"ActViewProductLog", "ActViewConsoleLog", "ActViewParameters"})
        PopupMenuViewer->addAction(Act(a));
    for (QWidget* w : {static_cast<QWidget*>(TabSheetViewer), static_cast<QWidget*>(PageControlEditor)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(w, &QWidget::customContextMenuRequested, this,
                         [this, w](const QPoint& p) { PopupMenuViewerPopup(w->mapToGlobal(p)); });
    }
    EditorTabBarPress = new TTabBarPress(this);
    EditorTabBarPress->OnMouseDown = [this] { PageControlEditorChanging(PageControlEditor); };
    PageControlEditor->tabBar()->installEventFilter(EditorTabBarPress);

    // Reports printed with no printer installed land in the output directory.
    SetReportEnvironment({[] { return MainForm() ? MainForm()->OutputDirectory() : std::string(); },
                          [](const std::string& text) {
                              if (MainForm()) MainForm()->MyStB->ShowWarning(text);
                          }});
}

// ------------------------------------------------------------ handlers

void TfrmPemarisMain::ActViewDialogExecute(TComponent* sender) {
    ResultTabs->ViewerDialog(DialogOf(sender ? sender->Name() : std::string()));
}

void TfrmPemarisMain::ActViewProductLogExecute(TComponent* sender) { OpenRunLog(sender); }

void TfrmPemarisMain::OpenRunLog(TComponent* sender) {
    const std::string name = sender ? sender->Name() : std::string();
    if (name == "ActViewProductLog") ResultTabs->ViewLog(TLogKind::ProductLog);
    else if (name == "ActViewConsoleLog") ResultTabs->ViewLog(TLogKind::ConsoleLog);
    else if (name == "ActViewParameters") ResultTabs->ViewLog(TLogKind::Parameters);
}

void TfrmPemarisMain::ActViewNotepadExecute(TComponent*) { ResultTabs->ViewNotepad(); }

void TfrmPemarisMain::ActCloseTabExecute(TComponent*) { ResultTabs->CloseEditorTab(); }

// Page by page, each changed editor asked about; a failing save stops.
void TfrmPemarisMain::ActCloseAllPagesExecute(TComponent*) { ResultTabs->CloseAllEditorTabs(); }

void TfrmPemarisMain::ActSelectFontExecute(TComponent*) { ResultTabs->SelectFont(); }

void TfrmPemarisMain::ActSortExecute(TComponent* sender) { ResultTabs->Sort(dynamic_cast<TAction*>(sender)); }

void TfrmPemarisMain::ActFindTextExecute(TComponent*) { ResultTabs->FindText(); }

void TfrmPemarisMain::PageControlEditorChanging(TComponent*) { ResultTabs->PageControlEditorChanging(); }

void TfrmPemarisMain::PopupMenuViewerPopup(const QPoint& at) { PopupMenuViewer->popup(at); }

void TfrmPemarisMain::ActAboutExecute(TComponent*) {
    AboutBoxDlg1->MemoContent = "Tool root directory : \r\n" + ToolRoot;
    AboutBoxDlg1->Execute();
}

// ------------------------------------------------------------ operations

void TfrmPemarisMain::OpenInSimpleViewer(const std::string& f) { ResultTabs->OpenInSimpleViewer(f); }
void TfrmPemarisMain::OpenDefiReport(const std::string& f) { ResultTabs->OpenDefiReport(f); }
void TfrmPemarisMain::OpenSpecsReport(const std::string& f) { ResultTabs->OpenSpecsReport(f); }
void TfrmPemarisMain::OpenTestCaseReport(const std::string& f) { ResultTabs->OpenTestCaseReport(f); }
bool TfrmPemarisMain::CloseEditorTab() { return ResultTabs->CloseEditorTab(); }
void TfrmPemarisMain::CloseActiveEditorTab() { ResultTabs->CloseEditorTab(); }
void TfrmPemarisMain::CloseAllEditorTabs() { ResultTabs->CloseAllEditorTabs(); }
bool TfrmPemarisMain::FindResultFile(const std::string& folder, std::string& path) {
    return ResultTabs->FindResultFile(folder, path);
}
std::string TfrmPemarisMain::NextTabSheetName() { return ResultTabs->NextTabSheetName(); }

bool TfrmPemarisMain::ProjectLanguageInList(const std::string& list) { return LanguageInList(LanguageCode, list); }

// The pairs long=short and short=long that the input tree's shortened
// extensions left in the long-extension memo.
bool TfrmPemarisMain::ProjectRestoreLongExtension(const std::string& ext, std::string& longExt) {
    const std::string value = MemoLongextension ? MemoLongextension->Lines().Values(ext) : std::string();
    longExt = value.empty() ? ext : value;
    return longExt != ext;
}

// The structure lists and the file list's paths, index-aligned.
TProjectFileStructure TfrmPemarisMain::ProjectFileStructure() {
    TProjectFileStructure s{Structure.Components, Structure.Modules, Structure.Sources, Structure.Extensions, {}};
    s.files.reserve(static_cast<size_t>(SourceFiles.Count()));
    for (const TSourceFile& f : SourceFiles.Items()) s.files.push_back(f.path);
    return s;
}

std::string TfrmPemarisMain::ProjectEditorProgram() {
    return FrameFindexecEditorGeneral ? FrameFindexecEditorGeneral->Edit->Text() : std::string("NOTEPAD.EXE");
}

} // namespace pem
