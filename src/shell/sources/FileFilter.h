#pragma once
// Which files a language admits to the job: the open-dialog filter of a
// language code, read from the product INI lines, and the extension list made
// from it. Only extensions a filter names literally are admitted; "*.*"
// admits nothing, by dialog, drop and tree alike.
#include "SourceMessages.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pem {

// The value of a product INI line by its name ("" when missing).
using TIniLookup = std::function<std::string(const std::string& name)>;

// The code that stands for a group of sub-processors.
inline constexpr const char* kSubProcessorGroup = "WAA";

// The members of the group as the language switches list them.
struct TFilterGroup {
    bool defined = false;            // "WAA.SubProcessors" has a value
    std::vector<std::string> codes;  // the codes of its items
    std::vector<std::string> loops;  // items that name the group itself
};

// The open-dialog filter of key (a language code) and version:
//  - key + ".Filters", with "|" and version + ".Filters" added when that has a value;
//  - empty: information "Shell program error, missing filter definition,
//    inform Valtmoor" and the filter "All files (Possible definition error)|*.*";
//  - a leading "|" removed.
// For the group "WAA" the filters of its codes (built the same way, without
// version) joined by "|"; an empty group definition gives the warning
// "Installation error #1, <activeCode>.SubProcessors is missing from ini
// file" and an empty filter. An item naming the group itself is skipped with
// a warning (building it would never end).
std::string GetFileFilter(const TIniLookup& lookup, const std::string& key, const std::string& version,
                          const std::string& activeCode, const TFilterGroup& group, TSourceMessages& messages);

// The extensions a filter admits: the filter's ";" and "|" as line breaks,
// every "*." as "."; a file is admitted when its extension is not empty and
// equals one of those lines, ignoring case.
class TExtensionList {
public:
    explicit TExtensionList(const std::string& filter);
    bool Admits(std::string_view path) const;
    // The admitted extensions as the file search takes them (".cbl;.cob;");
    // empty when the filter names none.
    std::string SearchList() const;

private:
    std::unordered_set<std::string> lines_; // lower case
    std::vector<std::string> extensions_;   // the lines that are extensions, in filter order
};

// Why a file cannot be a source of the job, "" when it can: a control
// character (a line break would split the job's line of that file) or "<"
// or ">" (the tools' parameter document could not carry the path).
std::string UnsafeSourceNameReason(std::string_view path);
// The warning for a skipped file: "File skipped, <reason>: <name>", control
// characters shown as "?".
std::string SkippedSourceMessage(std::string_view path, const std::string& reason);
// The warning for an entry that stays in the job but out of every run (read
// from a job file): "Left out of the run, <reason>: <name>".
std::string LeftOutSourceMessage(std::string_view path, const std::string& reason);

// Why a name on disk or a dropped name was left out: Windows-1252 cannot
// hold it.
inline constexpr const char* kUnfitNameReason = "its name does not fit the code page";

} // namespace pem
