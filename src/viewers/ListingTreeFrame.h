#pragma once
// The common ground of the listing frames with a tree (module
// specification, post-documentation and deficiency listings): the tree
// filled in one batch from a tree description, the selection with a veto
// (the tree has none of its own: a change that ends by an error or is
// refused puts the previous node back), expansion that follows the
// selection when the INI asks for it, the source view with its line jumps
// and marks, and the close button's request.
#include "ListingSource.h"
#include "ListingView.h"
#include "ResultFrames.h"
#include "ViewerBaseFrame.h"

#include <QIcon>
#include <memory>

class QSplitter;
class QTreeWidgetItem;

namespace pem {

class IProjectContext;
class TMyStatusBar;
class TTreeView;
class TPanel;
class TLabel;
class TBitBtn;
class TMemo;

// A new frame of a result tab given the viewer font and then its file
// through load(frame); the frame is freed again when that fails.
template <class F, class Load> F* CreateFrameForFile(const TFrameCreateArgs& args, Load load) {
    auto* frame = new F(args);
    try {
        frame->SetViewerFont(args.font);
        load(frame);
    } catch (...) {
        delete frame;
        throw;
    }
    return frame;
}

// The buttons of a frame's panel share one height.
constexpr int kFrameButtonHeight = 26;

class TListingTreeFrame : public TFrameViewerBase, public IResultFrame, public IPrintableFrame {
public:
    TListingTreeFrame(const TFrameCreateArgs& args, const std::string& name, const char* className);

    TTreeView* TreeView1 = nullptr;
    TListingView* RichEditSourceView = nullptr;
    // Selecting a node expands it and collapses the node left (the INI's
    // Viewer.AutoExpand).
    bool AutoExpand = false;

    // ---- reading the tree
    // What a node points at (-1 nothing), its depth, its images.
    static int NodeData(const QTreeWidgetItem* node);
    static int NodeLevel(const QTreeWidgetItem* node);
    static int NodeImage(const QTreeWidgetItem* node);
    static int NodeSelectedImage(const QTreeWidgetItem* node);
    // The ancestor at that depth (the node itself at its own), nullptr none.
    static QTreeWidgetItem* Ancestor(QTreeWidgetItem* node, int level);
    // The tree as indented text, two blanks per level (expanded or not).
    std::string TreeText();
    // The node at the path of texts from the top, nullptr none.
    QTreeWidgetItem* FindNode(const std::vector<std::string>& path);

    // ---- printing: the file shown, through the hard copy
    TRoute PrintRoute() const override { return TRoute::HardCopy; }
    std::string PrintTitle() const override;
    std::string PrintFile() const override { return FileName; }

protected:
    // The node's section may be shown; false keeps the previous node. An
    // error ends it the same way.
    virtual bool TreeView1Changing(QTreeWidgetItem* previous, QTreeWidgetItem* node) = 0;
    // The node is the selected one now: what it shows, then the expansion
    // that follows the selection.
    void TreeView1Change(QTreeWidgetItem* node);
    virtual void NodeChanged(QTreeWidgetItem* node) = 0;

    IProjectContext* Context;
    TMyStatusBar* Bar() const;

    // Binds the tree's change handlers and the making of nodes on expanding.
    void BindTree();
    // The selected node expanded, the one left collapsed unless it is above.
    static void ExpandSelected(QTreeWidgetItem* node, QTreeWidgetItem* left);
    // Replaces the whole tree, or the children of parent, by the described
    // nodes, in one batch with the tree's updates off. The first level is
    // made at once; the nodes below a node when it is first expanded (or
    // looked for), from the description kept for it.
    void FillTree(QTreeWidgetItem* parent, std::shared_ptr<const ITreeSource> source);
    void FillTree(QTreeWidgetItem* parent, TTreeLines lines);
    // Makes the node's children from its description, once.
    void MakeChildren(QTreeWidgetItem* node);
    // Empties the tree without running the change handlers.
    void ClearTree();

    // Source line n (from 1; below 1 counts as 1) selected and linesAbove
    // lines below the top; "Line number %d is too high" when it does not
    // exist. Returns the line's first character.
    int ShowSourceLine(int n, int linesAbove);
    // Loads a source file into the view (a UTF-16LE one as 8-bit text).
    void LoadSourceText(const std::string& path);

    // A splitter of that name in the parent's layout, taking the room left.
    static QSplitter* AddSplitter(QWidget* parent, Qt::Orientation orientation, const char* name);

    void resizeEvent(QResizeEvent* e) override;
    virtual void FrameResize() {}

private:
    QTreeWidgetItem* MakeNode(int source, size_t index) const;
    // The node selected now, remembered as the one the selection leaves.
    QTreeWidgetItem* Leaving();
    QTreeWidgetItem* left_ = nullptr; // the node selected before the change
    // The descriptions the tree's nodes come from.
    std::vector<std::shared_ptr<const ITreeSource>> sources_;
};

// The specification frames' common part (module specification and
// post-documentation listings): the listing's place, its source files,
// the memo with the selected section and the jump from a number in it.
class TSpecsTreeFrame : public TListingTreeFrame {
public:
    // withHeader: a column-header panel above the memo.
    TSpecsTreeFrame(const TFrameCreateArgs& args, const std::string& name, const char* className, bool withHeader);

    TPanel* Panel0;
    TLabel* LabelDescr;
    TBitBtn* BitBtnClose;
    TPanel* Panel1;
    QSplitter* Splitter2;
    TPanel* Panel2;
    TPanel* PanelComment;
    TLabel* LabelComment;
    TPanel* PanelListType;
    TLabel* LabelListType;
    TPanel* PanelHeader = nullptr;
    TLabel* LabelHeader = nullptr;
    QSplitter* Splitter1;
    TMemo* MemoSpecs;

    std::string Component, Module, Source;

    // The font becomes the frame's font (and so the comment's).
    void SetViewerFont(const TFontSpec* font) override;
    // Loads the source file of a source of the tree: the common root,
    // component, module and name, with the language's extension, the long
    // extension and without the component tried in turn; "Source file %s is
    // not available" when none exists.
    void LoadSourceFile(const std::string& name);

    void MemoSpecsDblClick(TComponent* sender);
    void BitBtnCloseClick(TComponent* sender);
    void RichEditSourceViewSelectionChange(TComponent* sender);

    // The memo's lines as shown.
    const std::vector<std::string>& MemoLines() const { return memo_; }

protected:
    // What the listing's sections (structures) are to the shared handlers.
    virtual int SectionCount() const = 0;
    virtual int SectionSource(int section) const = 0;
    virtual int SectionKind(int section) const = 0;
    virtual std::string SourceName(int source) const = 0;
    // Shows the section: its name, explanation (description) and lines.
    virtual void ShowSection(int section) = 0;

    // The source and the section kind of a node (from its ancestors at
    // depth 0 and 1), -1 and 0 when it has none.
    int SourceOf(QTreeWidgetItem* node) const;
    int KindOf(QTreeWidgetItem* node) const;
    // A node of another source loads that source's file; a node below the
    // top shows its section.
    bool TreeView1Changing(QTreeWidgetItem* previous, QTreeWidgetItem* node) override;
    // The listing's place below the Specs folder, shown in LabelDescr.
    void SetListingPlace(const std::string& fileName);
    void RefreshCaptions();
    // Shows the lines in the memo, caret at the start.
    void ShowMemo(std::vector<std::string> lines);
    void ClearSection();
    // Selects the memo line, one line above it in view.
    void SelectMemoLine(int index);
    void FrameResize() override;

    std::vector<std::string> memo_;
    int shownSection_ = -1;
};

// The image of a node: index into the tree's images, with the image shown
// while it is selected.
QIcon ListingTreeIcon(int image, int selectedImage);

} // namespace pem
