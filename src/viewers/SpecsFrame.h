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

    // Reads the listing (with its siblings) and builds the tree.
    void LoadListing(const std::string& fileName);
    // Shows the structure: its title, description, column header and lines.
    void ShowEntryParts(int descriptor);

protected:
    void NodeChanged(QTreeWidgetItem* node) override;
    int SectionCount() const override { return static_cast<int>(Listing.descriptors.size()); }
    int SectionSource(int section) const override {
        return Listing.descriptors[static_cast<size_t>(section)].sourceIndex;
    }
    int SectionKind(int section) const override { return Listing.descriptors[static_cast<size_t>(section)].kind; }
    std::string SourceName(int source) const override { return Listing.sourceNames[static_cast<size_t>(source)]; }
    void ShowSection(int section) override { ShowEntryParts(section); }

private:
    bool compressed_ = false;
};

} // namespace pem
