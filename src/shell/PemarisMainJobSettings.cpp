// Further job settings on the main window: the test tools' input files, the
// metric weights and their editor, the translation tool's document and the
// return of its translations, the batch times in the caption, the progress
// group and loop flags, and the small handlers of options and help.
#include "PemarisMain.h"

#include "ControlEvents.h"

#include "BaseFileUtils.h"
#include "ButtonRows.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "DialogService.h"
#include "Exceptions.h"
#include "FindExecFrame.h"
#include "HandlerGuard.h"
#include "JobSettings.h"
#include "JobrinDocument.h"
#include "MetricWeights.h"
#include "QtText.h"
#include "SafeFiles.h"
#include "SettingsStore.h"
#include "SharedRoutinesFiles.h"
#include "SourceFileListBox.h"
#include "StringListHolder.h"
#include "TestToolInputs.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace pem {

// Mouse and key events of the metrics list and its weight editor, and the
// right-button press that focuses a list, handed to the form's handlers.
class TMetricsEvents : public TFormEventFilter {
public:
    explicit TMetricsEvents(TfrmPemarisMain* form) : TFormEventFilter(form), form_(form) {}
    TKeyPressEvent OnListKeyPress, OnEditorKeyPress;
    std::function<void(QWidget* list)> OnRightButtonDown;
    std::function<void(const QPoint& at)> OnListMouseUp, OnListMouseMove;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        TCheckListBox* list = form_->CheckListBoxMetrics;
        TComboBox* editor = form_->ComboBoxMetricsWeights;
        bool handled = false;
        RunGuarded([&] {
            switch (e->type()) {
            case QEvent::MouseButtonPress: {
                auto* m = static_cast<QMouseEvent*>(e);
                if (m->button() == Qt::RightButton)
                    if (auto* w = qobject_cast<QWidget*>(watched); w && OnRightButtonDown) OnRightButtonDown(w);
                break;
            }
            case QEvent::MouseButtonRelease:
                // Only a left-button release opens the weight editor.
                if (watched == list->viewport() && OnListMouseUp &&
                    static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
                    OnListMouseUp(static_cast<QMouseEvent*>(e)->position().toPoint());
                break;
            case QEvent::MouseMove:
                if (watched == list->viewport() && OnListMouseMove)
                    OnListMouseMove(static_cast<QMouseEvent*>(e)->position().toPoint());
                break;
            case QEvent::KeyPress: {
                auto* k = static_cast<QKeyEvent*>(e);
                char key = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter ? '\r'
                           : k->key() == Qt::Key_Escape                          ? '\x1B'
                                                                                  : 0;
                if (!key) break;
                if (watched == list && OnListKeyPress) OnListKeyPress(list, key);
                else if ((watched == editor || watched == editor->view()) && OnEditorKeyPress)
                    OnEditorKeyPress(editor, key);
                handled = key == 0;
                break;
            }
            default: break;
            }
        });
        return handled;
    }

private:
    TfrmPemarisMain* form_;
};

// ------------------------------------------------------------------ binding

void TfrmPemarisMain::BindJobSettingsHandlers() {
    STLHMetricsWeights = new TStringListHolder(this, "STLHMetricsWeights");
    LabelDepth = new TLabel(this, PanelCommonRoot, "LabelDepth", "0");

    for (const TTestToolInput& t : TestToolInputs()) Act(t.action)->setCheckable(false);
    Act("ActSpecifyMethodFile")->OnExecute = [this](TComponent* s) { ActSpecifyMethodFileExecute(s); };
    Act("ActSpecifyTestCaseFile")->OnExecute = [this](TComponent* s) { ActSpecifyTestCaseFileExecute(s); };
    Act("ActSpecifyDefiXML")->OnExecute = [this](TComponent* s) { ActSpecifyDefiXMLExecute(s); };
    Act("ActSpecifyTestExecutionLog")->OnExecute = [this](TComponent* s) { ActSpecifyTestExecutionLogExecute(s); };
    Act("ActSpecifyTestResult")->OnExecute = [this](TComponent* s) { ActSpecifyTestResultExecute(s); };
    Act("ActViewMethodList")->OnExecute = [this](TComponent* s) { ActViewMethodListExecute(s); };
    Act("ActNameByDirectory")->OnExecute = [this](TComponent* s) { ActNameByDirectoryExecute(s); };
    Act("ActSwitchOffLog")->OnExecute = [this](TComponent* s) { ActSwitchOffLogExecute(s); };
    Act("ActSwitchOnLog")->OnExecute = [this](TComponent* s) { ActSwitchOffLogExecute(s); };
    Act("ActHelpShell")->OnExecute = [this](TComponent* s) { ActHelpShellExecute(s); };
    Act("ActCompoundMetrics")->OnExecute = [this](TComponent* s) { ActCompoundMetricsExecute(s); };
    OnResize = [this](TComponent* s) { FormResize(s); };
    EditCommonRoot->OnEnter = [this](TComponent* s) { EditRulesEnter(s); };
    for (QCheckBox* q : GroupBoxExtras->findChildren<QCheckBox*>())
        if (auto* box = dynamic_cast<TCheckBox*>(q)) box->OnClick = [this](TComponent* s) { CheckBoxAuditClick(s); };
    FrameFindexecRepo_Tab->Edit->OnExit = [this](TComponent* s) { FrameFindexecUseCaseFileEditExit(s); };
    FrameFindexecRepo_Tab->Edit->OnEnter = [this](TComponent* s) { FrameFindexecRepo_TabEnter(s); };
    FrameFindexecRepo_Tab->OnFileChanged = [this](TComponent* s) { SetRepoTabColor(s); };
    MemoNewFileNames->OnChange = [this](TComponent* s) { MemoNewFileNamesChange(s); };

    // Help's table of contents: a menu item of its own, outside the gated
    // action list.
    auto* helpMenu = new TActionList(this, "ActionListHelpMenu");
    auto* contents = new TAction(helpMenu, "Contents1", "&Contents");
    contents->OnExecute = [this](TComponent* s) { Contents1Click(s); };
    Abouttheprogram1->addAction(contents);

    // Metric weights: the list draws its weights; ticks, keys and the mouse
    // reach the weight editor, which floats over the list.
    CheckListBoxMetrics->setItemDelegate(new TOwnerDrawDelegate(
        CheckListBoxMetrics, [this] { return ListItemHeight; }, {},
        [this](QPainter* p, const QRect& r, int i, bool) { CheckListBoxMetricsDrawItem(p, r, i); }));
    // One weight per metric whenever the metrics list changes: a list filled
    // from its file gets "Normal" for each new metric. A job's own weights
    // are read after its metrics list and replace these.
    auto fitWeights = [this] {
        TStringList& w = STLHMetricsWeights->StringList();
        if (w.Count() != CheckListBoxMetrics->Count()) SetAllMetricWeights(w, CheckListBoxMetrics->Count(), "1");
    };
    QAbstractItemModel* metricsModel = CheckListBoxMetrics->model();
    QObject::connect(metricsModel, &QAbstractItemModel::rowsInserted, this, fitWeights);
    QObject::connect(metricsModel, &QAbstractItemModel::rowsRemoved, this, fitWeights);
    QObject::connect(metricsModel, &QAbstractItemModel::modelReset, this, fitWeights);
    for (TCheckListBox* l : {CheckListBoxMetrics, CheckListBoxControlTags, CheckListBoxObjects})
        l->OnClickCheck = [this](TComponent* s) { CheckListBoxMetricsClickCheck(s); };
    if (auto* box = qobject_cast<QBoxLayout*>(TabSheetMetrics->layout())) box->removeWidget(ComboBoxMetricsWeights);
    ComboBoxMetricsWeights->setParent(CheckListBoxMetrics->viewport());
    ComboBoxMetricsWeights->SetVisible(false);
    ComboBoxMetricsWeights->OnExit = [this](TComponent* s) { ComboBoxMetricsWeightsExit(s); };
    auto* events = new TMetricsEvents(this);
    events->OnListKeyPress = [this](TComponent* s, char& k) { CheckListBoxMetricsKeyPress(s, k); };
    events->OnEditorKeyPress = [this](TComponent* s, char& k) { ComboBoxMetricsWeightsKeyPress(s, k); };
    events->OnRightButtonDown = [this](QWidget* list) { CheckListBoxMetricsMouseDown(list); };
    events->OnListMouseUp = [this](const QPoint& at) { CheckListBoxMetricsMouseUp(at); };
    events->OnListMouseMove = [this](const QPoint& at) { CheckListBoxMetricsMouseMove(at); };
    CheckListBoxMetrics->viewport()->setMouseTracking(true);
    for (QObject* o : std::initializer_list<QObject*>{CheckListBoxMetrics, CheckListBoxMetrics->viewport(),
                                                      ComboBoxMetricsWeights, ComboBoxMetricsWeights->view(),
                                                      CheckListBoxControlTags->viewport(),
                                                      CheckListBoxObjects->viewport()})
        o->installEventFilter(events);
    CheckListBoxSelectedFiles->OnRightButtonDown = [this](TComponent*) {
        CheckListBoxMetricsMouseDown(CheckListBoxSelectedFiles);
    };

    // The pop-up menus of the lists.
    PopupMenuSelectedFiles = new TMenuItem(this, this, "PopupMenuSelectedFiles", "");
    for (const char* a : {"ActAddfiles", "ActAddDirectories", "ActLoadTextFile", "-", "ActRemoveFiles",
                          "ActToggleSelect", "ActSelectAll", "ActUnselectAll", "-", "ActToggleComponent",
                          "ActToggleModule", "-", "ActSwitchOnLog"}) {
        if (std::string(a) == "-") PopupMenuSelectedFiles->addSeparator();
        else PopupMenuSelectedFiles->addAction(Act(a));
    }
    PopupMenuRulesMetricsLists = new TMenuItem(this, this, "PopupMenuRulesMetricsLists", "");
    for (const char* a : {"ActToggleSelect", "ActSelectAll", "ActUnselectAll"})
        PopupMenuRulesMetricsLists->addAction(Act(a));
    auto popup = [](QAbstractItemView* list, QMenu* menu) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(list, &QWidget::customContextMenuRequested, list,
                         [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
    };
    popup(CheckListBoxSelectedFiles, PopupMenuSelectedFiles);
    popup(CheckListBoxMetrics, PopupMenuRulesMetricsLists);
    popup(CheckListBoxRules, PopupMenuRulesMetricsLists);
}

// --------------------------------------------------------- test-tool inputs

void TfrmPemarisMain::ActSpecifyMethodFileExecute(TComponent*) { SpecifyTestToolInput("ActSpecifyMethodFile"); }
void TfrmPemarisMain::ActSpecifyTestCaseFileExecute(TComponent*) { SpecifyTestToolInput("ActSpecifyTestCaseFile"); }
void TfrmPemarisMain::ActSpecifyDefiXMLExecute(TComponent*) { SpecifyTestToolInput("ActSpecifyDefiXML"); }
void TfrmPemarisMain::ActSpecifyTestExecutionLogExecute(TComponent*) {
    SpecifyTestToolInput("ActSpecifyTestExecutionLog");
}
void TfrmPemarisMain::ActSpecifyTestResultExecute(TComponent*) { SpecifyTestToolInput("ActSpecifyTestResult"); }

void TfrmPemarisMain::SpecifyTestToolInput(const std::string& actionName) {
    const TTestToolInput& input = *TestToolInputOfAction(actionName);
    PageControlMain->SetActivePage(TabSheetNames);
    const std::string docs = IncludeTrailingSeparator(GetMyDocumentsDir(), '/');
    std::string folder;
    if (std::string(input.setting) == "TestCaseFiles") {
        folder = ReadSettingStr("TestCaseFiles");
        if (folder.empty()) folder = ReadSettingStr("TestedCasesFiles");
        if (folder.empty()) folder = docs;
    } else {
        folder = ReadSettingStrDef(input.setting, docs);
    }
    TOpenDialogRequest& o = OpenDialogWork->Options;
    o = TOpenDialogRequest{};
    o.multiSelect = input.many;
    o.mustExist = true;
    o.initialDir = folder;
    o.title = input.title;
    o.filters = ParseDialogFilter(input.filter);
    OpenDialogWork->FileName.clear();
    if (!OpenDialogWork->Execute()) return;
    const TTestToolChoice choice = SetTestToolEntries(SourceFiles, input, OpenDialogWork->Files);
    skippedSources_ = choice.skipped;
    ShowSkippedSources();
    if (choice.taken.empty()) return;
    CheckListBoxSelectedFiles->Changed();
    SetModified(true);
    const std::string& first = choice.taken.front();
    WriteSetting(input.setting, first.substr(0, first.find_last_of('/') + 1));
}

void TfrmPemarisMain::ActViewMethodListExecute(TComponent*) {
    const std::string path = MethodListPath(SourceFiles);
    if (path.empty()) MyStB->Error("Select the method list file first!");
    TabSheetViewer->SetTabVisible(true);
    PageControlMain->SetActivePage(TabSheetViewer);
    OpenTestCaseReport(path);
}

// ----------------------------------------------------------- metric weights

void TfrmPemarisMain::CheckListBoxMetricsDrawItem(QPainter* painter, const QRect& rect, int index) {
    TStringList& weights = STLHMetricsWeights->StringList();
    // Weights the job held are replaced: the job changed. A list that held
    // none (the metrics were loaded after the weights were filled) only
    // gets its first weights.
    const bool held = weights.Count() > 0;
    if (FitMetricWeights(weights, CheckListBoxMetrics->Count(), index) && held) SetModified(true);
    const std::string text = CheckListBoxMetrics->ItemText(index);
    const std::string& weight = MetricWeightNames()[static_cast<size_t>(MetricWeightIndex(weights[index]))];
    auto draw = [&](int x, const std::string& s) {
        painter->drawText(QRect(rect.left() + x, rect.top(), std::max(0, rect.width() - x), rect.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ToQ(s));
    };
    draw(2, text.substr(0, 4));
    draw(WidthIndexPrefix, weight);
    if (text.size() > 4) draw(WidthIndexPrefix + WidthWidestWeight, text.substr(4, 200));
}

void TfrmPemarisMain::CheckListBoxMetricsClickCheck(TComponent* sender) {
    // The weights follow the ticks of the metrics list only; the noun and
    // control-word lists share this handler for the modified flag.
    SetModified(true);
    if (sender != CheckListBoxMetrics) return;
    MetricWeightsFollowTicks();
}

void TfrmPemarisMain::MetricWeightsFollowTicks() {
    std::vector<bool> ticks;
    for (int i = 0; i < CheckListBoxMetrics->Count(); ++i) ticks.push_back(CheckListBoxMetrics->Checked(i));
    WeightsFollowTicks(STLHMetricsWeights->StringList(), ticks);
    CheckListBoxMetrics->viewport()->update();
}

void TfrmPemarisMain::SetAllWeights(const std::string& value) {
    SetAllMetricWeights(STLHMetricsWeights->StringList(), CheckListBoxMetrics->Count(), value);
    CheckListBoxMetrics->viewport()->update();
}

void TfrmPemarisMain::RefillMetricWeights() {
    if (RefillMetricWeightsFor(STLHMetricsWeights->StringList(), CheckListBoxMetrics->Count(), JobFileDate != 0))
        CheckListBoxMetrics->viewport()->update();
}

void TfrmPemarisMain::ShowMetricWeightEditor(int index) {
    if (index < 0 || index >= CheckListBoxMetrics->Count()) return;
    TStringList& weights = STLHMetricsWeights->StringList();
    FitMetricWeights(weights, CheckListBoxMetrics->Count(), index);
    const QRect item = CheckListBoxMetrics->visualItemRect(CheckListBoxMetrics->item(index));
    QStyleOptionViewItem opt;
    opt.initFrom(CheckListBoxMetrics);
    opt.rect = item;
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    const int left = TOwnerDrawDelegate::TextLeft(opt) + WidthIndexPrefix;
    MetricWeightEditorIndex = index;
    ComboBoxMetricsWeights->setGeometry(left, item.top(), std::max(WidthWidestWeight + 30, 60),
                                        std::max(item.height(), ComboBoxMetricsWeights->sizeHint().height()));
    ComboBoxMetricsWeights->SetItemIndex(MetricWeightIndex(weights[index]));
    CheckListBoxMetrics->clearSelection();
    ComboBoxMetricsWeights->SetVisible(true);
    ComboBoxMetricsWeights->setFocus();
}

void TfrmPemarisMain::StoreMetricWeight(bool close) {
    const int index = MetricWeightEditorIndex;
    if (index < 0 || index >= CheckListBoxMetrics->Count()) return;
    const int weight = std::max(0, ComboBoxMetricsWeights->ItemIndex());
    TStringList& weights = STLHMetricsWeights->StringList();
    FitMetricWeights(weights, CheckListBoxMetrics->Count(), index);
    weights.Put(index, std::to_string(weight));
    CheckListBoxMetrics->SetChecked(index, weight != 0);
    SetModified(true);
    if (close) CloseMetricWeightEditor();
    CheckListBoxMetrics->viewport()->update();
}

void TfrmPemarisMain::CloseMetricWeightEditor() {
    MetricWeightEditorIndex = -1;
    ComboBoxMetricsWeights->SetVisible(false);
    CheckListBoxMetrics->setFocus();
}

void TfrmPemarisMain::ComboBoxMetricsWeightsExit(TComponent*) {
    if (MetricWeightEditorIndex >= 0) StoreMetricWeight(true);
}

void TfrmPemarisMain::ComboBoxMetricsWeightsKeyPress(TComponent*, char& key) {
    if (key == '\r') StoreMetricWeight(true);
    else if (key == '\x1B') CloseMetricWeightEditor();
    else return;
    key = 0;
}

void TfrmPemarisMain::CheckListBoxMetricsKeyPress(TComponent*, char& key) {
    if (key != '\r') return;
    key = 0;
    ShowMetricWeightEditor(CheckListBoxMetrics->ItemIndex());
}

void TfrmPemarisMain::CheckListBoxMetricsMouseUp(const QPoint& at) {
    QListWidgetItem* item = CheckListBoxMetrics->itemAt(at);
    if (!item) return;
    QStyleOptionViewItem opt;
    opt.initFrom(CheckListBoxMetrics);
    opt.rect = CheckListBoxMetrics->visualItemRect(item);
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    if (at.x() >= TOwnerDrawDelegate::TextLeft(opt)) ShowMetricWeightEditor(CheckListBoxMetrics->row(item));
}

void TfrmPemarisMain::CheckListBoxMetricsMouseMove(const QPoint& at) {
    if (MetricWeightEditorIndex < 0 || !ComboBoxMetricsWeights->Visible()) return;
    const QRect keep = ComboBoxMetricsWeights->geometry().adjusted(-5, -5, 5, ListItemHeight + 5);
    if (!keep.contains(at)) StoreMetricWeight(true);
}

void TfrmPemarisMain::CheckListBoxMetricsMouseDown(QWidget* list) {
    for (QWidget* w = list; w; w = w->parentWidget())
        if (qobject_cast<QAbstractItemView*>(w)) {
            w->setFocus();
            return;
        }
}

// ---------------------------------------------------------- CSV translation

void TfrmPemarisMain::WriteJobrinParameters() {
    const std::string out = ExcludeTrailingSeparator(OutputDirectory(), '/');
    // The work folder of the output directory the document is written to.
    WorkFolder = out + "/work";
    ForceDirectories(WorkFolder);
    if (SameText(LanguageCode, "PB"))
        for (const char* sub : {"/ProcTabs", "/InclTabs", "/CommTabs", "/DataTabs", "/MaskTabs", "/StmtTabs"})
            ForceDirectories(WorkFolder + sub);
    TJobrinInput in;
    in.version = LanguageVersion;
    in.productName = ProductName;
    in.systemName = SystemName;
    in.exportsFolder = out + "/Exports";
    TStringList found;
    FindFilesRecursive(in.exportsFolder, "", ".csv;", found);
    for (const auto& f : found) in.exports.push_back(f.s);
    const TJobrinDocument doc = ComposeJobrinParameters(in);
    ParameterDocuments.Clear();
    ParameterDocuments.AddStrings(doc.lines);
    NewFileNames.SetValues(doc.names);
    NewFileNamesChanged();
    ReplaceOwnFileText(Cp1252ToUtf8(out + "/last.xml"), ParameterDocuments.Text(), out + "/last.xml");
}

void TfrmPemarisMain::ListCsxExports() {
    TSourceMessages messages;
    pem::ListCsxExports(ExcludeTrailingSeparator(OutputDirectory(), '/') + "/Exports", NewFileNames, messages);
    ShowSourceMessages(messages);
}

std::string TfrmPemarisMain::GetNewFileName(const std::string& text) const { return NewFileNames.Lookup(text); }
std::string TfrmPemarisMain::GetOriginalFileName(const std::string& text) const { return NewFileNames.Lookup(text); }

void TfrmPemarisMain::NewFileNamesChanged() {
    syncingNewFileNames_ = true;
    MemoNewFileNames->SetLines(NewFileNames.Lines());
    syncingNewFileNames_ = false;
}

void TfrmPemarisMain::MemoNewFileNamesChange(TComponent*) {
    // The memo's lines were set from the job file or edited: the store takes
    // them, and the renaming reads its entries from them again.
    if (syncingNewFileNames_) return;
    NewFileNames.Assign(MemoNewFileNames->Lines());
    InputTreeEntries.Clear();
}

// -------------------------------------------------------------- batch times

void TfrmPemarisMain::ShowLastBatchStart(double start) {
    BatchStart = start;
    BatchEnd = 0;
    SetCaption(CaptionWithBatchStart(Caption(), start));
    Application().ProcessMessages();
}

void TfrmPemarisMain::ShowLastBatchRuntime(double end) {
    BatchEnd = end;
    SetCaption(CaptionWithBatchRuntime(Caption(), BatchStart, end));
}

// ------------------------------------------------------- loops and progress

void TfrmPemarisMain::SetFileLoopStop(bool flag) {
    FileLoopStop = flag;
    FileLoopRunning = !flag;
}

void TfrmPemarisMain::SetBuildLoopStop(bool flag) {
    InputLoopStop = flag;
    InputLoopRunning = !flag;
}

void TfrmPemarisMain::SetProgressBarsVisible(bool show) {
    // Showing a shown group (or hiding a hidden one) changes nothing; the
    // window grows once for the group and shrinks once.
    if (show == ProgressShown) return;
    ProgressShown = show;
    const int h = GroupBoxSlider->sizeHint().height();
    GroupBoxSlider->SetVisible(show);
    resize(width(), std::max(minimumHeight(), height() + (show ? h : -h)));
}

bool TfrmPemarisMain::IsLanguageInList(const std::string& list) const { return pem::IsLanguageInList(LanguageCode, list); }

std::string TfrmPemarisMain::GetCheckedFlags(TControl* list) const { return CheckedFlags(Ticks(list)); }

// ------------------------------------------------------------ small handlers

void TfrmPemarisMain::SetNameByDirectory(bool flag) {
    SystemNameByDirectory = flag;
    Act("ActNameByDirectory")->SetChecked(flag);
}

void TfrmPemarisMain::ActNameByDirectoryExecute(TComponent*) {
    SetNameByDirectory(!SystemNameByDirectory);
    SetModified(true);
}

void TfrmPemarisMain::ActSwitchOffLogExecute(TComponent* sender) {
    MemoCaptureConsole->SetVisible(sender ? !MemoCaptureConsole->Visible() : true);
    const bool shown = MemoCaptureConsole->Visible();
    TAction* hide = Act("ActSwitchOffLog");
    TAction* show = Act("ActSwitchOnLog");
    hide->SetEnabled(shown);
    hide->SetVisible(shown);
    show->SetEnabled(!shown);
    show->SetVisible(!shown);
}

void TfrmPemarisMain::ActHelpShellExecute(TComponent*) {
    if (!Application().ShowHelp()) MyStB->ShowWarning("No help file " + Application().HelpFile);
}

void TfrmPemarisMain::Contents1Click(TComponent*) {
    if (!Application().ShowHelp(9999)) MyStB->ShowWarning("No help file " + Application().HelpFile);
}

// ActCompoundMetricsExecute: with the compound metrics window's other links
// (PemarisMainCompound.cpp).

void TfrmPemarisMain::FormResize(TComponent*) { ArrangeButtonsInRowsWithMargin(PanelBitButtons, -1); }

void TfrmPemarisMain::EditRulesEnter(TComponent* sender) {
    if (auto* e = dynamic_cast<TEdit*>(sender)) e->SetHint(e->Text());
}

void TfrmPemarisMain::CheckBoxAuditClick(TComponent* sender) {
    if (PanelExtraFiles->Visible()) FrameFindexecRepo_Tab->SetVisible(CheckBoxRepo_Tab->Checked());
    if (sender) SetModified(true);
}

void TfrmPemarisMain::FrameFindexecUseCaseFileEditExit(TComponent*) {
    FrameFindexecRepo_Tab->EditExit();
    SetModified(true);
}

void TfrmPemarisMain::FrameFindexecRepo_TabEnter(TComponent*) {
    FrameFindexecRepo_Tab->EditEnter();
    MyStB->ClearMessage();
}

void TfrmPemarisMain::SetRepoTabColor(TComponent*) {
    // A file chosen by the pick button exists: the edit loses its mark.
    if (FileExists(FrameFindexecRepo_Tab->FileName())) FrameFindexecRepo_Tab->CheckFile();
    SetModified(true);
}

void TfrmPemarisMain::SetFileViewStyle(int style) {
    FileViewStyle = FileViewStyleOf(style);
    IniSettings.FileViewStyle = FileViewStyle;
}

bool TfrmPemarisMain::IniFileBesideProgram() {
    if (IniBesideProgram == 0) {
        const std::string ini = GetProductIniFileName();
        const std::string name = ini.substr(ini.find_last_of('/') + 1);
        IniBesideProgram = !name.empty() && FileExistsIgnoringCase(ExeFolder() + name) ? 1 : -1;
    }
    return IniBesideProgram == 1;
}

} // namespace pem
