#include "SimpleViewerFrame.h"

#include "BaseFileUtils.h"
#include "ButtonRows.h"
#include "CharSet1252.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "ListingText.h"
#include "MyStatusBar.h"
#include "SharedRoutinesCommon.h"
#include "TessalyXML.h"

#include <QFontMetricsF>
#include <QMetaObject>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

namespace pem {

namespace {
const TFontSpec& DefaultViewerFont() {
    static const TFontSpec f{"Lucida Console", 1, 8, -11};
    return f;
}
} // namespace

TFrameSimpleViewer::TFrameSimpleViewer(TComponent* owner, QWidget* parent, const std::string& name)
    : TFrameViewerBase(owner, parent, name, "TFrameSimpleViewer") {
    PanelSimpleViewer = new TPanel(this, this, "PanelSimpleViewer", TLayoutKind::None);
    PanelSimpleViewer->setFixedHeight(32);
    BitBtnPrint = new TBitBtn(this, PanelSimpleViewer, "BitBtnPrint", "&Print");
    BitBtnClose = new TBitBtn(this, PanelSimpleViewer, "BitBtnClose", "&Close");
    BitBtnPrint->SetTag(1);
    BitBtnClose->SetTag(1);
    BitBtnPrint->SetTabOrder(0);
    BitBtnClose->SetTabOrder(1);
    RichEditSourceView = new TListingView(this, this, "RichEditSourceView");
    if (auto* box = qobject_cast<QBoxLayout*>(layout())) box->setStretchFactor(RichEditSourceView, 1);
    BitBtnPrint->OnClick = [this](TComponent* s) { BitBtnPrintClick(s); };
    BitBtnClose->OnClick = [this](TComponent* s) { BitBtnCloseClick(s); };
    RichEditSourceView->OnSelectionChange = [this](TComponent* s) { RichEditSourceViewSelectionChange(s); };
}

TFrameSimpleViewer* TFrameSimpleViewer::CreateForFile(TComponent* owner, QWidget* parent, const TFontSpec* font,
                                                      const std::string& fileName, const std::string& name) {
    auto* frame = new TFrameSimpleViewer(owner, parent, name);
    try {
        frame->SetViewerFont(font);
        frame->LoadFile(fileName);
    } catch (...) {
        delete frame;
        throw;
    }
    return frame;
}

void TFrameSimpleViewer::LoadFile(const std::string& fileName) {
    const bool xml = SameText(ExtractFileExt(fileName), ".xml") || SameText(ExtractFileExt(fileName), ".wsdl");
    // A plain listing streams into the view; the UTF-16LE road and XML
    // documents need the whole text.
    std::string text;
    if (!xml && !HasUtf16LeMark(ReadFileHead(fileName, 2))) {
        RichEditSourceView->LoadFromFile(fileName);
    } else {
        text = ReadFileBytes(fileName);
        if (HasUtf16LeMark(text)) text = Utf16LeToAnsi(text);
        RichEditSourceView->SetText8(text);
    }
    if (xml) {
        // Shown indented by TAB per level, a tab stop every "ww".
        auto doc = TMyXMLNodeList::Create();
        doc->Parse(text, false);
        RichEditSourceView->SetText8(doc->AsText(-1, true));
        RichEditSourceView->SetTabDistance(QFontMetricsF(font()).horizontalAdvance("ww"));
        RichEditSourceView->SetSelection(0, 0);
    }
    SetFileName(fileName);
}

void TFrameSimpleViewer::SetViewerFont(const TFontSpec* font) {
    TFrameViewerBase::SetViewerFont(font);
    if (font) RichEditSourceView->SetViewerFont(*font);
}

void TFrameSimpleViewer::Print() {
    RichEditSourceView->Print(ExtractFileName(FileName), ViewerFont ? *ViewerFont : DefaultViewerFont());
}

void TFrameSimpleViewer::BitBtnPrintClick(TComponent*) { Print(); }

void TFrameSimpleViewer::BitBtnCloseClick(TComponent*) {
    // The close request reaches the window later, when this click is over:
    // the window then closes the tab that holds this frame.
    QWidget* w = window();
    if (!dynamic_cast<TForm*>(w) && Application().MainForm()) w = Application().MainForm();
    QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
}

void TFrameSimpleViewer::FrameResize() {
    ArrangeButtonsRightAligned(this);
    // The panel as high as its rows of buttons.
    int h = 0;
    for (TBitBtn* b : {BitBtnPrint, BitBtnClose})
        if (!b->isHidden()) h = std::max(h, b->y() + b->height() + 4);
    if (h > 0) PanelSimpleViewer->setFixedHeight(h);
}

void TFrameSimpleViewer::resizeEvent(QResizeEvent* e) {
    TFrameViewerBase::resizeEvent(e);
    RunGuarded([this] { FrameResize(); });
}

void TFrameSimpleViewer::RichEditSourceViewSelectionChange(TComponent*) {
    if (!StatusBar) return;
    char buf[64];
    std::snprintf(buf, sizeof buf, "Line %d of %d in ", RichEditSourceView->CaretLine() + 1,
                  RichEditSourceView->LineCount() + 1);
    StatusBar->ShowInfo(buf + FileName + " ");
}

} // namespace pem
