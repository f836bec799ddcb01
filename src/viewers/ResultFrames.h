#pragma once
// The frames a result tab can hold, and the small interfaces through which
// the tabs reach them: what kind a frame is, its text view for the find
// dialog, its print button, regrouping (deficiency frames), committing an
// edit in progress, saving changes (editors), and what printing it means.
#include "Controls.h"
#include "DialogService.h"

#include <functional>
#include <string>

namespace pem {

class TButton;
class TListingView;
class IProjectContext;

enum class TResultFrameKind {
    SimpleViewer, // TFrameSimpleViewer
    Defi,         // TFrameDefi
    SpecsGer,     // TFrameSpecsGer
    Specs,        // TFrameSpecs (post-documentation listings)
    SpecsObj,     // TFrameSpecsObj (module specification listings)
    TestCase,     // TFrameTestCaseViewer
    XMLEdit,      // TFrameXMLEdit
    Other,
};

// Implemented by every frame other than the simple viewer.
class IResultFrame {
public:
    virtual ~IResultFrame() = default;
    virtual TResultFrameKind FrameKind() const = 0;
    // The button that prints the tab (it then carries the print action).
    virtual TButton* PrintButton() { return nullptr; }
    // The text the find dialog searches; none by default.
    virtual TListingView* SearchView() { return nullptr; }
    // The date of the file as loaded (frames that keep their own).
    virtual double LoadedFileDate() const { return 0; }
};

// Deficiency frames: the three groupings of their tree.
class IDefiGrouping {
public:
    virtual ~IDefiGrouping() = default;
    virtual void GroupDefisBySource() = 0;
    virtual void GroupDefisByLevel() = 0;
    virtual void GroupDefisByRuleName() = 0;
};

// Editors: a change not saved yet, saving it, and committing the edit being
// typed in (before the tab changes or closes).
class IEditorFrame {
public:
    virtual ~IEditorFrame() = default;
    virtual bool HasUnsavedChanges() const = 0;
    virtual void SaveChanges() = 0;
    virtual void CommitEdit() {}
};

// How the print action prints a tab: its own text view directly, through
// the hard-copy report from the file it shows, or not at all.
class IPrintableFrame {
public:
    enum class TRoute { None, TextView, HardCopy };
    virtual ~IPrintableFrame() = default;
    virtual TRoute PrintRoute() const = 0;
    virtual TListingView* PrintView() { return nullptr; }
    virtual std::string PrintTitle() const = 0; // the file's name without folder
    virtual std::string PrintFile() const = 0;  // the file shown now
};

// What creating a frame is given.
struct TFrameCreateArgs {
    TComponent* owner;         // the tab
    QWidget* parent;           // the tab
    const TFontSpec* font;     // the viewer font
    std::string fileName;
    IProjectContext* context;
};
// Creates a frame (raising an exception when the file does not suit it).
using TResultFrameFactory = std::function<TFrame*(const TFrameCreateArgs&)>;

// The kind of a frame (the simple viewer by its class, others by IResultFrame).
TResultFrameKind FrameKindOf(const TFrame* frame);
// The frame's text view for the find dialog (simple viewer, or SearchView).
TListingView* SearchViewOf(TFrame* frame);

} // namespace pem
