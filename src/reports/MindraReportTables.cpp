#include "MindraReportTables.h"

namespace pem {

namespace {

using F = TCellFormat;
using C = TCellColor;
using B = TCellBlank;
using TErrorColumn = TMindraColumn<TErrorEntities>;
using TChangeColumn = TMindraColumn<TChangeEntities>;
using TProjectColumn = TMindraColumn<TProjectEntities>;

// A statistic row reads its role block; a ranking line the first block
// (row 0), which holds the component's own counters.
template <class R>
const auto& Block(const R& r, int row) {
    return r.Blocks[static_cast<size_t>(row)];
}

template <class R>
TCellValue RowCaption(const R&, int row) {
    return std::string(kMindraRowCaptions[row]);
}
template <class R>
TCellValue Component(const R& r, int) {
    return r.ComponentName;
}

// The counters and the share, as both defect reports print them.
std::vector<TErrorColumn> DefectColumns(TErrorColumn first, double count, double weighted, double share,
                                        TCellBlank noShare) {
    return {
        first,
        {"Fatal", count, F::Integer, C::None, B::Never, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Fatal; }},
        {"Severe", count, F::Integer, C::None, B::Never, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Major; }},
        {"Medium", count, F::Integer, C::None, B::Never, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Media; }},
        {"Minor", count, F::Integer, C::None, B::Never, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Minor; }},
        {"Unknown", count, F::Integer, C::None, B::Never, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Unkno; }},
        {"Total", count, F::Integer, C::None, B::Never, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Total; }},
        {"Weighted total", weighted, F::Integer, C::DefectLevel, B::Never, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Weigh; }},
        {"Portion (of weighted defects)", share, F::Share, C::None, noShare, [](const TErrorEntities& r, int row) -> TCellValue { return Block(r, row).Share; }},
    };
}

std::vector<TChangeColumn> ChangeColumns(TChangeColumn first, double count, double impact, double share,
                                         TCellBlank noShare) {
    return {
        first,
        {"Extend", count, F::Integer, C::None, B::Never, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Extend; }},
        {"Adapt", count, F::Integer, C::None, B::Never, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Adapt; }},
        {"Perfect", count, F::Integer, C::None, B::Never, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Perfect; }},
        {"Convert", count, F::Integer, C::None, B::Never, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Convert; }},
        {"Integr", count, F::Integer, C::None, B::Never, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Integr; }},
        {"Total", count, F::Integer, C::None, B::Never, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Total; }},
        {"Impact", impact, F::Impact, C::ChangeRate, B::Never, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Impact; }},
        {"Portion (of impact)", share, F::Share, C::None, noShare, [](const TChangeEntities& r, int row) -> TCellValue { return Block(r, row).Share; }},
    };
}

const char* const kErrorClasses = "E r r o r   S e v e r i t y   C l a s s e s ";

} // namespace

// The titles keep their blanks as they are printed; the change statistic's
// classes title has one blank more than the change ranking's.
const TMindraSheet kDefectStatisticSheet{"M i n d r a   D e f e c t   S t a t i s t i c   R e p o r t ",
                                         kErrorClasses, true, false};
const TMindraSheet kDefectRankingSheet{"M i n d r a   D e f e c t  R a n k i n g   R e p o r t ", kErrorClasses,
                                       false, true};
const TMindraSheet kChangeStatisticSheet{"M i n d r a   C h a n g e   S t a t i s t i c   R e p o r t ",
                                         "C h a n g  e   R e p o r t   C l a s s e s ", true, false};
const TMindraSheet kChangeRankingSheet{"M i n d r a   C h a n g e  R a n k i n g   R e p o r t ",
                                       "C h a n g e   R e p o r t   C l a s s e s ", false, true};
const TMindraSheet kProjectStatisticSheet{"M i n d r a   P r o j e c t  S t a t i s t i c   R e p o r t ", "",
                                          false, false};

// Widths in millimetres; each table fills the 190 mm between the margins.

const std::vector<TErrorColumn>& DefectStatisticColumns() {
    static const std::vector<TErrorColumn> columns = DefectColumns(
        {"Defect Reporter", 30, F::Text, C::None, B::Never, RowCaption<TErrorEntities>}, 17, 22, 36, B::SumRow);
    return columns;
}

const std::vector<TErrorColumn>& DefectRankingColumns() {
    static const std::vector<TErrorColumn> columns = DefectColumns(
        {"Component", 44, F::Text, C::None, B::Never, Component<TErrorEntities>}, 16, 22, 28, B::TotalEntry);
    return columns;
}

const std::vector<TChangeColumn>& ChangeStatisticColumns() {
    static const std::vector<TChangeColumn> columns = ChangeColumns(
        {"Change requester", 30, F::Text, C::None, B::Never, RowCaption<TChangeEntities>}, 17, 22, 36, B::SumRow);
    return columns;
}

const std::vector<TChangeColumn>& ChangeRankingColumns() {
    static const std::vector<TChangeColumn> columns = ChangeColumns(
        {"Component", 44, F::Text, C::None, B::Never, Component<TChangeEntities>}, 16, 22, 28, B::TotalEntry);
    return columns;
}

const std::vector<TProjectColumn>& ProjectStatisticColumns() {
    static const std::vector<TProjectColumn> columns = {
        {"Project name", 40, F::Text, C::None, B::Never, Component<TProjectEntities>},
        {"Type", 16, F::Text, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.ComponentType; }},
        {"Persons", 18, F::Integer, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.HeadCount; }},
        {"Effort", 18, F::Integer, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.Effort; }},
        {"Unit", 18, F::Text, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.EffortUnit; }},
        {"Time", 18, F::Integer, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.ElapsedTime; }},
        {"Unit", 18, F::Text, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.ElapsedTimeUnit; }},
        {"Costs", 24, F::Integer, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.AccumulatedCosts; }},
        {"Currency", 20, F::Text, C::None, B::Never, [](const TProjectEntities& r, int) -> TCellValue { return r.CostsUnit; }},
    };
    return columns;
}

} // namespace pem
