#pragma once
// The parameter document of the CSV translation tool and the return of its
// translations. The tool reads every ".csv" export under the output
// directory's "Exports" folder and writes its translation beside it as
// "csxNNNN.csx"; the new-file-names list remembers which export each such
// name stands for.
#include "NewFileNames.h"
#include "SourceMessages.h"
#include "StringList.h"

#include <string>
#include <utility>
#include <vector>

namespace pem {

// Element lines indented by their depth in blanks.
class TJobrinWriter {
public:
    explicit TJobrinWriter(TStringList& lines, int depth = 1) : lines_(lines), depth_(depth) {}
    // "<name>" at the current depth; the depth grows by one.
    void OpenJobrinElement(const std::string& name);
    // "<name>value</name>" at the current depth.
    void WriteJobrinElement(const std::string& name, const std::string& value);
    // The depth shrinks by one; "</name>" of the element opened last.
    void CloseJobrinElement();

private:
    std::string Indent() const { return std::string(static_cast<std::size_t>(depth_), ' '); }
    TStringList& lines_;
    int depth_;
    std::vector<std::string> open_;
};

struct TJobrinInput {
    std::string version;     // the active language version
    std::string productName;
    std::string systemName;
    std::string exportsFolder;        // the output directory's "Exports" folder
    std::vector<std::string> exports; // the ".csv" files below it, in the order found
};

struct TJobrinDocument {
    TStringList lines;
    // "csxNNNN.csx" and the full path of the export it stands for.
    std::vector<std::pair<std::string, std::string>> names;
};

// The "JOBRIN" document: head lines padded to 56 characters (the root line
// to 55), the names, the directories and one Orig_File_/File_ pair per
// export, its path relative to the Exports folder.
TJobrinDocument ComposeJobrinParameters(const TJobrinInput& input);

// Moves each ".csx" file below exportsFolder onto the export its name stands
// for, by one rename that replaces the export. A ".csx" without an entry
// stays; a move that fails keeps the export as it was and is reported as a
// warning. Returns the number of exports replaced.
int ListCsxExports(const std::string& exportsFolder, const TNewFileNames& names, TSourceMessages& messages);

} // namespace pem
