#include "SimpleViewerFrame.h"

#include "BaseFileUtils.h"
#include "ButtonRows.h"
#include "CharSet1252.h"
#include "Forms.h"
#include "HandlerGuard.h"
#include "ListingText.h"
#include "MyStatusBar.h"
#include "OleCodePages.h"
#include "QtOleWindows.h"
#include "SharedRoutinesCommon.h"
#include "TessalyXML.h"

#include <QFontMetricsF>
#include <QMetaObject>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

namespace pem {


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
    // A caret line shown while the text was still coming in gets the final
    // number of lines once it is all in.
    RichEditSourceView->OnFillDone = [this](TComponent* s) {
        if (caretLineDuringFill_) RichEditSourceViewSelectionChange(s);
        caretLineDuringFill_ = false;
    };

    DropFileSourceKorvex = std::make_unique<TDropFileSource>();
    DropFileSourceKorvex->Name = "DropFileSourceKorvex";
    DropFileSourceKorvex->DragTypes = TDragTypes{TDragType::dtCopy};
    DropFileSourceKorvex->ShowImage = true;
    DropFileSourceKorvex->OnGetDragImage = [this](auto* s, auto* h, bool& done) { DropFileSourceKorvexGetDragImage(s, h, done); };
    DropDummyKorvex = std::make_unique<TDropDummy>();
    DropDummyKorvex->Name = "DropDummyKorvex";
    DropDummyKorvex->DragTypes = TDragTypes{};
    PanelSimpleViewer->OnMouseDown = [this](TComponent* s) { PanelSimpleViewerMouseDown(s); };
    // The panel's window from the start: the bridge then follows the mouse
    // before the first press, which drag-start detection relies on.
    WindowOf(PanelSimpleViewer);
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
    // A plain listing fills the view in event-loop turns after its first
    // part, so a big one never freezes the window; the UTF-16LE road and XML
    // documents need the whole text at once.
    caretLineDuringFill_ = false;
    if (!xml) {
        RichEditSourceView->StartLoadTextFile(fileName);
    } else {
        std::string text = ReadFileBytes(fileName);
        if (HasUtf16LeMark(text)) text = Utf16LeToAnsi(text);
        RichEditSourceView->SetText8(text);
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
    RichEditSourceView->Print(ExtractFileName(FileName), FontForPrinting());
}

void TFrameSimpleViewer::BitBtnPrintClick(TComponent*) { Print(); }

void TFrameSimpleViewer::BitBtnCloseClick(TComponent*) { PostCloseRequest(); }

void TFrameSimpleViewer::FrameResize() {
    // Print takes its text from the print action after it was sized: the two
    // buttons side by side get one height, the taller one's.
    const int h = std::max({BitBtnPrint->height(), BitBtnClose->height(), BitBtnPrint->sizeHint().height(),
                            BitBtnClose->sizeHint().height()});
    for (TBitBtn* b : {BitBtnPrint, BitBtnClose})
        if (b->height() != h) b->resize(b->width(), h);
    ArrangeButtonPanel(PanelSimpleViewer);
}

void TFrameSimpleViewer::resizeEvent(QResizeEvent* e) {
    TFrameViewerBase::resizeEvent(e);
    RunGuarded([this] { FrameResize(); });
}

void TFrameSimpleViewer::PanelSimpleViewerMouseDown(TComponent*) {
    if (!DetectDragStart(WindowOf(PanelSimpleViewer))) return;
    if (RichEditSourceView->document()->isModified()) {
        Dialogs().MessageDlg(ExtractFileName(FileName) + " was modified, you have to save it before copying! ",
                             TMsgDlgType::mtWarning, mbOK);
        Abort();
    }
    TUnicodeStrings& files = DropFileSourceKorvex->Files();
    files.Clear();
    files.Add(MultiByteToWideChar(CP_ACP, FileName));
    DropFileSourceKorvex->Execute(false);
}

void TFrameSimpleViewer::DropFileSourceKorvexGetDragImage(TCustomDropSource* sender, IDragSourceHelper* helper,
                                                          bool& handled) {
    HWND panel = WindowOf(PanelSimpleViewer);
    POINT cursor;
    GetCursorPos(&cursor);
    POINT at = panel->ScreenToClient(cursor);
    handled = SUCCEEDED(helper->InitializeFromWindow(panel, &at, sender->DataObject()));
}

void TFrameSimpleViewer::RichEditSourceViewSelectionChange(TComponent*) {
    ShowCaretLine(RichEditSourceView, FileName);
    if (StatusBar && RichEditSourceView->Filling()) caretLineDuringFill_ = true;
}

} // namespace pem
