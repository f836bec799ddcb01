#pragma once
// The limits dialog of the module ranking: the statement-number, complexity
// and quality limits in three numeric masked edits. It is made once at start
// and keeps its values from one use to the next.
#include "DigitMaskEdit.h"
#include "Forms.h"
#include "ModuleRanking.h"

namespace pem {

class TfrmGetLimits : public TForm {
public:
    TfrmGetLimits();

    TLabel *LabelStmtNumberLimit, *LabelComplexityLimit, *LabelQualityLimit;
    TDigitMaskEdit *DigitMaskEditStmtNumberLimit, *DigitMaskEditComplexityLimit, *DigitMaskEditQualityLimit;
    TBitBtn *BitBtnOK, *BitBtnCancel;

    // The three limits as the fields give them. Raises EConvertError for a
    // field that holds no number.
    TModuleRankingLimits Limits() const;

    // Placed over the main window.
    void FormShow(TComponent* sender);
    void BitBtnOKClick(TComponent* sender);
    void BitBtnCancelClick(TComponent* sender);
};

// The dialog made at start; made here when no form of that name exists (a
// main window made alone, as in tests).
TfrmGetLimits& GetLimitsForm();

} // namespace pem
