#pragma once
// The base of every frame that shows a result listing on a tab of the main
// window: the viewed file and its date when loaded, the viewer font (not
// owned) and the main window's status bar (none when nil). Descendants show
// the text in their own view and print it.
#include "BaseFileUtils.h"
#include "Controls.h"
#include "DialogService.h"

#include <string>

namespace pem {

class TMyStatusBar;
class TListingView;

class TFrameViewerBase : public TFrame {
public:
    TFrameViewerBase(TComponent* owner, QWidget* parent, const std::string& name,
                     const char* className = "TFrameViewerBase");

    std::string FileName;
    TMyStatusBar* StatusBar = nullptr;
    const TFontSpec* ViewerFont = nullptr;
    TDateTime FileDate = 0; // the file's last-write time when loaded; 0 for a missing file

    // FileName := name; FileDate := the file's date now.
    void SetFileName(const std::string& name);
    // The base keeps the reference.
    virtual void SetViewerFont(const TFontSpec* font);
    // The base prints nothing.
    virtual void Print();

protected:
    // The viewer font, or the default one (Lucida Console) without it.
    const TFontSpec& FontForPrinting() const;
    // "Line %d of %d in %s " on the status bar (when linked): the caret's
    // line of the view from 1, its number of lines plus one, the file.
    void ShowCaretLine(const TListingView* view, const std::string& fileName);
    // Asks the window to close, once the current handler is over: the
    // main window then closes the result tab that holds this frame.
    void PostCloseRequest();
    // The panel's buttons right-aligned, the panel as high as their rows,
    // and the label, when given, in the room left of them.
    static void ArrangeButtonPanel(QWidget* panel, QWidget* label = nullptr);
};

} // namespace pem
