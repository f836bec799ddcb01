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

protected:
    bool TreeView1Changing(QTreeWidgetItem* previous, QTreeWidgetItem* node) override;
    void TreeView1Change(QTreeWidgetItem* node) override;

private:
    void LoadListing(const std::string& fileName);
    int SourceOf(QTreeWidgetItem* node) const;
    int SectionKind(QTreeWidgetItem* node) const;
    void ShowSection(int descriptor);
    void ShowEntry(QTreeWidgetItem* node);
};

} // namespace pem
