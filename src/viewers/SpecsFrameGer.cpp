#include "SpecsFrameGer.h"

#include "ButtonRows.h"
#include "HandlerGuard.h"
#include "ListingText.h"
#include "ListingTreeFrame.h"
#include "MyStatusBar.h"
#include "ProjectContext.h"
#include "SpecsListing.h"

#include <QVBoxLayout>
#include <algorithm>

namespace pem {

TFrameSpecsGer::TFrameSpecsGer(const TFrameCreateArgs& args, const std::string& name)
    : TFrameViewerBase(args.owner, args.parent, name, "TFrameSpecsGer") {
    if (args.context) StatusBar = args.context->ProjectStatusBar();
    PanelControls = new TPanel(this, this, "PanelControls", TLayoutKind::Horizontal);
    Label1 = new TLabel(this, PanelControls, "Label1", "Go to object");
    IncComboLookup = new TIncCombo(this, PanelControls, "IncComboLookup");
    IncComboLookup->setEditable(true);
    IncComboLookup->setMinimumWidth(300);
    static_cast<QBoxLayout*>(PanelControls->layout())->addStretch(1);
    RichEditSourceView = new TListingView(this, this, "RichEditSourceView");
    static_cast<QBoxLayout*>(layout())->setStretchFactor(RichEditSourceView, 1);
    PanelSimpleViewer = new TPanel(this, this, "PanelSimpleViewer", TLayoutKind::None);
    PanelSimpleViewer->setFixedHeight(32);
    BitBtnPrint = new TBitBtn(this, PanelSimpleViewer, "BitBtnPrint", "&Print");
    BitBtnClose = new TBitBtn(this, PanelSimpleViewer, "BitBtnClose", "&Close");
    BitBtnPrint->SetTag(1);
    BitBtnClose->SetTag(1);
    BitBtnPrint->setFixedHeight(kFrameButtonHeight);
    BitBtnClose->setFixedHeight(kFrameButtonHeight);
    BitBtnClose->SetVisible(false);

    IncComboLookup->OnFullValue = [this](TComponent* s) { IncComboLookupFullValue(s); };
    // Picking an object from the list chooses it as well.
    QObject::connect(IncComboLookup, &QComboBox::activated, IncComboLookup,
                     [this](int) { FireEvent(IncComboLookup->OnFullValue, IncComboLookup); });
    BitBtnPrint->OnClick = [this](TComponent* s) { BitBtnPrintClick(s); };
    BitBtnClose->OnClick = [this](TComponent* s) { BitBtnCloseClick(s); };
    RichEditSourceView->OnSelectionChange = [this](TComponent* s) { RichEditSourceViewSelectionChange(s); };
}

TFrameSpecsGer* TFrameSpecsGer::CreateForFile(const TFrameCreateArgs& args) {
    return CreateFrameForFile<TFrameSpecsGer>(args, [&args](TFrameSpecsGer* f) {
        f->BitBtnClose->SetVisible(true);
        f->LoadFile(args.fileName);
    });
}

void TFrameSpecsGer::LoadFile(const std::string& fileName) {
    SetFileName(fileName);
    const std::string text = ReadFileBytes(fileName);
    RichEditSourceView->SetText8(text);
    IncComboLookup->ClearItems();
    std::vector<std::pair<std::string, std::string>> items;
    for (const TObjectEntry& e : PlainListingObjects(text)) items.emplace_back(e.text, std::to_string(e.line));
    IncComboLookup->AssignWithSecond(items);
}

void TFrameSpecsGer::SetViewerFont(const TFontSpec* font) {
    TFrameViewerBase::SetViewerFont(font);
    if (font) RichEditSourceView->SetViewerFont(*font);
}

void TFrameSpecsGer::Print() { RichEditSourceView->Print(ExtractFileName(FileName), FontForPrinting()); }

void TFrameSpecsGer::BitBtnPrintClick(TComponent*) {
    std::string title = ExtractFileName(FileName);
    std::replace(title.begin(), title.end(), '.', '_');
    RichEditSourceView->Print(title, FontForPrinting());
}

void TFrameSpecsGer::IncComboLookupFullValue(TComponent*) {
    RichEditSourceView->ClearMarks();
    RichEditSourceView->SetSelection(0, 0);
    const std::optional<int> n = ParseInteger(IncComboLookup->SecondInd());
    if (!n || *n < 1 || !RichEditSourceView->ShowLine(*n - 1, kJumpFromTree)) return;
    // The word after "|   ": "OBJECT".
    const int start = RichEditSourceView->LineStart(*n - 1) + 4;
    RichEditSourceView->SetSelection(start, 6);
    RichEditSourceView->AddMark(start, 6, QColor(Qt::red));
}

void TFrameSpecsGer::BitBtnCloseClick(TComponent*) { PostCloseRequest(); }

void TFrameSpecsGer::RichEditSourceViewSelectionChange(TComponent*) { ShowCaretLine(RichEditSourceView, FileName); }

void TFrameSpecsGer::FrameResize() { ArrangeButtonPanel(PanelSimpleViewer); }

void TFrameSpecsGer::resizeEvent(QResizeEvent* e) {
    TFrameViewerBase::resizeEvent(e);
    RunGuarded([this] { FrameResize(); });
}

} // namespace pem
