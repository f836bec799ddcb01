#pragma once
// The deficiency frame: the listing's problems, deficiencies and warnings
// as a tree grouped by source, by level or by rule, the selected item's
// source with its lines marked, and the source's statistics above the tree.
#include "DefiListing.h"
#include "ListingTreeFrame.h"

namespace pem {

class TFrameDefi : public TListingTreeFrame, public IDefiGrouping {
public:
    explicit TFrameDefi(const TFrameCreateArgs& args, const std::string& name = "FrameDefi");

    // Creates the frame on its parent and reads the listing; the tree is
    // built by the first grouping.
    static TFrameDefi* CreateForFile(const TFrameCreateArgs& args);

    TPanel* Panel0;
    TLabel* Label1;
    TBitBtn* BitBtnPrint;
    TBitBtn* BitBtnClose;
    QSplitter* Splitter2;
    TPanel* Panel1;
    TPanel* PanelCounters;
    TLabel* LabelCounters;

    std::string SourcePath; // the source file shown
    bool Regrouping = false;
    TDefiListing Listing;
    std::string Component, Module, Source;

    void GroupDefisBySource() override;
    void GroupDefisByLevel() override;
    void GroupDefisByRuleName() override;

    void SetViewerFont(const TFontSpec* font) override;
    void BitBtnCloseClick(TComponent* sender);
    void RichEditSourceViewSelectionChange(TComponent* sender);

    TResultFrameKind FrameKind() const override { return TResultFrameKind::Defi; }
    TButton* PrintButton() override { return BitBtnPrint; }
    TListingView* SearchView() override { return RichEditSourceView; }
    TRoute PrintRoute() const override { return TRoute::TextView; }
    TListingView* PrintView() override { return RichEditSourceView; }
    std::string PrintFile() const override { return SourcePath; }

protected:
    bool TreeView1Changing(QTreeWidgetItem* previous, QTreeWidgetItem* node) override;
    void NodeChanged(QTreeWidgetItem* node) override;
    void FrameResize() override;

    // Reads the listing; the tree comes with the first grouping.
    void ReadListing(const std::string& fileName);

private:
    void Regroup(TDefiGrouping grouping);
    void LoadSource(int sourceIndex);
    void RefreshCaptions();
    std::shared_ptr<TDefiTree> tree_; // the grouping shown, kept for the nodes made later
};

} // namespace pem
