#pragma once
// The plain listing viewer: the file's text read-only, XML files shown
// indented, the caret's line on the status bar, printing, a close button
// that closes the tab it stands on (through the window's close request), and
// the viewed file dragged out from the button panel as a file.
#include "DragDropFile.h"
#include "ListingView.h"
#include "ViewerBaseFrame.h"

#include <memory>

namespace pem {

class TFrameSimpleViewer : public TFrameViewerBase {
public:
    TFrameSimpleViewer(TComponent* owner, QWidget* parent, const std::string& name = "FrameSimpleViewer");

    // Creates the frame on the parent, gives it the font and loads the file.
    static TFrameSimpleViewer* CreateForFile(TComponent* owner, QWidget* parent, const TFontSpec* font,
                                             const std::string& fileName,
                                             const std::string& name = "FrameSimpleViewer");

    TListingView* RichEditSourceView;
    TPanel* PanelSimpleViewer;
    TBitBtn* BitBtnPrint;
    TBitBtn* BitBtnClose;
    // Drags the viewed file out (copy only); its image is a picture of the
    // panel the drag starts from.
    std::unique_ptr<TDropFileSource> DropFileSourceKorvex;
    // Accepts nothing (it has no target).
    std::unique_ptr<TDropDummy> DropDummyKorvex;

    // Loads the file; raises EFileError when it cannot be read and the XML
    // parser's exception (after the plain text was loaded) when an XML file
    // does not parse. A plain file shows its first part at once and the
    // rest in the following event-loop turns.
    void LoadFile(const std::string& fileName);
    void SetViewerFont(const TFontSpec* font) override;
    void Print() override;

    void BitBtnPrintClick(TComponent* sender);
    void BitBtnCloseClick(TComponent* sender);
    void FrameResize();
    void RichEditSourceViewSelectionChange(TComponent* sender);
    // A press on the panel that turns into a drag drags FileName out; a
    // modified text must be saved first (warning and silent abort).
    void PanelSimpleViewerMouseDown(TComponent* sender);
    void DropFileSourceKorvexGetDragImage(TCustomDropSource* sender, IDragSourceHelper* helper, bool& handled);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    // The status bar shows a caret line taken while the fill ran.
    bool caretLineDuringFill_ = false;
};

} // namespace pem
