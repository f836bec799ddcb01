#pragma once
// The input-tree entries of a run: lines "KEYnnnn=value" with the keys COMP
// (component number = component name), MOD (module number = component\module),
// FDR (module number = the module's folder in the input tree), FCDR (folder
// number = relative folder), SRC (source number = the source's path) and XCPY
// (list position = the copy's path in the input tree). The parameter
// document fills them, the run preparation copies by them and the renaming
// after a run gives results their names back by them.
//
// Kept in a vector in their order, with hash indexes by key and by value so
// that runs of 100,000 sources look entries up without searching.
#include "StringList.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace pem {

struct TInputTreeEntry {
    std::string key;   // "SRC0012", upper case as composed
    std::string value; // as composed ("\" separated paths)
    std::string Line() const { return key + "=" + value; }
};

class TInputTreeEntries {
public:
    void Clear();
    // Appends an entry; keys are compared ignoring ASCII case.
    void Add(const std::string& key, const std::string& value);
    // Appends "KEYnnnn=value"; false (nothing added) for a line without "=".
    bool AddLine(const std::string& line);

    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    const TInputTreeEntry& operator[](int i) const { return entries_.at(static_cast<size_t>(i)); }
    const std::vector<TInputTreeEntry>& Entries() const { return entries_; }

    // The value of the first entry with that key (ignoring case); nullptr
    // when there is none.
    const std::string* ValueOf(const std::string& key) const;
    // The key of the first entry with that value (compared exactly);
    // nullptr when there is none.
    const std::string* KeyOf(const std::string& value) const;

    // Sorts once by the whole lines "key=value" in byte order (equal lines
    // keep their order); the same order as keeping the list sorted while
    // filling it.
    void Sort();

    // As lines, and from lines (the memo that shows them, the job file);
    // lines without "=" are skipped.
    TStringList Lines() const;
    void SetLines(const TStringList& lines);

    // The key's kind ("SRC" of "SRC0012") and number text ("0012"); false
    // when the key is not letters followed by digits.
    static bool SplitKey(const std::string& key, std::string& kind, std::string& number);

private:
    void Reindex();
    std::vector<TInputTreeEntry> entries_;
    std::unordered_map<std::string, int> byKey_;   // upper-cased key -> first index
    std::unordered_map<std::string, int> byValue_; // value -> first index
};

} // namespace pem
