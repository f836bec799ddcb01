#pragma once
// What the listing viewers share, free of widgets: the lines of a listing,
// the component, module and source its path names, where the source file of
// a listed source is looked for, the tree a viewer shows as a flat
// description, line numbers read from listing text, and the texts of the
// viewers' two errors.
#include "ProjectContext.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

// ---- lines

// Calls fn for each line of the text: CR LF, LF and a lone CR each end a
// line, no CR stays on a line, and a line end after the last line opens no
// further line (the lines a listing view shows for the same text).
void ForEachListingLine(std::string_view text, const std::function<void(std::string_view line)>& fn);
std::vector<std::string> SplitListingLines(std::string_view text);
// The same for a file, read a block at a time (the file is never held
// whole). Only a regular file is read; a FIFO or a device is refused without
// waiting. Raises EFileError "Can not open file %s" (with ": not a regular
// file" for another kind of file) or "Can not read file %s".
void ForEachFileLine(const std::string& fileName, const std::function<void(std::string_view line)>& fn);
std::vector<std::string> ReadListingLines(const std::string& fileName);

// The text of characters from..to (1-based, inclusive; shorter when the
// line is), and from `from` to the end.
std::string_view LineRange(std::string_view line, int from, int to);
std::string_view LineFrom(std::string_view line, int from);

// Trims characters up to the blank at either end / at the right.
std::string_view TrimView(std::string_view s);
std::string_view TrimRightView(std::string_view s);

// The text, trimmed, as a whole integer (an optional sign and digits).
std::optional<int> ParseInteger(std::string_view text);

// ---- the listing's place

// Component, module and source named by a listing's path below the output
// directory's result folder ("Specs" or "Defis"): the parts before the
// first, second and third "/" of the rest of the path. Without a source the
// module loses its extension; without a module, then, the component.
struct TListingPlace {
    std::string component, module, source;
};
TListingPlace SplitListingPath(const std::string& fileName, const std::string& outputDir, const std::string& folder);
// "Component: " + component, " Module: " + module, " Source: " + source,
// each only when not empty.
std::string ListingPlaceText(const TListingPlace& place);

// A source name as a listing gives it: when it holds a "\", the part after
// the first one.
std::string ListedSourceName(std::string_view name);

// ---- the source file of a listed source

using TFileExists = std::function<bool(const std::string&)>;
using TLongExtension = std::function<bool(const std::string& ext, std::string& longExt)>;

struct TSourceLookup {
    bool found = false;
    std::string path; // the file found, or the last path tried
};

// The source file of a specification listing's source: the common root,
// component, module and the name (a "\" in it becomes "/"); then with "."
// and the language code when the name has no extension; then with the
// long extension the input tree shortened; then without the component.
// Last, when a name ends in a duplicate's suffix "_N" (a file that shares
// its name with another of its module, "tally.h" beside "tally.c", is
// listed as "tally_1.h"), the name without it in the first path's folder,
// taken only when inJobList holds that file.
TSourceLookup FindSpecsSourceFile(const std::string& commonRoot, const TListingPlace& place, const std::string& name,
                                  const std::string& languageCode, const TLongExtension& longExtension,
                                  const TFileExists& exists, const TFileExists& inJobList = {});

// The same for a deficiency listing's source, without the long extension.
TSourceLookup FindDefiSourceFile(const std::string& commonRoot, const TListingPlace& place, const std::string& name,
                                 const std::string& languageCode, const TFileExists& exists);

// The job's own file of the source: the first entry of the component, from
// there the first of the module, and from that entry on, while the module
// entry is empty or the same, the entry whose source name and extension
// make the source. "" when there is none.
std::string FindSourceInFileList(const TProjectFileStructure& files, const TListingPlace& place,
                                 const std::string& source);

// ---- errors and jumps

std::string SourceNotAvailableText(const std::string& path);
std::string LineTooHighText(int line);

// How many lines above a shown source line stay in view.
constexpr int kJumpFromTree = 4;
constexpr int kJumpFromDoubleClick = 5;
constexpr int kJumpToGroupLine = 1;
constexpr int kJumpToDefiItem = 5;
// How many lines above a selected memo line stay in view.
constexpr int kMemoLineAbove = 1;

// ---- trees

// One node of a tree in preorder: its depth (0 top level), its text, its
// images, and what it points at (-1 nothing; a descriptor, an item or a
// memo line as the viewer defines).
struct TTreeLine {
    int level = 0;
    std::string text;
    int image = -1;
    int selectedImage = -1;
    int data = -1;
};
using TTreeLines = std::vector<TTreeLine>;

// A tree's nodes in preorder as a tree view reads them, node by node, so
// that a large tree is shown without a text for every node made at once.
class ITreeSource {
public:
    virtual ~ITreeSource() = default;
    virtual size_t Size() const = 0;
    virtual int Level(size_t i) const = 0;
    virtual int Data(size_t i) const = 0;
    virtual int Image(size_t i) const = 0;
    virtual int SelectedImage(size_t i) const = 0;
    virtual std::string Text(size_t i) const = 0;
};

// Tree lines as a source.
class TTreeLinesSource : public ITreeSource {
public:
    explicit TTreeLinesSource(TTreeLines lines) : lines_(std::move(lines)) {}
    size_t Size() const override { return lines_.size(); }
    int Level(size_t i) const override { return lines_[i].level; }
    int Data(size_t i) const override { return lines_[i].data; }
    int Image(size_t i) const override { return lines_[i].image; }
    int SelectedImage(size_t i) const override { return lines_[i].selectedImage; }
    std::string Text(size_t i) const override { return lines_[i].text; }

private:
    TTreeLines lines_;
};

// Every node of a source as tree lines.
TTreeLines TreeLinesOf(const ITreeSource& source);

// The tree of a listing's sections in their order: a node for the section's
// source whenever the source changes (images 7/8), and below it a node for
// the section's kind whenever the kind changes or the source did (images
// 5/6); data of both: the section's index.
struct TSectionRef {
    int sourceIndex;
    int kind;
};
TTreeLines SourceSectionTree(const std::vector<TSectionRef>& sections, const std::vector<std::string>& sourceNames,
                             const std::function<std::string(int kind)>& kindName);

// The tree as indented text, two blanks per level, one node a line (tests
// and pictures read trees this way).
std::string TreeLinesText(const TTreeLines& tree);

} // namespace pem
