#pragma once
// Shared by the ranking tests: the fixture trees, the files found in a
// folder as the actions find them, and report lines as one text.
#include "SharedRoutinesFiles.h"

#include <string>
#include <vector>

namespace pemtest {

// A fixture tree of tests/fixtures/reports/ranking, with a trailing "/".
inline std::string RankingTree(const std::string& name) {
    return std::string(FIXTURES_DIR) + "/reports/ranking/" + name + "/";
}

inline std::vector<std::string> FoundFiles(const std::string& folder, const std::string& extensions) {
    pem::TStringList found;
    pem::FindFilesRecursive(folder, "", extensions, found);
    std::vector<std::string> files;
    for (const auto& i : found) files.push_back(i.s);
    return files;
}

// The lines, each ended by LF, as the report file holds them.
inline std::string JoinedLines(const std::vector<std::string>& lines) {
    std::string t;
    for (const auto& l : lines) t += l + "\n";
    return t;
}

} // namespace pemtest
