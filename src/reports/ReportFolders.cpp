#include "ReportFolders.h"

#include "BaseFileUtils.h"

namespace pem {

std::string ReportAreaOf(int documentKind) {
    switch (documentKind) {
    case kDocumentKindDefects: return "ErrorReports";
    case kDocumentKindChanges: return "ChangeReports";
    case kDocumentKindProjects: return "ProjectReports";
    default: return {};
    }
}

std::string ReportFolder(const TScannerReportSettings& settings, std::string_view area) {
    std::string folder = IncludeTrailingSeparator(settings.OutputDir, '/');
    folder.append(area);
    folder += '/';
    folder += settings.ProductName;
    folder += "/V";
    folder += settings.SystemVersion;
    folder += '/';
    return folder;
}

} // namespace pem
