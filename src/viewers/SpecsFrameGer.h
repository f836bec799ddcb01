#pragma once
// The plain listing frame of requirement texts: the listing itself, and a
// lookup of its objects that jumps to the object's line and marks it.
#include "IncCombo.h"
#include "ListingView.h"
#include "ResultFrames.h"
#include "ViewerBaseFrame.h"

namespace pem {

class TFrameSpecsGer : public TFrameViewerBase, public IResultFrame, public IPrintableFrame {
public:
    TFrameSpecsGer(const TFrameCreateArgs& args, const std::string& name = "FrameSpecs");

    // Creates the frame on its parent, sets the font, shows the close
    // button and loads the file.
    static TFrameSpecsGer* CreateForFile(const TFrameCreateArgs& args);

    TPanel* PanelControls;
    TIncCombo* IncComboLookup;
    TLabel* Label1;
    TListingView* RichEditSourceView;
    TPanel* PanelSimpleViewer;
    TBitBtn* BitBtnPrint;
    TBitBtn* BitBtnClose;

    // Shows the file and fills the lookup with its objects.
    void LoadFile(const std::string& fileName);
    void SetViewerFont(const TFontSpec* font) override;
    void Print() override;

    void IncComboLookupFullValue(TComponent* sender);
    void BitBtnPrintClick(TComponent* sender);
    void BitBtnCloseClick(TComponent* sender);
    void RichEditSourceViewSelectionChange(TComponent* sender);
    void FrameResize();

    TResultFrameKind FrameKind() const override { return TResultFrameKind::SpecsGer; }
    TRoute PrintRoute() const override { return TRoute::HardCopy; }
    std::string PrintTitle() const override { return ExtractFileName(FileName); }
    std::string PrintFile() const override { return FileName; }

protected:
    void resizeEvent(QResizeEvent* e) override;
};

} // namespace pem
