#pragma once
// The module specification frame: the listing's sources and sections as a
// tree, the selected section's lines in the memo with its kind and
// explanation above, the source in the source view; entries of a section
// (function references with their groups, methods, interfaces, data
// attributes, test cases) are added below it the first time it is selected
// and jump to their source lines.
#include "ListingTreeFrame.h"
#include "SpecsListing.h"

namespace pem {

class TFrameSpecsObj : public TSpecsTreeFrame {
public:
    explicit TFrameSpecsObj(const TFrameCreateArgs& args, const std::string& name = "FrameSpecs");

    // Creates the frame on its parent, sets the font, reads the listing and
    // builds the tree (raises EFileError when it cannot be read).
    static TFrameSpecsObj* CreateForFile(const TFrameCreateArgs& args);

    TSpecsObjListing Listing;

    TResultFrameKind FrameKind() const override { return TResultFrameKind::SpecsObj; }

    // The tree of the listing's sources and sections.
    void BuildSectionTree();

    // Reads the listing and builds the tree.
    void LoadListing(const std::string& fileName);

protected:
    void NodeChanged(QTreeWidgetItem* node) override;
    int SectionCount() const override { return static_cast<int>(Listing.descriptors.size()); }
    int SectionSource(int section) const override {
        return Listing.descriptors[static_cast<size_t>(section)].sourceIndex;
    }
    int SectionKind(int section) const override { return Listing.descriptors[static_cast<size_t>(section)].kind; }
    std::string SourceName(int source) const override { return Listing.sourceNames[static_cast<size_t>(source)]; }
    void ShowSection(int section) override;

private:
    void ShowEntry(QTreeWidgetItem* node);
};

} // namespace pem
