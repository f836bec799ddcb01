#pragma once
// The post-documentation frame: the structures of a program's listings
// (interface, procedural, decisional, data flow, used data) as a tree of
// sources and structures, the selected structure's lines in the memo with
// its title, description and column header, the source in the source view;
// a structure's entries are added below it the first time it is selected
// and jump to their source lines.
#include "ListingTreeFrame.h"
#include "PostDocListing.h"

namespace pem {

class TFrameSpecs : public TSpecsTreeFrame {
public:
    explicit TFrameSpecs(const TFrameCreateArgs& args, const std::string& name = "FrameSpecs");

    // Creates the frame on its parent, sets the font, reads the listing (a
    // native one with its siblings) and builds the tree.
    static TFrameSpecs* CreateForFile(const TFrameCreateArgs& args);

    TPostDocListing Listing;
    // The files read, in order.
    std::vector<std::string> ListingFiles;

    TResultFrameKind FrameKind() const override { return TResultFrameKind::Specs; }

    void BuildStructureTree();

protected:
    bool TreeView1Changing(QTreeWidgetItem* previous, QTreeWidgetItem* node) override;
    void TreeView1Change(QTreeWidgetItem* node) override;

private:
    void LoadListing(const std::string& fileName);
    int SourceOf(QTreeWidgetItem* node) const;
    int StructureKind(QTreeWidgetItem* node) const;
    void ShowEntryParts(int descriptor);
    bool compressed_ = false;
};

} // namespace pem
