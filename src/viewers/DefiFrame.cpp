#include "DefiFrame.h"

#include "Controls.h"
#include "ListingText.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"
#include "ReportPainter.h"

#include <QFontMetrics>
#include <QSplitter>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

namespace pem {

TFrameDefi::TFrameDefi(const TFrameCreateArgs& args, const std::string& name)
    : TListingTreeFrame(args, name, "TFrameDefi") {
    Panel0 = new TPanel(this, this, "Panel0", TLayoutKind::None);
    Panel0->setFixedHeight(32);
    Label1 = new TLabel(this, Panel0, "Label1");
    BitBtnPrint = new TBitBtn(this, Panel0, "BitBtnPrint", "&Print");
    BitBtnClose = new TBitBtn(this, Panel0, "BitBtnClose", "&Close");
    BitBtnPrint->SetTag(1);
    BitBtnClose->SetTag(1);
    BitBtnPrint->setFixedHeight(kFrameButtonHeight);
    BitBtnClose->setFixedHeight(kFrameButtonHeight);
    Splitter2 = AddSplitter(this, Qt::Horizontal, "Splitter2");
    Panel1 = new TPanel(this, Splitter2, "Panel1");
    Splitter2->addWidget(Panel1);
    PanelCounters = new TPanel(this, Panel1, "PanelCounters");
    LabelCounters = new TLabel(this, PanelCounters, "LabelCounters");
    LabelCounters->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TreeView1 = new TTreeView(this, Panel1, "TreeView1");
    static_cast<QBoxLayout*>(Panel1->layout())->setStretchFactor(TreeView1, 1);
    RichEditSourceView = new TListingView(this, Splitter2, "RichEditSourceView");
    Splitter2->addWidget(RichEditSourceView);
    Splitter2->setStretchFactor(1, 1);

    BitBtnClose->OnClick = [this](TComponent* s) { BitBtnCloseClick(s); };
    RichEditSourceView->OnSelectionChange = [this](TComponent* s) { RichEditSourceViewSelectionChange(s); };
    tree_ = std::make_shared<TDefiTree>(Listing);
    BindTree();
}

TFrameDefi* TFrameDefi::CreateForFile(const TFrameCreateArgs& args) {
    return CreateFrameForFile<TFrameDefi>(args, [&args](TFrameDefi* f) { f->ReadListing(args.fileName); });
}

void TFrameDefi::ReadListing(const std::string& fileName) {
    SetFileName(fileName);
    const bool refuse = Context && Context->ProjectLanguageInList("DLI,SQL");
    const TListingPlace place = SplitListingPath(fileName, Context ? Context->OutputDirectory() : "", "Defis");
    Component = place.component;
    Module = place.module;
    Source = place.source;
    RefreshCaptions();
    RichEditSourceView->Clear();
    LabelCounters->SetCaption("");
    PanelCounters->setMinimumWidth(
        QFontMetrics(LabelCounters->font()).horizontalAdvance("Number of major Rule Violations = 99999") + 10);
    Listing = ReadDefiListingFile(fileName, refuse);
    if (TMyStatusBar* bar = Bar())
        for (const std::string& name : Listing.duplicateSources)
            bar->AddMessage("Duplicate source names! - " + name, true);
}

void TFrameDefi::SetViewerFont(const TFontSpec* font) {
    TFrameViewerBase::SetViewerFont(font);
    if (!font) return;
    const QFont f = ViewerQFont(*font);
    if (f != this->font()) setFont(f);
    LabelCounters->setFont(f);
}

void TFrameDefi::RefreshCaptions() { Label1->SetCaption(ListingPlaceText({Component, Module, Source})); }

// ------------------------------------------------------------ grouping

void TFrameDefi::Regroup(TDefiGrouping grouping) {
    Regrouping = true;
    try {
        GroupDefis(Listing, grouping, *tree_);
        FillTree(nullptr, tree_);
    } catch (...) {
        Regrouping = false;
        throw;
    }
    Regrouping = false;
}

void TFrameDefi::GroupDefisBySource() { Regroup(TDefiGrouping::BySource); }
void TFrameDefi::GroupDefisByLevel() { Regroup(TDefiGrouping::ByLevel); }
void TFrameDefi::GroupDefisByRuleName() { Regroup(TDefiGrouping::ByRuleName); }

// ------------------------------------------------------------ selection

bool TFrameDefi::TreeView1Changing(QTreeWidgetItem* previous, QTreeWidgetItem* node) {
    if (Regrouping) return true;
    if (TMyStatusBar* bar = Bar()) bar->ClearMessage();
    const int item = NodeData(node);
    if (item < 0 || item >= static_cast<int>(Listing.items.size())) return false; // groups are not selected
    const int source = Listing.items[static_cast<size_t>(item)].sourceIndex;
    const int before = NodeData(previous);
    if (before >= 0 && before < static_cast<int>(Listing.items.size()) &&
        Listing.items[static_cast<size_t>(before)].sourceIndex == source)
        return true;
    LoadSource(source);
    return true;
}

void TFrameDefi::LoadSource(int sourceIndex) {
    Source = Listing.sourceNames[static_cast<size_t>(sourceIndex)];
    const TListingPlace place{Component, Module, Source};
    const TSourceLookup found = FindDefiSourceFile(Context ? Context->ProjectCommonRoot() : "", place, Source,
                                                   Context ? Context->ProjectLanguageCode() : "", FileExists);
    RefreshCaptions();
    std::string statistics;
    const bool complete = DefiStatistics(Listing, sourceIndex, statistics);
    LabelCounters->SetCaption(statistics);
    if (!complete)
        if (TMyStatusBar* bar = Bar()) bar->ShowWarning(kDefiStatisticsWarning);
    RichEditSourceView->ClearMarks();
    RichEditSourceView->Clear();
    std::string path = found.path;
    if (!found.found) {
        // The job's own copy of the source, through its file list.
        path = Context ? FindSourceInFileList(Context->ProjectFileStructure(), place, Source) : "";
        if (path.empty() || !FileExists(path)) {
            if (TMyStatusBar* bar = Bar()) bar->Error(SourceNotAvailableText(found.path));
            Abort();
        }
    }
    LoadSourceText(path);
    SourcePath = path;
}

void TFrameDefi::NodeChanged(QTreeWidgetItem* node) {
    if (Regrouping) return;
    RichEditSourceView->ClearMarks();
    RichEditSourceView->SetSelection(0, 0);
    const int index = NodeData(node);
    if (NodeLevel(node) == 0 || index < 0 || index >= static_cast<int>(Listing.items.size())) return;
    const TDefiDescriptor& item = Listing.items[static_cast<size_t>(index)];
    const int count = RichEditSourceView->LineCount();
    // An item without a line of the source marks nothing.
    if (item.firstLine < 1 || item.firstLine > count) return;
    const int start = ShowSourceLine(item.firstLine, kJumpToDefiItem);
    const int last = std::min(std::max(item.lastLine, item.firstLine), count);
    const int end = last < count ? RichEditSourceView->LineStart(last)
                                 : RichEditSourceView->LineStart(count - 1) +
                                       static_cast<int>(RichEditSourceView->Line(count - 1).size());
    RichEditSourceView->SetSelection(start, end - start);
    RichEditSourceView->AddMark(start, end - start, QColor(Qt::red));
}

// ------------------------------------------------------------ small handlers

void TFrameDefi::BitBtnCloseClick(TComponent*) { PostCloseRequest(); }

void TFrameDefi::RichEditSourceViewSelectionChange(TComponent*) { ShowCaretLine(RichEditSourceView, SourcePath); }

void TFrameDefi::FrameResize() { ArrangeButtonPanel(Panel0, Label1); }

} // namespace pem
