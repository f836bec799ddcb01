#include "SourceTree.h"

#include "FileFilter.h"
#include "SharedRoutinesFiles.h"
#include "SourceFileList.h"

#include <algorithm>

namespace pem {

TCollectedTree CollectSourceTree(const std::string& folder, const std::string& searchList) {
    TCollectedTree tree;
    if (searchList.empty()) return tree;
    TStringList found;
    FindFilesRecursive(folder, "", searchList, found);
    tree.files.reserve(static_cast<std::size_t>(found.Count()));
    for (auto& item : found.Items()) {
        const std::string reason = UnsafeSourceNameReason(item.s);
        if (!reason.empty()) {
            tree.skipped.push_back(SkippedSourceMessage(item.s, reason));
            continue;
        }
        tree.files.push_back(std::move(item.s));
    }
    std::sort(tree.files.begin(), tree.files.end(),
              [](const std::string& a, const std::string& b) { return CompareSourcePaths(a, b) < 0; });
    return tree;
}

} // namespace pem
