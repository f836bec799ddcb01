#include "SpecsFrame.h"

#include "CaseInsensitivePath.h"
#include "Controls.h"
#include "ListingText.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"

#include <QTreeWidgetItem>

namespace pem {

TFrameSpecs::TFrameSpecs(const TFrameCreateArgs& args, const std::string& name)
    : TSpecsTreeFrame(args, name, "TFrameSpecs", true) {}

TFrameSpecs* TFrameSpecs::CreateForFile(const TFrameCreateArgs& args) {
    return CreateFrameForFile<TFrameSpecs>(args, [&args](TFrameSpecs* f) { f->LoadListing(args.fileName); });
}

void TFrameSpecs::LoadListing(const std::string& fileName) {
    AutoExpand = Context && Context->ProjectViewerAutoExpand();
    compressed_ = Context && Context->ProjectSpecViewerCompressedTree();
    ListingFiles = PostDocListingFiles(fileName, Context ? Context->ProjectLanguageCode() : "", FindFileIgnoringCase);
    std::vector<std::string> lines;
    for (const std::string& f : ListingFiles) {
        std::vector<std::string> part = ReadListingLines(f);
        lines.insert(lines.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    }
    Listing = ReadPostDocListing(std::move(lines));
    ClearSection();
    RichEditSourceView->Clear();
    SetListingPlace(fileName);
    SetFileName(fileName);
    BuildStructureTree();
}

void TFrameSpecs::BuildStructureTree() { FillTree(nullptr, PostDocStructureTree(Listing)); }

void TFrameSpecs::ShowEntryParts(int descriptor) {
    const TSpecsDescriptor& d = Listing.descriptors[static_cast<size_t>(descriptor)];
    LabelListType->SetCaption(PostDocStructureTitle(d.kind));
    LabelComment->SetCaption(d.description);
    LabelHeader->SetCaption(PostDocHeaderText(d));
    if (descriptor != shownSection_)
        ShowMemo(PostDocStructureMemo(Listing, descriptor));
    else
        MemoSpecs->moveCursor(QTextCursor::Start);
    shownSection_ = descriptor;
}

void TFrameSpecs::NodeChanged(QTreeWidgetItem* node) {
    const int level = NodeLevel(node);
    const int kind = KindOf(node);
    if (level == 1) {
        if (node->childCount() != 0) return;
        FillTree(node, PostDocEntryNodes(memo_, kind, compressed_));
        if (kind == 4) {
            // Data flows start folded, each entry with its groups.
            std::vector<QTreeWidgetItem*> open{node};
            while (!open.empty()) {
                QTreeWidgetItem* n = open.back();
                open.pop_back();
                n->setExpanded(false);
                for (int i = 0; i < n->childCount(); ++i) open.push_back(n->child(i));
            }
        }
        if (!AutoExpand) node->setExpanded(true);
        return;
    }
    if (level < 2) return;
    const int index = NodeData(node);
    if (index < 0 || index >= static_cast<int>(memo_.size())) return;
    SelectMemoLine(index);
    if (const std::optional<int> n = PostDocEntrySourceLine(memo_[static_cast<size_t>(index)], kind))
        ShowSourceLine(*n, kJumpFromTree);
}

} // namespace pem
