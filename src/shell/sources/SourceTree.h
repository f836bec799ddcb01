#pragma once
// Collecting the source files of a directory tree: the file search over the
// admitted extensions, names no job can carry left out, the rest sorted in
// the list's order so that it merges into the list in one pass. Touches no
// window, so it may run beside the event loop.
#include <string>
#include <vector>

namespace pem {

struct TCollectedTree {
    std::vector<std::string> files;   // in the source-file list's order
    std::vector<std::string> skipped; // a warning per file left out
};

// Sorts paths into the source-file list's order.
void SortSourcePaths(std::vector<std::string>& paths);

// searchList: the extensions as the file search takes them (".cbl;.cob;").
TCollectedTree CollectSourceTree(const std::string& folder, const std::string& searchList);

class TSourceFileList;

// Entries read from a job file whose names no job can carry (see
// UnsafeSourceNameReason; test-tool entries "label=path" alike) stay in the
// list as they are, unticked and greyed as missing files are. A warning per
// entry.
std::vector<std::string> LeaveOutUnsafeEntries(TSourceFileList& list);

} // namespace pem
