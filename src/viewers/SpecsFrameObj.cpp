#include "SpecsFrameObj.h"

#include "Controls.h"
#include "ListingText.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"

#include <QTreeWidgetItem>

namespace pem {

TFrameSpecsObj::TFrameSpecsObj(const TFrameCreateArgs& args, const std::string& name)
    : TSpecsTreeFrame(args, name, "TFrameSpecsObj", false) {}

TFrameSpecsObj* TFrameSpecsObj::CreateForFile(const TFrameCreateArgs& args) {
    return CreateFrameForFile<TFrameSpecsObj>(args, [&args](TFrameSpecsObj* f) { f->LoadListing(args.fileName); });
}

void TFrameSpecsObj::LoadListing(const std::string& fileName) {
    AutoExpand = Context && Context->ProjectViewerAutoExpand();
    Listing = ReadSpecsObjListing(ReadListingLines(fileName));
    ClearSection();
    RichEditSourceView->Clear();
    SetListingPlace(fileName);
    SetFileName(fileName);
    BuildSectionTree();
}

void TFrameSpecsObj::BuildSectionTree() { FillTree(nullptr, SpecsObjSectionTree(Listing)); }

void TFrameSpecsObj::ShowSection(int descriptor) {
    const TSpecsSectionKind& kind = SpecsSectionKind(Listing.descriptors[static_cast<size_t>(descriptor)].kind);
    LabelListType->SetCaption(kind.displayName);
    LabelComment->SetCaption(kind.explanation);
    if (descriptor != shownSection_)
        ShowMemo(SpecsObjSectionMemo(Listing, descriptor));
    else
        MemoSpecs->moveCursor(QTextCursor::Start);
    shownSection_ = descriptor;
}

void TFrameSpecsObj::NodeChanged(QTreeWidgetItem* node) {
    const int level = NodeLevel(node);
    if (level == 1 && node->childCount() == 0) {
        const int kind = KindOf(node);
        if (kind == 5) {
            FillTree(node, FunctionReferenceNodes(memo_));
            if (!AutoExpand) node->setExpanded(true);
        } else if (kind == 4 || kind == 6 || kind == 7 || kind == 10) {
            FillTree(node, SectionEntryNodes(memo_, kind));
        }
    } else if (level == 2 || level == 3) {
        ShowEntry(node);
    }
}

void TFrameSpecsObj::ShowEntry(QTreeWidgetItem* node) {
    const int index = NodeData(node);
    if (index < 0 || index >= static_cast<int>(memo_.size())) return;
    SelectMemoLine(index);
    const int kind = KindOf(node);
    if (!(kind >= 4 && kind <= 7) && kind != 10) return;
    RichEditSourceView->ClearMarks();
    const std::string& line = memo_[static_cast<size_t>(index)];
    if (NodeLevel(node) == 2) {
        if (const std::optional<int> n = MemoSourceLine(line)) ShowSourceLine(*n, kJumpFromTree);
        return;
    }
    if (kind != 5) return;
    // A reference: its group's line in green, then its own line with the
    // reference in red.
    const int group = NodeData(node->parent());
    if (group >= 0 && group < static_cast<int>(memo_.size())) {
        if (const std::optional<int> g = MemoSourceLine(memo_[static_cast<size_t>(group)])) {
            const int start = ShowSourceLine(*g, kJumpToGroupLine);
            RichEditSourceView->AddMark(start, static_cast<int>(RichEditSourceView->Line(std::max(*g, 1) - 1).size()),
                                        QColor(Qt::darkGreen));
        }
    }
    const std::optional<int> n = MemoSourceLine(line);
    if (!n) return;
    const int start = ShowSourceLine(*n, kJumpFromTree);
    if (const std::optional<TTextHit> hit = FindReferenceInLine(RichEditSourceView->Line(std::max(*n, 1) - 1), line)) {
        RichEditSourceView->setFocus();
        RichEditSourceView->SetSelection(start + hit->pos, hit->length);
        RichEditSourceView->AddMark(start + hit->pos, hit->length, QColor(Qt::red));
    }
}

} // namespace pem
