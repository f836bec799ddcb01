#pragma once
// The new-file-names list: name=value lines kept sorted by name, with an
// index from each name (letter case ignored) to its first line. The run
// preparation keeps here which path each input-tree entry stands for, and the
// translation tool's "csxNNNN.csx" names which export each stands for. The
// memo on the main window only shows these lines.
#include "StringList.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pem {

class TNewFileNames {
public:
    int Count() const { return lines_.Count(); }
    const TStringList& Lines() const { return lines_; }
    // Takes the lines over and sorts them by name (a stable sort, so equal
    // names keep their order).
    void Assign(const TStringList& lines);
    void Clear();
    // Sets the value of name: replaces the first line of that name, or adds one.
    void SetValue(const std::string& name, const std::string& value);
    // The same for many pairs at once, with one sort.
    void SetValues(const std::vector<std::pair<std::string, std::string>>& pairs);
    // The value of the first line whose name is the text's part before its
    // first "=" (letter case ignored); "" when there is none.
    std::string Lookup(std::string_view text) const;

private:
    void Reindex();
    TStringList lines_;
    std::unordered_map<std::string, int> index_; // lower-cased name -> first line
};

} // namespace pem
