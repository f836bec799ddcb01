#pragma once
// The job's source files: one entry per file with its tick (takes part in the
// next run) and its enabled state (off once the file was found missing). The
// list keeps itself in one order, the project's text order: the code page
// case-folded with blanks significant, ties broken case-sensitively, so
// exact duplicates sit together. Paths compare case-sensitively: names that
// differ in letter case are two files here.
//
// Entries appended one by one are sorted once, when the list is next read,
// so filling a long list costs one sort. The check list on the main window
// shows this list; it holds no copy of it.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

struct TSourceFile {
    std::string path;
    bool checked = true;
    bool enabled = true;
    // The entry's index in the lists of the last structure computation; -1
    // for an entry added since. Insertions shift the list's indexes, not
    // this one.
    int structureRow = -1;
};

// The list's order: the order of sorted lists on screen (CompareListText:
// AnsiCompareText, ties by AnsiCompareStr).
int CompareSourcePaths(std::string_view a, std::string_view b);
struct TSourcePathLess {
    bool operator()(const TSourceFile& a, const TSourceFile& b) const;
};

// Reports the position of a long pass; returns false to stop it.
using TListProgress = std::function<bool(int position, int max)>;

class TSourceFileList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    // The entries in list order.
    const std::vector<TSourceFile>& Items() const;
    const TSourceFile& Item(int i) const { return Items().at(static_cast<std::size_t>(i)); }
    const std::string& Path(int i) const { return Item(i).path; }
    bool Checked(int i) const { return Item(i).checked; }
    bool Enabled(int i) const { return Item(i).enabled; }
    void SetChecked(int i, bool c);
    void SetEnabled(int i, bool e);
    int CheckedCount() const;

    void Clear();
    // Takes the entries over and sorts them once.
    void Assign(std::vector<TSourceFile> items);
    // Appends an entry; the list sorts itself when next read.
    void Append(std::string path, bool checked = true, bool enabled = true);
    // Position of exactly this path, -1 when it is not in the list.
    int IndexOf(std::string_view path) const;

    // Adds, ticked, each path that is not yet in the list (a path given twice
    // is added once). Returns the number added.
    int AddNew(const std::vector<std::string>& paths);

    // Adds the files of a directory tree. An empty list takes them all,
    // ticked. Otherwise they are appended ticked, the list is sorted, and
    // every later one of equal paths is dropped with the earlier one ticked.
    // progress sees the duplicate pass (every 256th position from 1 on);
    // when it returns false the pass stops, the part not yet passed keeps its
    // duplicates, and false is returned.
    // found may come in list order already (foundSorted): it is then merged
    // in without being sorted again.
    bool AddTree(std::vector<std::string> found, const TListProgress& progress = {}, bool foundSorted = false);

    // Removes the unticked entries; returns how many went.
    int RemoveUnchecked();
    void CheckAll(bool checked);
    void InvertChecks();
    // Ticks or unticks every entry whose path begins with prefix (case-sensitive).
    void CheckPrefix(std::string_view prefix, bool checked);
    // Each entry's structure row becomes its present index: a structure
    // computation fills its lists in this order.
    void NumberStructureRows();
    int StructureRow(int i) const { return Item(i).structureRow; }

private:
    void EnsureSorted() const;
    mutable std::vector<TSourceFile> items_;
    // Entries from this position on were appended and are not yet sorted in.
    mutable std::size_t sortedCount_ = 0;
};

} // namespace pem
