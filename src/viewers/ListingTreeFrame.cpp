#include "ListingTreeFrame.h"

#include "BaseFileUtils.h"
#include "ButtonRows.h"
#include "Controls.h"
#include "Exceptions.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"
#include "QtText.h"

#include "DesktopServices.h"
#include "ReportPainter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidgetItem>
#include <algorithm>
#include <functional>
#include <map>

namespace pem {

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;
constexpr int kSourceRole = Qt::UserRole + 3;  // the description the node came from
constexpr int kIndexRole = Qt::UserRole + 4;   // its place there
constexpr int kPendingRole = Qt::UserRole + 5; // its children are still to be made

QStyle::StandardPixmap PixmapOf(int image) {
    switch (image) {
    case 0: return QStyle::SP_FileIcon;                // entry
    case 1: return QStyle::SP_ArrowRight;              // inputs
    case 2: return QStyle::SP_ArrowLeft;               // outputs
    case 3: return QStyle::SP_MessageBoxQuestion;      // predicates
    case 5: return QStyle::SP_DirClosedIcon;           // section
    case 6: return QStyle::SP_DirOpenIcon;             // section, selected
    case 7: return QStyle::SP_FileIcon;                // source
    case 8: return QStyle::SP_FileDialogContentsView;  // source, selected
    case 9: return QStyle::SP_DirLinkIcon;             // group
    case 10: return QStyle::SP_ArrowForward;           // reference
    default: return QStyle::SP_FileDialogDetailedView; // entry of a section
    }
}

} // namespace

QIcon ListingTreeIcon(int image, int selectedImage) {
    static std::map<std::pair<int, int>, QIcon> cache;
    auto it = cache.find({image, selectedImage});
    if (it != cache.end()) return it->second;
    QIcon icon;
    if (image >= 0 && qApp) {
        QStyle* style = QApplication::style();
        icon.addPixmap(style->standardIcon(PixmapOf(image)).pixmap(16, 16), QIcon::Normal);
        if (selectedImage >= 0)
            icon.addPixmap(style->standardIcon(PixmapOf(selectedImage)).pixmap(16, 16), QIcon::Selected);
    }
    cache.emplace(std::make_pair(image, selectedImage), icon);
    return icon;
}

TListingTreeFrame::TListingTreeFrame(const TFrameCreateArgs& args, const std::string& name, const char* className)
    : TFrameViewerBase(args.owner, args.parent, name, className), Context(args.context) {
    StatusBar = Context ? Context->ProjectStatusBar() : nullptr;
    AutoExpand = Context && Context->ProjectViewerAutoExpand();
}

TMyStatusBar* TListingTreeFrame::Bar() const { return Context ? Context->ProjectStatusBar() : StatusBar; }

std::string TListingTreeFrame::PrintTitle() const { return ExtractFileName(FileName); }

// ------------------------------------------------------------ the tree

int TListingTreeFrame::NodeData(const QTreeWidgetItem* node) { return node ? node->data(0, kDataRole).toInt() : -1; }

int TListingTreeFrame::NodeImage(const QTreeWidgetItem* node) { return node ? node->data(0, kImageRole).toInt() : -1; }

int TListingTreeFrame::NodeSelectedImage(const QTreeWidgetItem* node) {
    return node ? node->data(0, kSelectedImageRole).toInt() : -1;
}

int TListingTreeFrame::NodeLevel(const QTreeWidgetItem* node) {
    int level = -1;
    for (; node; node = node->parent()) ++level;
    return level;
}

QTreeWidgetItem* TListingTreeFrame::Ancestor(QTreeWidgetItem* node, int level) {
    const int own = NodeLevel(node);
    if (!node || level < 0 || level > own) return nullptr;
    for (int l = own; l > level; --l) node = node->parent();
    return node;
}

std::string TListingTreeFrame::TreeText() {
    std::string out;
    std::function<void(QTreeWidgetItem*, int)> append = [&](QTreeWidgetItem* node, int level) {
        MakeChildren(node);
        out.append(static_cast<size_t>(level) * 2, ' ');
        out += FromQ(node->text(0));
        out += '\n';
        for (int i = 0; i < node->childCount(); ++i) append(node->child(i), level + 1);
    };
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i) append(TreeView1->topLevelItem(i), 0);
    return out;
}

QTreeWidgetItem* TListingTreeFrame::FindNode(const std::vector<std::string>& path) {
    QTreeWidgetItem* node = nullptr;
    for (const std::string& text : path) {
        if (node) MakeChildren(node);
        const QString q = ToQ(text);
        QTreeWidgetItem* next = nullptr;
        const int n = node ? node->childCount() : TreeView1->topLevelItemCount();
        for (int i = 0; i < n && !next; ++i) {
            QTreeWidgetItem* c = node ? node->child(i) : TreeView1->topLevelItem(i);
            if (c->text(0) == q) next = c;
        }
        if (!next) return nullptr;
        node = next;
    }
    return node;
}

void TListingTreeFrame::BindTree() {
    TreeView1->OnChanging = [this](TComponent*, QTreeWidgetItem* n, bool& ok) { ok = TreeView1Changing(Leaving(), n); };
    TreeView1->OnChange = [this](TComponent*) { TreeView1Change(TreeView1->currentItem()); };
    QObject::connect(TreeView1, &QTreeWidget::itemExpanded, TreeView1,
                     [this](QTreeWidgetItem* node) { RunGuarded([&] { MakeChildren(node); }); });
}

QTreeWidgetItem* TListingTreeFrame::Leaving() { return left_ = TreeView1->Selected(); }

void TListingTreeFrame::TreeView1Change(QTreeWidgetItem* node) {
    QTreeWidgetItem* left = left_;
    left_ = nullptr;
    if (!node) return;
    NodeChanged(node);
    if (AutoExpand) ExpandSelected(node, left);
}

void TListingTreeFrame::ExpandSelected(QTreeWidgetItem* node, QTreeWidgetItem* left) {
    bool ancestor = false;
    for (QTreeWidgetItem* p = node->parent(); p && !ancestor; p = p->parent()) ancestor = p == left;
    if (left && !ancestor && left != node) left->setExpanded(false);
    node->setExpanded(true);
}

void TListingTreeFrame::ClearTree() {
    const QSignalBlocker block(TreeView1);
    left_ = nullptr;
    TreeView1->clear();
    sources_.clear();
}

QTreeWidgetItem* TListingTreeFrame::MakeNode(int source, size_t index) const {
    const ITreeSource& s = *sources_[static_cast<size_t>(source)];
    auto* item = new QTreeWidgetItem();
    item->setText(0, ToQ(s.Text(index)));
    item->setData(0, kDataRole, s.Data(index));
    const int image = s.Image(index), selected = s.SelectedImage(index);
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selected);
    if (image >= 0) item->setIcon(0, ListingTreeIcon(image, selected));
    if (index + 1 < s.Size() && s.Level(index + 1) > s.Level(index)) {
        item->setData(0, kSourceRole, source);
        item->setData(0, kIndexRole, static_cast<qulonglong>(index));
        item->setData(0, kPendingRole, true);
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    return item;
}

void TListingTreeFrame::FillTree(QTreeWidgetItem* parent, TTreeLines lines) {
    FillTree(parent, std::make_shared<TTreeLinesSource>(std::move(lines)));
}

void TListingTreeFrame::FillTree(QTreeWidgetItem* parent, std::shared_ptr<const ITreeSource> source) {
    const QSignalBlocker block(TreeView1);
    TreeView1->setUpdatesEnabled(false);
    if (!parent) {
        left_ = nullptr;
        TreeView1->clear();
        sources_.clear();
    }
    const int id = static_cast<int>(sources_.size());
    sources_.push_back(std::move(source));
    const ITreeSource& s = *sources_.back();
    QList<QTreeWidgetItem*> first;
    for (size_t i = 0; i < s.Size(); ++i)
        if (s.Level(i) == 0) first.append(MakeNode(id, i));
    if (parent)
        parent->addChildren(first);
    else
        TreeView1->addTopLevelItems(first);
    TreeView1->setUpdatesEnabled(true);
}

void TListingTreeFrame::MakeChildren(QTreeWidgetItem* node) {
    if (!node || !node->data(0, kPendingRole).toBool()) return;
    node->setData(0, kPendingRole, false);
    const int id = node->data(0, kSourceRole).toInt();
    if (id < 0 || id >= static_cast<int>(sources_.size())) return;
    const ITreeSource& s = *sources_[static_cast<size_t>(id)];
    const size_t at = node->data(0, kIndexRole).toULongLong();
    const int level = s.Level(at);
    QList<QTreeWidgetItem*> children;
    for (size_t k = at + 1; k < s.Size() && s.Level(k) > level; ++k)
        if (s.Level(k) == level + 1) children.append(MakeNode(id, k));
    const QSignalBlocker block(TreeView1);
    node->addChildren(children);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

// ------------------------------------------------------------ the source view

int TListingTreeFrame::ShowSourceLine(int n, int linesAbove) {
    const int line = std::max(n, 1) - 1;
    if (!RichEditSourceView->ShowLine(line, linesAbove)) {
        if (TMyStatusBar* bar = Bar()) bar->Error(LineTooHighText(n));
        Abort();
    }
    return RichEditSourceView->LineStart(line);
}

void TListingTreeFrame::LoadSourceText(const std::string& path) {
    RichEditSourceView->ClearMarks();
    RichEditSourceView->LoadTextFile(path);
}

// ------------------------------------------------------------ layout

QSplitter* TListingTreeFrame::AddSplitter(QWidget* parent, Qt::Orientation orientation, const char* name) {
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setObjectName(name);
    AddToParentLayout(parent, splitter);
    if (auto* box = qobject_cast<QBoxLayout*>(parent->layout())) box->setStretchFactor(splitter, 1);
    return splitter;
}

void TListingTreeFrame::resizeEvent(QResizeEvent* e) {
    TFrameViewerBase::resizeEvent(e);
    RunGuarded([this] { FrameResize(); });
}

// ------------------------------------------------------------ specification frames

TSpecsTreeFrame::TSpecsTreeFrame(const TFrameCreateArgs& args, const std::string& name, const char* className,
                                 bool withHeader)
    : TListingTreeFrame(args, name, className) {
    Panel0 = new TPanel(this, this, "Panel0", TLayoutKind::None);
    Panel0->setFixedHeight(32);
    LabelDescr = new TLabel(this, Panel0, "LabelDescr");
    BitBtnClose = new TBitBtn(this, Panel0, "BitBtnClose", "&Close");
    BitBtnClose->SetTag(1);
    BitBtnClose->setFixedHeight(kFrameButtonHeight);
    Splitter2 = AddSplitter(this, Qt::Horizontal, "Splitter2");
    Panel1 = new TPanel(this, Splitter2, "Panel1");
    Splitter2->addWidget(Panel1);
    TreeView1 = new TTreeView(this, Panel1, "TreeView1");
    Panel2 = new TPanel(this, Splitter2, "Panel2");
    Splitter2->addWidget(Panel2);
    PanelComment = new TPanel(this, Panel2, "PanelComment");
    LabelComment = new TLabel(this, PanelComment, "LabelComment");
    PanelListType = new TPanel(this, Panel2, "PanelListType");
    LabelListType = new TLabel(this, PanelListType, "LabelListType");
    if (withHeader) {
        PanelHeader = new TPanel(this, Panel2, "PanelHeader");
        LabelHeader = new TLabel(this, PanelHeader, "LabelHeader");
    }
    Splitter1 = AddSplitter(Panel2, Qt::Vertical, "Splitter1");
    MemoSpecs = new TMemo(this, Splitter1, "MemoSpecs");
    MemoSpecs->SetReadOnly(true);
    MemoSpecs->setLineWrapMode(QPlainTextEdit::NoWrap);
    Splitter1->addWidget(MemoSpecs);
    RichEditSourceView = new TListingView(this, Splitter1, "RichEditSourceView");
    Splitter1->addWidget(RichEditSourceView);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({260, 600});

    BitBtnClose->OnClick = [this](TComponent* s) { BitBtnCloseClick(s); };
    MemoSpecs->OnDblClick = [this](TComponent* s) { MemoSpecsDblClick(s); };
    RichEditSourceView->OnSelectionChange = [this](TComponent* s) { RichEditSourceViewSelectionChange(s); };
    BindTree();
}

void TSpecsTreeFrame::SetViewerFont(const TFontSpec* font) {
    TFrameViewerBase::SetViewerFont(font);
    if (!font) return;
    const QFont f = ViewerQFont(*font);
    if (f != this->font()) setFont(f);
    LabelComment->setFont(f);
}

void TSpecsTreeFrame::SetListingPlace(const std::string& fileName) {
    const TListingPlace place = SplitListingPath(fileName, Context ? Context->OutputDirectory() : "", "Specs");
    Component = place.component;
    Module = place.module;
    Source = place.source;
    RefreshCaptions();
}

void TSpecsTreeFrame::RefreshCaptions() { LabelDescr->SetCaption(ListingPlaceText({Component, Module, Source})); }

void TSpecsTreeFrame::LoadSourceFile(const std::string& name) {
    const TSourceLookup found = FindSpecsSourceFile(
        Context ? Context->ProjectCommonRoot() : "", {Component, Module, Source}, name,
        Context ? Context->ProjectLanguageCode() : "",
        [this](const std::string& ext, std::string& longExt) {
            return Context && Context->ProjectRestoreLongExtension(ext, longExt);
        },
        FileExists,
        [this](const std::string& path) {
            if (!Context) return false;
            const std::string wanted = NormalizePath(path, '/');
            const std::vector<std::string> files = Context->ProjectFileStructure().files;
            return std::any_of(files.begin(), files.end(),
                               [&](const std::string& f) { return NormalizePath(f, '/') == wanted; });
        });
    if (!found.found) {
        if (TMyStatusBar* bar = Bar()) bar->Error(SourceNotAvailableText(found.path));
        Abort();
    }
    LoadSourceText(found.path);
    Source = name;
    RefreshCaptions();
    SetFileName(found.path);
}

void TSpecsTreeFrame::ShowMemo(std::vector<std::string> lines) {
    memo_ = std::move(lines);
    std::string text;
    for (size_t i = 0; i < memo_.size(); ++i) {
        if (i) text += '\n';
        text += memo_[i];
    }
    MemoSpecs->SetText(text);
    MemoSpecs->moveCursor(QTextCursor::Start);
}

void TSpecsTreeFrame::ClearSection() {
    memo_.clear();
    shownSection_ = -1;
    MemoSpecs->Clear();
    LabelListType->SetCaption("");
    LabelComment->SetCaption("");
    if (LabelHeader) LabelHeader->SetCaption("");
}

void TSpecsTreeFrame::SelectMemoLine(int index) { MemoGotoLine(MemoSpecs, index, kMemoLineAbove); }

void TSpecsTreeFrame::MemoSpecsDblClick(TComponent*) {
    if (TMyStatusBar* bar = Bar()) bar->ClearMessage();
    const std::string selected = FromQ(MemoSpecs->textCursor().selectedText());
    if (const std::optional<int> n = ParseInteger(selected)) ShowSourceLine(*n, kJumpFromDoubleClick);
}

void TSpecsTreeFrame::BitBtnCloseClick(TComponent*) { PostCloseRequest(); }

void TSpecsTreeFrame::RichEditSourceViewSelectionChange(TComponent*) { ShowCaretLine(RichEditSourceView, FileName); }

void TSpecsTreeFrame::FrameResize() { ArrangeButtonPanel(Panel0, LabelDescr); }

int TSpecsTreeFrame::SourceOf(QTreeWidgetItem* node) const {
    const int d = NodeData(Ancestor(node, 0));
    return d >= 0 && d < SectionCount() ? SectionSource(d) : -1;
}

int TSpecsTreeFrame::KindOf(QTreeWidgetItem* node) const {
    const int d = NodeData(Ancestor(node, 1));
    return d >= 0 && d < SectionCount() ? SectionKind(d) : 0;
}

bool TSpecsTreeFrame::TreeView1Changing(QTreeWidgetItem* previous, QTreeWidgetItem* node) {
    if (TMyStatusBar* bar = Bar()) bar->ClearMessage();
    const int source = SourceOf(node);
    if ((!previous || SourceOf(previous) != source) && source >= 0) {
        LoadSourceFile(SourceName(source));
        ClearSection();
    }
    const int section = NodeData(Ancestor(node, 1));
    if (NodeLevel(node) > 0 && section >= 0 && section < SectionCount()) ShowSection(section);
    return true;
}

} // namespace pem
