#pragma once
// The tables of the five statistics and ranking reports: their fixed texts
// and their columns (head, width, the record field each label prints, its
// format and colour rule).
#include "MindraReportLayout.h"

namespace pem {

extern const TMindraSheet kDefectStatisticSheet;
extern const TMindraSheet kDefectRankingSheet;
extern const TMindraSheet kChangeStatisticSheet;
extern const TMindraSheet kChangeRankingSheet;
extern const TMindraSheet kProjectStatisticSheet;

const std::vector<TMindraColumn<TErrorEntities>>& DefectStatisticColumns();
const std::vector<TMindraColumn<TErrorEntities>>& DefectRankingColumns();
const std::vector<TMindraColumn<TChangeEntities>>& ChangeStatisticColumns();
const std::vector<TMindraColumn<TChangeEntities>>& ChangeRankingColumns();
const std::vector<TMindraColumn<TProjectEntities>>& ProjectStatisticColumns();

} // namespace pem
