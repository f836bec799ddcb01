#include "GetLimits.h"

#include "DesktopServices.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <algorithm>

namespace pem {

TfrmGetLimits::TfrmGetLimits() : TForm("frmGetLimits", "TfrmGetLimits") {
    SetCaption("Enter limits for module ranking");
    // A dialog border: no minimise or maximise box, not resized.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* fields = new TPanel(this, Client(), "PanelLimits", TLayoutKind::None);
    auto* grid = new QGridLayout(fields);
    struct Field {
        TLabel** label;
        TDigitMaskEdit** edit;
        const char* labelName;
        const char* caption;
        const char* editName;
        const char* mask;
        int maxLength;
        const char* text;
    };
    const Field kFields[] = {
        {&LabelStmtNumberLimit, &DigitMaskEditStmtNumberLimit, "LabelStmtNumberLimit", "Statement number limit",
         "DigitMaskEditStmtNumberLimit", "!9999999;0; ", 7, "0001000"},
        {&LabelComplexityLimit, &DigitMaskEditComplexityLimit, "LabelComplexityLimit", "Complexity limit",
         "DigitMaskEditComplexityLimit", "!\\0.999;1;0", 5, "0.7  "},
        {&LabelQualityLimit, &DigitMaskEditQualityLimit, "LabelQualityLimit", "Quality limit",
         "DigitMaskEditQualityLimit", "!\\0.999;1;0", 5, "0.5  "},
    };
    int row = 0;
    for (const auto& f : kFields) {
        *f.label = new TLabel(this, fields, f.labelName, f.caption);
        *f.edit = new TDigitMaskEdit(this, fields, f.editName, f.mask);
        (*f.edit)->SetMaxLength(f.maxLength);
        (*f.edit)->SetText(f.text);
        grid->addWidget(*f.label, row, 0);
        grid->addWidget(*f.edit, row, 1);
        ++row;
    }
    auto* buttons = new TPanel(this, Client(), "PanelButtons", TLayoutKind::Horizontal);
    static_cast<QBoxLayout*>(buttons->layout())->addStretch(1);
    BitBtnOK = new TBitBtn(this, buttons, "BitBtnOK", "OK");
    BitBtnCancel = new TBitBtn(this, buttons, "BitBtnCancel", "Cancel");
    // Enter in a field presses OK, Escape presses Cancel.
    BitBtnOK->setDefault(true);
    BitBtnCancel->SetCancel(true);

    OnShow = [this](TComponent* s) { FormShow(s); };
    BitBtnOK->OnClick = [this](TComponent* s) { BitBtnOKClick(s); };
    BitBtnCancel->OnClick = [this](TComponent* s) { BitBtnCancelClick(s); };
    // Wide enough for the title bar to show the whole caption.
    setFixedSize(std::max(sizeHint().width(), CaptionFitWidth(this)), sizeHint().height());
}

TModuleRankingLimits TfrmGetLimits::Limits() const {
    return ModuleRankingLimitsFromTexts(DigitMaskEditStmtNumberLimit->Text(), DigitMaskEditComplexityLimit->Text(),
                                        DigitMaskEditQualityLimit->Text());
}

void TfrmGetLimits::FormShow(TComponent*) {
    TForm* main = Application().MainForm();
    if (!main || main == this) return;
    const QRect r = main->frameGeometry();
    move(r.left() + (r.width() - width()) / 2, r.top() + (r.height() - height()) / 3);
}

void TfrmGetLimits::BitBtnOKClick(TComponent*) { SetModalResult(mrOk); }
void TfrmGetLimits::BitBtnCancelClick(TComponent*) { SetModalResult(mrCancel); }

TfrmGetLimits& GetLimitsForm() {
    if (auto* f = dynamic_cast<TfrmGetLimits*>(Screen().FindForm("frmGetLimits"))) return *f;
    // Lives until the program ends, as the form made at start does.
    static TfrmGetLimits* made = new TfrmGetLimits();
    return *made;
}

} // namespace pem
