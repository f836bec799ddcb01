#include "ResultTabs.h"

#include "FontChoice.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "QtText.h"
#include "ReportPainter.h"
#include "SettingsStore.h"
#include "SimpleViewerFrame.h"

#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <cstdlib>

namespace pem {

namespace {

const char* const kChangedQuestion = " has been changed,\r\nDo you want to save the changes ?";

TDateTime LoadedDate(TFrame* frame) {
    if (auto* v = dynamic_cast<TFrameViewerBase*>(frame)) return v->FileDate;
    if (auto* r = dynamic_cast<IResultFrame*>(frame)) return r->LoadedFileDate();
    return 0;
}

void RunProgramAndWait(const std::vector<std::string>& command, const std::string& workDir) {
    QProcess process;
    QStringList args;
    for (size_t i = 1; i < command.size(); ++i) args << ToQ(command[i]);
    process.setProgram(ToQ(command.front()));
    process.setArguments(args);
    process.setWorkingDirectory(ToQ(workDir));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    // The window stays painted while the editor runs; a program that does
    // not start ends the wait at once.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) loop.quit();
    });
    process.start();
    if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

TResultTabs::TResultTabs(IProjectContext& context, const TResultTabControls& controls)
    : RunAndWait(RunProgramAndWait), ctx_(context), c_(controls) {}

void TResultTabs::RegisterFrame(TResultFrameKind kind, TResultFrameFactory factory) {
    factories_[kind] = std::move(factory);
}

// ------------------------------------------------------------ reading

int TResultTabs::TabCount() const { return c_.PageControlEditor->PageCount(); }

TResultTab* TResultTabs::Tab(int i) const { return dynamic_cast<TResultTab*>(c_.PageControlEditor->Pages(i)); }

TResultTab* TResultTabs::ActiveTab() const {
    return dynamic_cast<TResultTab*>(c_.PageControlEditor->ActivePage());
}

TFrame* TResultTabs::ActiveFrame() const {
    TResultTab* t = ActiveTab();
    return t ? t->Frame : nullptr;
}

std::string TResultTabs::NextTabSheetName() { return "tsv" + std::to_string(counter_++); }

// ------------------------------------------------------------ the viewer page

void TResultTabs::ShowViewerPage() {
    c_.TabSheetViewer->SetTabVisible(true);
    c_.PageControlMain->SetActivePage(c_.TabSheetViewer);
}

void TResultTabs::UpdateViewerPage() {
    const bool any = TabCount() > 0;
    c_.TabSheetViewer->SetTabVisible(any);
    if (!any) c_.PageControlMain->SetActivePage(c_.TabSheetNames);
}

// ------------------------------------------------------------ dialogs

void TResultTabs::ViewerDialog(TViewerDialog dialog) {
    // 1. The viewer page comes to the front when it is there.
    if (c_.TabSheetViewer->TabVisible()) c_.PageControlMain->SetActivePage(c_.TabSheetViewer);
    // 2. and 3.
    const TResultDialogSetup setup = ResultDialogSetup(dialog, ctx_.ProjectLanguageCode(), ctx_.ProjectProductKind());
    std::optional<std::string> caption;
    if (TResultTab* t = ActiveTab()) caption = t->Caption();
    const std::string outDir = ctx_.OutputDirectory();
    const TDialogStart start = ResultDialogStart(setup, outDir, caption);
    TOpenDialogRequest req;
    req.title = setup.title;
    req.filters = ParseDialogFilter(setup.filter);
    req.filterIndex = setup.filterIndex;
    req.defaultExt = setup.defaultExt;
    req.initialDir = start.initialDir;
    req.fileName = start.fileName;
    req.mustExist = true;
    req.okCaption = "&Do Open";
    req.cancelCaption = "&No, Dismiss";
    req.viewStyle = ctx_.ProjectFileViewStyle();
    if (!start.missingFolderMessage.empty()) Bar()->ShowError(start.missingFolderMessage, true);
    // 4.
    c_.OpenDialogWork->SetTag(0);
    c_.OpenDialogWork->Options = req;
    c_.OpenDialogWork->FileName.clear();
    if (!c_.OpenDialogWork->Execute()) Bar()->Error("File search cancelled");
    const std::string file = c_.OpenDialogWork->FileName;
    switch (dialog) {
    case TViewerDialog::General:
    case TViewerDialog::Metrics: OpenInSimpleViewer(file); break;
    case TViewerDialog::Defis: OpenDefiReport(file); break;
    case TViewerDialog::Specs: OpenSpecsReport(file); break;
    case TViewerDialog::TestCases: OpenTestCaseReport(file); break;
    }
}

bool TResultTabs::FindResultFile(const std::string& folder, std::string& path) {
    TResultTab* t = ActiveTab();
    if (!t) return false;
    auto found = pem::FindResultFile(t->Caption(), ctx_.OutputDirectory(), folder);
    if (!found) return false;
    path = *found;
    return true;
}

// ------------------------------------------------------------ opening

void TResultTabs::OpenInSimpleViewer(const std::string& fileName) { Open(TOpenKind::Simple, fileName); }
void TResultTabs::OpenDefiReport(const std::string& fileName) { Open(TOpenKind::Defi, fileName); }
void TResultTabs::OpenSpecsReport(const std::string& fileName) { Open(TOpenKind::Specs, fileName); }
void TResultTabs::OpenTestCaseReport(const std::string& fileName) { Open(TOpenKind::TestCase, fileName); }

void TResultTabs::CheckProjectFolder(const std::string& fileName, const std::string& folder) {
    // The output directory's part exactly, the result folder without regard
    // to case.
    const std::string prefix = IncludeTrailingSeparator(ctx_.OutputDirectory(), '/');
    const std::string sub = folder + "/";
    const bool inside = fileName.size() > prefix.size() + sub.size() &&
                        fileName.compare(0, prefix.size(), prefix) == 0 &&
                        SameText(fileName.substr(prefix.size(), sub.size()), sub);
    if (!inside) Bar()->Error("File " + fileName + " doesn't belong to the current project");
}

void TResultTabs::Open(TOpenKind kind, const std::string& fileName) {
    // 1.
    if (kind == TOpenKind::Defi) CheckProjectFolder(fileName, "Defis");
    if (kind == TOpenKind::Specs) CheckProjectFolder(fileName, "Specs");
    if (!FileExists(fileName)) Bar()->Error("File " + fileName + " doesn't exist");
    // 2.
    ShowViewerPage();
    const std::string caption = ResultTabCaption(fileName, ctx_.OutputDirectory());
    // 3.
    for (int i = 0; i < TabCount(); ++i) {
        TResultTab* tab = Tab(i);
        if (!tab) continue;
        const TResultFrameKind tabKind = FrameKindOf(tab->Frame);
        if (!CountsAsSameFile(kind, caption, tab->Caption(), tabKind)) continue;
        c_.PageControlEditor->SetActivePage(tab);
        const TReloadDecision d =
            ReloadDecision(kind, tabKind, LoadedDate(tab->Frame), FileDateTime(fileName), fileName);
        if (d.action == TReloadAction::Keep) return;
        if (d.action == TReloadAction::Ask &&
            Dialogs().MessageDlg(d.question, TMsgDlgType::mtWarning, mbYesNo) != mrYes)
            return;
        CloseEditorTab();
        break;
    }
    // 4. and 5.
    const TResultFrameKind frameKind =
        FrameKindFor(kind, [this](const std::string& list) { return ctx_.ProjectLanguageInList(list); });
    TResultTab* tab = NewTab(caption, [&](TResultTab* t) { return CreateFrame(frameKind, t, fileName); });
    TFrame* frame = tab->Frame;
    frame->SetName(tab->Name() + FrameNameSuffix(kind));
    if (auto* v = dynamic_cast<TFrameViewerBase*>(frame)) v->StatusBar = Bar();
    if (auto* s = dynamic_cast<TFrameSimpleViewer*>(frame)) s->BitBtnPrint->SetAction(c_.ActPrintCurrent);
    else if (auto* r = dynamic_cast<IResultFrame*>(frame); r && r->PrintButton())
        r->PrintButton()->SetAction(c_.ActPrintCurrent);
    if (kind == TOpenKind::Simple) {
        // Lays out its controls.
        frame->resize(frame->width() + 1, frame->height());
        frame->resize(frame->width() - 1, frame->height());
    }
    if (kind == TOpenKind::Defi && FrameKindOf(frame) == TResultFrameKind::Defi && c_.ActSortBySource)
        c_.ActSortBySource->Execute();
}

TResultTab* TResultTabs::NewTab(const std::string& caption, const std::function<TFrame*(TResultTab*)>& makeFrame) {
    ShowViewerPage();
    auto* tab = new TResultTab(c_.TabOwner, c_.PageControlEditor, NextTabSheetName(), caption);
    c_.PageControlEditor->SetActivePage(tab);
    try {
        tab->Frame = makeFrame(tab);
    } catch (...) {
        // No empty tab stays behind, whatever failed; the error shows.
        tab->DetachFromPageControl();
        tab->deleteLater();
        UpdateViewerPage();
        throw;
    }
    return tab;
}

TFrame* TResultTabs::CreateFrame(TResultFrameKind kind, TResultTab* tab, const std::string& fileName) {
    auto it = factories_.find(kind);
    if (it != factories_.end() && it->second)
        return it->second({tab, tab, &ctx_.ProjectViewerFont(), fileName, &ctx_});
    return TFrameSimpleViewer::CreateForFile(tab, tab, &ctx_.ProjectViewerFont(), fileName);
}

// ------------------------------------------------------------ closing

bool TResultTabs::CloseEditorTab() {
    // 1.
    Bar()->ClearMessage();
    TResultTab* tab = ActiveTab();
    // 2. The edit being typed in is committed first.
    auto* editor = tab ? dynamic_cast<IEditorFrame*>(tab->Frame) : nullptr;
    if (editor && FrameKindOf(tab->Frame) == TResultFrameKind::XMLEdit) {
        c_.PageControlMain->SetActivePage(c_.TabSheetViewer);
        editor->CommitEdit();
    }
    // 3.
    bool closed = false;
    if (tab && c_.PageControlMain->ActivePage() == c_.TabSheetViewer) {
        if (editor && editor->HasUnsavedChanges() &&
            Dialogs().MessageDlg(tab->Caption() + kChangedQuestion, TMsgDlgType::mtInformation, mbYesNo) == mrYes)
            editor->SaveChanges(); // a failing save keeps the tab
        // The tab leaves the page control now; it and its frame are freed
        // once the handler that asked has returned (it may be the frame's).
        tab->DetachFromPageControl();
        tab->deleteLater();
        closed = true;
    }
    // 4.
    UpdateViewerPage();
    return closed;
}

void TResultTabs::CloseAllEditorTabs() {
    while (TabCount() > 0) {
        c_.PageControlMain->SetActivePage(c_.TabSheetViewer);
        if (!CloseEditorTab()) break;
    }
}

void TResultTabs::PageControlEditorChanging() {
    Bar()->ClearMessage();
    if (auto* editor = dynamic_cast<IEditorFrame*>(ActiveFrame());
        editor && FrameKindOf(ActiveFrame()) == TResultFrameKind::XMLEdit)
        editor->CommitEdit();
}

// ------------------------------------------------------------ font, sort, find

void TResultTabs::SelectFont() {
    // A stored or default family this machine lacks (or a proportional one)
    // is not offered as it is: confirming the dialog unchanged would store a
    // proportional font and every listing would lose its columns.
    TFontSpec font = OfferedFixedFont(ctx_.ProjectViewerFont());
    if (!Dialogs().ChooseFont(font)) return;
    TFontSpec& viewerFont = ctx_.ProjectViewerFont();
    viewerFont = font;
    for (int i = 0; i < TabCount(); ++i) {
        TFrame* frame = Tab(i) ? Tab(i)->Frame : nullptr;
        if (!frame) continue;
        if (auto* v = dynamic_cast<TFrameViewerBase*>(frame)) v->SetViewerFont(&viewerFont);
        else frame->setFont(ViewerQFont(viewerFont));
    }
    WriteSettingInt("FontCharSet", viewerFont.charSet);
    WriteSettingInt("FontSize", viewerFont.size);
    WriteSettingInt("FontHeight", viewerFont.height);
    WriteSetting("FontName", viewerFont.name);
    WriteSettingBool("FontBold", viewerFont.bold);
    WriteSettingBool("FontItalic", viewerFont.italic);
    WriteSettingBool("FontUnderline", viewerFont.underline);
    WriteSettingBool("FontStrikeOut", viewerFont.strikeOut);
}

void TResultTabs::Sort(TAction* executed) {
    for (TAction* a : {c_.ActSortBySource, c_.ActSortByLevel, c_.ActSortByRuleName})
        if (a) a->SetChecked(a == executed);
    auto* defi = dynamic_cast<IDefiGrouping*>(ActiveFrame());
    if (!defi) return;
    if (executed == c_.ActSortBySource) defi->GroupDefisBySource();
    else if (executed == c_.ActSortByLevel) defi->GroupDefisByLevel();
    else if (executed == c_.ActSortByRuleName) defi->GroupDefisByRuleName();
}

void TResultTabs::FindText() {
    TListingView* view = SearchViewOf(ActiveFrame());
    if (!view) return;
    TFindRequest req;
    // Beside the searched text: half-way across it, at its top.
    const QPoint origin = view->parentWidget() ? view->parentWidget()->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0);
    req.left = origin.x() + static_cast<int>(std::lround((view->Left() + view->Width()) / 2.0));
    req.top = origin.y() + view->Top();
    Dialogs().FindText(req, [this](const std::string& text) { RunGuarded([&] { FindDialogFind(text); }); });
}

void TResultTabs::FindDialogFind(const std::string& text) {
    Bar()->ClearMessage();
    if (c_.PageControlMain->ActivePage() != c_.TabSheetViewer || TabCount() == 0) return;
    TListingView* view = SearchViewOf(ActiveFrame());
    if (!view) return;
    const int start = view->SelLength() != 0 ? view->SelStart() + view->SelLength() : 0;
    const int pos = view->FindText(text, start);
    if (pos < 0) Bar()->Error("String not found");
    view->setFocus();
    view->SetSelection(pos, static_cast<int>(text.size()));
}

// ------------------------------------------------------------ logs and editor

void TResultTabs::ViewLog(TLogKind kind) {
    const std::string file = RunLogFile(kind, ctx_.ProjectRunMode(), ctx_.OutputDirectory(),
                                        ctx_.ProjectSystemName(), ctx_.ProjectTestToolLog());
    if (!file.empty() && FileExists(file)) OpenInSimpleViewer(file);
}

void TResultTabs::ViewNotepad() {
    const auto env = [](const std::string& name) {
        const char* v = std::getenv(name.c_str());
        return v ? Utf8ToCp1252(v) : std::string();
    };
    const auto find = [](const std::string& name) { return FromQ(QStandardPaths::findExecutable(ToQ(name))); };
    const std::vector<std::string> command = EditorCommand(ctx_.ProjectEditorProgram(), env, find);
    if (command.empty()) {
        Bar()->ShowWarning("No text editor found: set VISUAL or EDITOR to one");
        return;
    }
    RunAndWait(command, ctx_.OutputDirectory());
}

} // namespace pem
