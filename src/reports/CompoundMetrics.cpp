#include "CompoundMetrics.h"

#include "BaseFileUtils.h"
#include "ButtonRows.h"
#include "CompoundComputation.h"
#include "HandlerGuard.h"
#include "MetricFileList.h"
#include "MyStatusBar.h"
#include "PF_XMLTable.h"
#include "QtText.h"
#include "ReportPrinter.h"
#include "SafeFiles.h"
#include "SettingsStore.h"
#include "SharedRoutinesCommon.h"
#include "XMLViewer.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <chrono>

namespace pem {

namespace {

const char* const kComputeCaption = "Coputing compund metrics from XML data";

TStringListHolder* MakeHolder(TComponent* owner, const char* name, const char* text) {
    auto* holder = new TStringListHolder(owner, name);
    holder->StringList().SetText(text);
    return holder;
}

struct BusyScope {
    bool before = Screen().Busy();
    BusyScope() { Screen().SetBusyCursor(true); }
    ~BusyScope() { Screen().SetBusyCursor(before); }
};

// Serves window events while a long loop runs, at most every 50 ms.
class EventPacer {
public:
    void Step() {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(50)) return;
        last_ = now;
        Application().ProcessMessages();
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

class TImportFileDelegate : public TListItemDelegate {
public:
    explicit TImportFileDelegate(TImportFileList* list) : TListItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // Background, selection and check box as the style draws them, then
        // the four columns in place of the text.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget* w = opt.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, w);

        const std::string entry = FromQ(index.data(Qt::DisplayRole).toString());
        const TMetricEntry e = SplitMetricEntry(entry);
        const QFontMetrics fm(opt.font);
        const int column = fm.horizontalAdvance("XXXXXXXX ");
        const int x = textRect.left() + 2;
        std::string pathField = " - " + e.Path;
        const int root = list_->Form->LabelCommonRoot->Tag();
        if (root > 0) pathField = " ... " + (pathField.size() > static_cast<size_t>(root) + 3
                                                 ? pathField.substr(static_cast<size_t>(root) + 3)
                                                 : std::string());
        const std::string label = KindLabelOf(list_->Form->StLHKodToLabel->StringList(), e.Type);
        const int pathLeft = x + 2 * column + fm.horizontalAdvance("Test Coverage ");
        painter->save();
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                          : opt.state & QStyle::State_Enabled ? QPalette::Text
                                                                               : QPalette::PlaceholderText));
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        auto draw = [&](int left, const std::string& s) {
            painter->drawText(QRect(left, textRect.top(), textRect.right() - left + 4096, textRect.height()), flags,
                              ToQ(s));
        };
        draw(x, e.Product);
        draw(x + column, e.System);
        draw(x + 2 * column, label);
        draw(pathLeft, pathField);
        painter->restore();
        const int right = pathLeft + fm.horizontalAdvance(ToQ(pathField));
        if (right > list_->Tag()) list_->SetTag(right);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = TListItemDelegate::sizeHint(option, index);
        s.setWidth(std::max(s.width(), list_->Tag()));
        return s;
    }

private:
    TImportFileList* list_;
};

} // namespace

TImportFileList::TImportFileList(TfrmCompoundMetrics* form, QWidget* parent)
    : TCheckListBox(form, parent, "CBImportFiles"), Form(form) {
    setItemDelegate(new TImportFileDelegate(this));
}

// ------------------------------------------------------------ creation

TfrmCompoundMetrics::TfrmCompoundMetrics() : TForm("frmCompoundMetrics", "TfrmCompoundMetrics") {
    SetCaption("Create compound metrics");
    Today = CompoundDate;
    STHXML_Defi_TavrelExport = MakeHolder(this, "STHXML_Defi_TavrelExport", kTemplateDefiTavrelExport);
    STHXML_Defi_ComponentRanking = MakeHolder(this, "STHXML_Defi_ComponentRanking", kTemplateDefiComponentRanking);
    STHXML_Chng_TavrelExport = MakeHolder(this, "STHXML_Chng_TavrelExport", kTemplateChngTavrelExport);
    STHXML_Chng_ComponentRanking = MakeHolder(this, "STHXML_Chng_ComponentRanking", kTemplateChngComponentRanking);
    STHXML_Project_Statistics = MakeHolder(this, "STHXML_Project_Statistics", kTemplateProjectStatistics);
    STHXML_Sample = MakeHolder(this, "STHXML_Sample", kTemplateCompoundSample);
    STHXML_Type_List = MakeHolder(this, "STHXML_Type_List", kTypeListTemplate);
    StLHKodToLabel = MakeHolder(this, "StLHKodToLabel", kKodToLabelTable);
    StLHLabelToKod = MakeHolder(this, "StLHLabelToKod", kLabelToKodTable);

    LabelCommonRoot = new TLabel(this, Client(), "LabelCommonRoot", "/");
    PanelWM_DropImportFiles = new TPanelWM_Drop(this, Client(), "PanelWM_DropImportFiles");
    static_cast<QBoxLayout*>(Client()->layout())->setStretchFactor(PanelWM_DropImportFiles, 1);
    CBImportFiles = new TImportFileList(this, PanelWM_DropImportFiles);
    CBImportFiles->SetSorted(true);
    Panel2 = new TPanel(this, Client(), "Panel2", TLayoutKind::None);
    auto button = [this](auto* b, int tag, int order) {
        b->SetTag(tag);
        b->SetTabOrder(order);
        b->resize(b->width(), 25);
        return b;
    };
    BitBtnGetFile = button(new TBitBtn(this, Panel2, "BitBtnGetFile"), 1, 0);
    BitBtnWM_DropGetDirectory = button(new TBitBtnWM_Drop(this, Panel2, "BitBtnWM_DropGetDirectory"), 1, 1);
    BitBtnRefreshList = button(new TBitBtn(this, Panel2, "BitBtnRefreshList"), 1, 2);
    BitBtnCreateReport = button(new TBitBtn(this, Panel2, "BitBtnCreateReport"), 2, 0);
    BitBtnSaveAsXML = button(new TBitBtn(this, Panel2, "BitBtnSaveAsXML"), 2, 1);
    BitBtnPrint = button(new TBitBtn(this, Panel2, "BitBtnPrint"), 2, 2);
    BitBtnWM_DropLoadFileList = button(new TBitBtnWM_Drop(this, Panel2, "BitBtnWM_DropLoadFileList"), 3, 0);
    BitBtnSaveFileList = button(new TBitBtn(this, Panel2, "BitBtnSaveFileList"), 3, 1);
    MyStB = new TMyStatusBar(this, this, "MyStB");
    setStatusBar(MyStB);
    OpenDialogWork = new TOpenDialog(this, "OpenDialogWork");
    SaveDialog = new TOpenDialog(this, "SaveDialog", true);

    ActionList2 = new TActionList(this, "ActionList2");
    auto act = [this](const char* name, const char* caption, const char* category = "") {
        return new TAction(ActionList2, name, caption, category);
    };
    ActSelectImporFile = act("ActSelectImporFile", "Add metrics files");
    ActSelectImportDirectory = act("ActSelectImportDirectory", "Add a folder");
    ActRefresh = act("ActRefresh", "Refresh list", "ExtraActions");
    ActShowSummary = act("ActShowSummary", "Show compound metrics");
    ActSaveToXML = act("ActSaveToXML", "Save as XML");
    ActPrintResult = act("ActPrintResult", "Print");
    ActLoadFileList = act("ActLoadFileList", "Load file list", "ExtraActions");
    ActSaveFileList = act("ActSaveFileList", "Save file list", "ExtraActions");
    ActImportShowXML = act("ActImportShowXML", "Show the file");
    ActRemoveUnchecked = act("ActRemoveUnchecked", "Remove unchecked files");
    ActImportReverseSelection = act("ActImportReverseSelection", "Reverse selection");
    ActSelectAll = act("ActSelectAll", "Select all");
    ActUnselectAll = act("ActUnselectAll", "Unselect all");
    ActToggleFileType = act("ActToggleFileType", "Select the file type under cursor");
    for (TAction* a : {ActRefresh, ActLoadFileList, ActSaveFileList}) a->SetVisible(false);
    BitBtnGetFile->SetAction(ActSelectImporFile);
    BitBtnWM_DropGetDirectory->SetAction(ActSelectImportDirectory);
    BitBtnRefreshList->SetAction(ActRefresh);
    BitBtnCreateReport->SetAction(ActShowSummary);
    BitBtnSaveAsXML->SetAction(ActSaveToXML);
    BitBtnPrint->SetAction(ActPrintResult);
    BitBtnWM_DropLoadFileList->SetAction(ActLoadFileList);
    BitBtnSaveFileList->SetAction(ActSaveFileList);
    PopupMenuImportFiles = new TMenuItem(this, this, "PopupMenuImportFiles", "");
    for (TAction* a : {ActImportShowXML, ActToggleFileType, ActImportReverseSelection, ActSelectAll, ActUnselectAll,
                       ActRemoveUnchecked, ActRefresh})
        PopupMenuImportFiles->addAction(a);
    CBImportFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(CBImportFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        PopupMenuImportFiles->popup(CBImportFiles->viewport()->mapToGlobal(p));
    });

    OnCreate = [this](TComponent* s) { FormCreate(s); };
    OnShow = [this](TComponent* s) { FormShow(s); };
    ActionList2->OnExecute = [this](TAction* a, bool& handled) { ActionList2Execute(a, handled); };
    ActSelectImporFile->OnExecute = [this](TComponent* s) { ActSelectImporFileExecute(s); };
    ActSelectImportDirectory->OnExecute = [this](TComponent* s) { ActSelectImportDirectoryExecute(s); };
    ActRefresh->OnExecute = [this](TComponent* s) { ActRefreshExecute(s); };
    ActShowSummary->OnExecute = [this](TComponent* s) { ActShowSummaryExecute(s); };
    ActSaveToXML->OnExecute = [this](TComponent* s) { ActSaveToXMLExecute(s); };
    ActPrintResult->OnExecute = [this](TComponent* s) { ActPrintResultExecute(s); };
    ActLoadFileList->OnExecute = [this](TComponent* s) { ActLoadFileListExecute(s); };
    ActSaveFileList->OnExecute = [this](TComponent* s) { ActSaveFileListExecute(s); };
    ActImportShowXML->OnExecute = [this](TComponent* s) { ActImportShowXMLExecute(s); };
    ActRemoveUnchecked->OnExecute = [this](TComponent* s) { ActRemoveUncheckedExecute(s); };
    ActImportReverseSelection->OnExecute = [this](TComponent* s) { ActImportReverseSelectionExecute(s); };
    ActSelectAll->OnExecute = [this](TComponent* s) { ActSelectAllExecute(s); };
    ActUnselectAll->OnExecute = [this](TComponent* s) { ActUnselectAllExecute(s); };
    ActToggleFileType->OnExecute = [this](TComponent* s) { ActToggleFileTypeExecute(s); };
    CBImportFiles->OnClick = [this](TComponent* s) { CBImportFilesClick(s); };
    CBImportFiles->OnClickCheck = [this](TComponent* s) { CBImportFilesClickCheck(s); };
    CBImportFiles->OnDblClick = [this](TComponent* s) { CBImportFilesDblClick(s); };
    QObject::connect(CBImportFiles, &QListWidget::currentRowChanged, this,
                     [this](int) { FireEvent(CBImportFiles->OnClick, CBImportFiles); });
    using M = TWMDropFiles;
    PanelWM_DropImportFiles->OnWMDropFileMessage = [this](TComponent* s, const M& m) { PanelWM_DropImportFilesWMDropFileMessage(s, m); };
    BitBtnWM_DropGetDirectory->OnWMDropFileMessage = [this](TComponent* s, const M& m) { PanelWM_DropImportFilesWMDropFileMessage(s, m); };
    BitBtnWM_DropLoadFileList->OnWMDropFileMessage = [this](TComponent* s, const M& m) { BitBtnWM_DropLoadFileListWMDropFileMessage(s, m); };
    Panel2->installEventFilter(this);
    resize(720, 420);
}

TReportTemplates TfrmCompoundMetrics::ReportTemplates() const {
    return {STHXML_Defi_TavrelExport->StringList().Text(), STHXML_Defi_ComponentRanking->StringList().Text(),
            STHXML_Chng_TavrelExport->StringList().Text(), STHXML_Chng_ComponentRanking->StringList().Text(),
            STHXML_Project_Statistics->StringList().Text()};
}

TfrmCompoundMetrics* TfrmCompoundMetrics::Instance() {
    return dynamic_cast<TfrmCompoundMetrics*>(Screen().FindForm("frmCompoundMetrics"));
}

std::string TfrmCompoundMetrics::ProductName() const { return Host ? Host->CompoundProductName() : std::string(); }
std::string TfrmCompoundMetrics::OutputDirectory() const {
    return Host ? Host->CompoundOutputDirectory() : std::string();
}

void TfrmCompoundMetrics::JobModified() {
    if (ActSaveFileList->Visible() && Host) Host->CompoundJobModified();
}

std::string TfrmCompoundMetrics::EntryPath(int i) const { return MetricEntryPath(CBImportFiles->ItemText(i)); }

// ------------------------------------------------------------ form events

// The button panel as high as its rows of buttons.
void TfrmCompoundMetrics::FitButtonPanel() {
    int bottom = 0;
    for (QWidget* b : Panel2->findChildren<QWidget*>())
        if (!b->isHidden()) bottom = std::max(bottom, b->y() + b->height() + 4);
    Panel2->setFixedHeight(std::max(bottom, 4));
}

void TfrmCompoundMetrics::LayOutNow() {
    if (layout()) layout()->activate();
    if (Client()->layout()) Client()->layout()->activate();
}

void TfrmCompoundMetrics::FormCreate(TComponent*) {
    LayOutNow();
    ArrangeButtonsInRowsWithMargin(Panel2, -1);
    FitButtonPanel();
    const int panelWidth = Panel2->property("Tag").toInt() + 8;
    if (panelWidth > width()) resize(panelWidth, height());
    CBImportFiles->SetItemHeight(QFontMetrics(CBImportFiles->font()).boundingRect("Wg").height() + 4);
}

void TfrmCompoundMetrics::FormShow(TComponent*) {
    if (QWidget* main = Host ? Host->CompoundMainWindow() : nullptr) {
        const QRect r = main->geometry();
        setGeometry(r.left() + 40, r.top() + 40, std::max(width(), r.width() * 2 / 3),
                    std::max(height(), r.height() * 2 / 3));
    }
    MyStB->ClearMessage();
    for (QWidget* target : std::initializer_list<QWidget*>{PanelWM_DropImportFiles, BitBtnWM_DropGetDirectory,
                                                           BitBtnWM_DropLoadFileList})
        DragAcceptFiles(target, true);
    if (!ActSaveFileList->Visible()) CBImportFiles->ClearItems();
    if (CBImportFiles->Count() > 0) RefreshImportList();
    else AddImportDirectory(IncludeTrailingSeparator(OutputDirectory(), '/') + "Tavrel");
    BitBtnCreateReport->setFocus();
}

void TfrmCompoundMetrics::FormResize() {
    ArrangeButtonsInRows(Panel2);
    FitButtonPanel();
    SetScrollExtent();
}

void TfrmCompoundMetrics::resizeEvent(QResizeEvent* e) {
    TForm::resizeEvent(e);
    RunGuarded([this] { FormResize(); });
}

bool TfrmCompoundMetrics::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Panel2 && e->type() == QEvent::Resize) {
        const auto* r = static_cast<QResizeEvent*>(e);
        if (r->size().width() != r->oldSize().width()) RunGuarded([this] { FormResize(); });
    }
    return TForm::eventFilter(watched, e);
}

void TfrmCompoundMetrics::SetScrollExtent() { CBImportFiles->doItemsLayout(); }

void TfrmCompoundMetrics::ActionList2Execute(TAction*, bool&) { MyStB->ClearMessage(); }

// ------------------------------------------------------------ adding files

void TfrmCompoundMetrics::ImportFiles(const std::vector<std::string>& paths, bool foldersToo,
                                      const char* invalidText) {
    std::vector<std::string> listed;
    listed.reserve(static_cast<size_t>(CBImportFiles->Count()));
    for (int i = 0; i < CBImportFiles->Count(); ++i) listed.push_back(CBImportFiles->ItemText(i));
    TMetricImport import(StLHKodToLabel->StringList(), ProductName(), listed);
    EventPacer pacer;
    auto examine = [&](const std::string& file) {
        if (import.Check(file)) JobModified();
        pacer.Step();
    };
    for (const std::string& p : paths) {
        if (foldersToo && DirectoryExists(p)) {
            TStringList found;
            FindFilesRecursive(p, "", ".xml;", found);
            for (const auto& f : found) examine(f.s);
        } else {
            examine(p);
        }
    }
    if (!import.Added().empty()) {
        // One pass into the list: the entries there keep their marks, the
        // new ones join and the list sorts once.
        std::vector<TListItemData> items;
        items.reserve(static_cast<size_t>(CBImportFiles->Count()) + import.Added().size());
        for (int i = 0; i < CBImportFiles->Count(); ++i)
            items.push_back({CBImportFiles->ItemText(i), CBImportFiles->Checked(i), CBImportFiles->ItemEnabled(i)});
        for (const auto& a : import.Added()) items.push_back({a.Text, a.Ticked, true});
        CBImportFiles->AssignItems(std::move(items));
    }
    RefreshImportList();
    if (!import.InvalidList().empty()) MyStB->Error(invalidText + import.InvalidList().substr(1));
}

void TfrmCompoundMetrics::AddImportFiles(const std::vector<std::string>& files) {
    if (files.empty()) return;
    ImportFiles(files, false, "The following files do not exist any more - ");
}

void TfrmCompoundMetrics::AddImportDirectory(const std::string& folder) {
    BusyScope busy;
    ImportFiles({folder}, true, "The following files are not valid for processing - ");
}

bool TfrmCompoundMetrics::ExecuteOpenDialog(const std::string& initialDir, const char* title, const char* filter) {
    TOpenDialogRequest req;
    req.multiSelect = true;
    req.mustExist = true;
    req.initialDir = initialDir;
    req.title = title;
    req.filters = ParseDialogFilter(filter);
    OpenDialogWork->Options = req;
    OpenDialogWork->FileName.clear();
    return OpenDialogWork->Execute() && !OpenDialogWork->Files.empty();
}

void TfrmCompoundMetrics::SelectImportFiles() {
    if (!ExecuteOpenDialog(ReadSettingStr("LastImportDir"), "Find importable data", "XML files  (*.xml)|*.xml"))
        return;
    WriteSetting("LastImportDir", ExtractFilePath(OpenDialogWork->Files.front()));
    AddImportFiles(OpenDialogWork->Files);
}

void TfrmCompoundMetrics::SelectImportDirectory() {
    std::string folder;
    if (!Dialogs().SelectDirectory("Select a folder containing metrics import files to add to the import list",
                                   OutputDirectory(), folder))
        return;
    AddImportDirectory(folder);
}

void TfrmCompoundMetrics::ActSelectImporFileExecute(TComponent*) { SelectImportFiles(); }
void TfrmCompoundMetrics::ActSelectImportDirectoryExecute(TComponent*) { SelectImportDirectory(); }

void TfrmCompoundMetrics::PanelWM_DropImportFilesWMDropFileMessage(TComponent*, const TWMDropFiles& msg) {
    BusyScope busy;
    std::vector<std::string> paths;
    for (const auto& f : msg.Files)
        if (DirectoryExists(f.s) || AsciiLowerCase(ExtractFileExt(f.s)) == ".xml") paths.push_back(f.s);
    ImportFiles(paths, true, "The following files are not valid for processing - ");
}

// ------------------------------------------------------------ the list

void TfrmCompoundMetrics::RefreshImportList() {
    std::vector<std::string> ticked;
    for (int i = 0; i < CBImportFiles->Count(); ++i) {
        if (!CBImportFiles->Checked(i)) continue;
        const std::string path = EntryPath(i);
        if (!FileExists(path)) {
            CBImportFiles->SetChecked(i, false);
            CBImportFiles->SetItemEnabled(i, false);
            JobModified();
            MyStB->AddMessage("File " + path + " doesn't exist any more!", true);
            continue;
        }
        ticked.push_back(path);
    }
    bool sameDrive = true;
    const std::string root = CommonRootOf(ticked, sameDrive);
    if (!sameDrive) MyStB->Error("Cannot determine\"System\" direcory, all modules must reside on the same drive!");
    LabelCommonRoot->SetCaption(root);
    LabelCommonRoot->SetTag(static_cast<int>(root.size()));
    CBImportFiles->viewport()->update();
}

void TfrmCompoundMetrics::ListChanged() {
    RefreshImportList();
    JobModified();
}

void TfrmCompoundMetrics::ActImportShowXMLExecute(TComponent*) {
    const int i = CBImportFiles->ItemIndex();
    if (i < 0 || i >= CBImportFiles->Count()) return;
    TfrmXMLViewer* viewer = TfrmXMLViewer::Instance();
    const std::string path = EntryPath(i);
    const bool shown = viewer && viewer->LoadFile(path);
    CBImportFiles->SetChecked(i, shown);
    CBImportFiles->SetItemEnabled(i, shown);
    if (!shown) MyStB->Error(TfrmXMLViewer::MissingFileText(path));
}

void TfrmCompoundMetrics::ActRemoveUncheckedExecute(TComponent*) {
    for (int i = CBImportFiles->Count() - 1; i >= 0; --i)
        if (!CBImportFiles->Checked(i)) CBImportFiles->DeleteItem(i);
    ListChanged();
}

void TfrmCompoundMetrics::ActImportReverseSelectionExecute(TComponent*) {
    for (int i = 0; i < CBImportFiles->Count(); ++i)
        if (CBImportFiles->ItemEnabled(i)) CBImportFiles->SetChecked(i, !CBImportFiles->Checked(i));
    ListChanged();
}

void TfrmCompoundMetrics::ActSelectAllExecute(TComponent*) {
    for (int i = 0; i < CBImportFiles->Count(); ++i) CBImportFiles->SetChecked(i, true);
    ListChanged();
}

void TfrmCompoundMetrics::ActUnselectAllExecute(TComponent*) {
    for (int i = 0; i < CBImportFiles->Count(); ++i) CBImportFiles->SetChecked(i, false);
    ListChanged();
}

void TfrmCompoundMetrics::CBImportFilesClick(TComponent*) {
    const int i = CBImportFiles->ItemIndex();
    const bool ticked = i >= 0 && i < CBImportFiles->Count() && CBImportFiles->Checked(i);
    ActToggleFileType->SetCaption(ticked ? "Deselect the file type under cursor" : "Select the file type under cursor");
}

void TfrmCompoundMetrics::ActToggleFileTypeExecute(TComponent*) {
    const int sel = CBImportFiles->ItemIndex();
    if (sel < 0 || sel >= CBImportFiles->Count()) return;
    const std::string type = SplitMetricEntry(CBImportFiles->ItemText(sel)).Type;
    for (int i = 0; i < CBImportFiles->Count(); ++i)
        if (SplitMetricEntry(CBImportFiles->ItemText(i)).Type == type)
            CBImportFiles->SetChecked(i, !CBImportFiles->Checked(i));
    CBImportFilesClick(CBImportFiles);
    ListChanged();
}

void TfrmCompoundMetrics::CBImportFilesClickCheck(TComponent*) { ListChanged(); }

void TfrmCompoundMetrics::CBImportFilesDblClick(TComponent* sender) { ActImportReverseSelectionExecute(sender); }

void TfrmCompoundMetrics::ActRefreshExecute(TComponent*) {
    CBImportFiles->ClearItems();
    AddImportDirectory(IncludeTrailingSeparator(OutputDirectory(), '/') + "Tavrel");
    ListChanged();
}

// ------------------------------------------------------------ metrics file lists

void TfrmCompoundMetrics::ActSaveFileListExecute(TComponent*) {
    TOpenDialogRequest req;
    req.fileName = (Host ? Host->CompoundProjectName() : std::string()) + ".flst";
    req.initialDir = ReadSettingStr("JobGroupDir");
    req.title = "Save metrics file list as...";
    req.filters = ParseDialogFilter("Metrics file lists (*.flst)|*.flst");
    req.overwritePrompt = true;
    req.mustExist = false;
    SaveDialog->Options = req;
    SaveDialog->FileName.clear();
    if (!SaveDialog->Execute()) MyStB->Error("Save cancelled");
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(CBImportFiles->Count()));
    for (int i = 0; i < CBImportFiles->Count(); ++i) paths.push_back(EntryPath(i));
    const std::string file = ChangeFileExt(SaveDialog->FileName, ".flst");
    ReplaceFileText(Cp1252ToUtf8(file), MetricsFileListText(paths), file);
    WriteSetting("JobGroupDir", ExtractFilePath(file));
}

void TfrmCompoundMetrics::ActLoadFileListExecute(TComponent*) {
    if (!ExecuteOpenDialog(ReadSettingStr("JobGroupDir"), "Find a save metrics file list",
                           "Metrics file lists (*.flst)|*.flst"))
        return;
    const std::string file = OpenDialogWork->FileName;
    const std::vector<std::string> lines = ReadMetricsFileList(file);
    if (lines.empty()) return;
    WriteSetting("JobGroupDir", ExtractFilePath(file));
    CBImportFiles->ClearItems();
    AddImportFiles(lines);
}

void TfrmCompoundMetrics::BitBtnWM_DropLoadFileListWMDropFileMessage(TComponent*, const TWMDropFiles& msg) {
    if (msg.Files.Count() != 1) return;
    const std::string file = msg.Files[0];
    if (DirectoryExists(file) || !StartsWithText(".flst", ExtractFileExt(file))) return;
    const std::vector<std::string> lines = ReadMetricsFileList(file);
    if (lines.empty()) return;
    WriteSetting("JobGroupDir", ExtractFilePath(file));
    AddImportFiles(lines);
}

// ------------------------------------------------------------ the result

std::string TfrmCompoundMetrics::ComputeCompoundMetrics() {
    int n = 0;
    for (int i = 0; i < CBImportFiles->Count(); ++i)
        if (CBImportFiles->ItemEnabled(i) && CBImportFiles->Checked(i)) ++n;
    if (Host) Host->CompoundProgressBegin(kComputeCaption, n);
    TCompoundMetrics metrics;
    const TStringList& table = StLHKodToLabel->StringList();
    for (int i = 0; i < CBImportFiles->Count(); ++i) {
        if (!CBImportFiles->ItemEnabled(i) || !CBImportFiles->Checked(i)) continue;
        // The entry shows as out of the game while it is read; a file that
        // fails leaves it so.
        CBImportFiles->SetItemEnabled(i, false);
        CBImportFiles->SetChecked(i, false);
        const TMetricEntry e = SplitMetricEntry(CBImportFiles->ItemText(i));
        metrics.AddFile(e.Path, KindLabelOf(table, e.Type), e.System);
        if (Host) Host->CompoundProgressStep();
        if (i < CBImportFiles->Count()) {
            CBImportFiles->SetItemEnabled(i, true);
            CBImportFiles->SetChecked(i, true);
        }
    }
    const std::string text = metrics.ResultText(STHXML_Sample->StringList().Text(), ProductName(), Today());
    if (Host) Host->CompoundProgressEnd();
    return text;
}

void TfrmCompoundMetrics::FillComprehensiveReport(const std::string& text) {
    const std::string product = ProductName();
    const TComprehensiveReport report =
        ComprehensiveReportOf(text, product, Host ? Host->CompoundSystemName() : std::string());
    auto* form = dynamic_cast<TQRfrm_XMLTable*>(Screen().FindForm("QRfrm_XMLTable"));
    std::unique_ptr<TQRfrm_XMLTable> own;
    if (!form) {
        own = std::make_unique<TQRfrm_XMLTable>();
        form = own.get();
    }
    form->ReportTitle = report.Title;
    form->QRLabelProductName = product;
    form->QRLabelSystemName = report.SystemsLabel;
    form->QRLabelTableName = report.TableLabel;
    form->QRLabelElementType = "Comprehensive Report";
    form->Items = report.Lines;
    form->PrinterSettings.PrinterName = CurrentPrinterName();
    if (Host && Host->CompoundPreviewBeforePrinting()) form->Preview();
    else form->Print();
}

void TfrmCompoundMetrics::ActShowSummaryExecute(TComponent*) {
    const std::string text = ComputeCompoundMetrics();
    // A file of the output directory's own: a link in its place is replaced,
    // never written through.
    const std::string file = IncludeTrailingSeparator(OutputDirectory(), '/') + ProductName() + "_Compound_Metrics.xml";
    ReplaceOwnFileText(Cp1252ToUtf8(file), text, file);
    TfrmXMLViewer* viewer = TfrmXMLViewer::Instance();
    if (viewer && !viewer->LoadFile(file)) MyStB->Error(TfrmXMLViewer::MissingFileText(file));
}

void TfrmCompoundMetrics::ActSaveToXMLExecute(TComponent*) {
    TOpenDialogRequest req;
    req.fileName = ProductName() + "_Compound_Metrics";
    req.initialDir = ExcludeTrailingSeparator(OutputDirectory(), '/');
    req.title = "Save metrics file as...";
    req.filters = ParseDialogFilter("Metrics files (*.xml)|*.xml");
    req.defaultExt = "xml";
    req.mustExist = false;
    SaveDialog->Options = req;
    SaveDialog->FileName.clear();
    if (!SaveDialog->Execute()) MyStB->Error("Save cancelled");
    const std::string file = SaveDialog->FileName;
    const std::string text = ComputeCompoundMetrics();
    ReplaceFileText(Cp1252ToUtf8(file), text, file);
}

void TfrmCompoundMetrics::ActPrintResultExecute(TComponent*) { FillComprehensiveReport(ComputeCompoundMetrics()); }

} // namespace pem
