#pragma once
// The test case list editor's data, free of widgets: the listing's lines as
// last saved (the working lines), the lines shown, each with the index of its
// working line, the identifier width W, the two cleanups made at loading,
// deleting and undoing as data, and the save pass (deleted lines out,
// emptied pages and trailing page heads removed, the identifiers of the
// deleted test cases collected).
//
// A listing is made of pages; a page begins with a separator (22 dashes),
// the header and a separator. Any other line is a test case line: its first
// W characters are the test case's identifier, its characters W + 1 to 80
// its content.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pem {

extern const char* const kTestCaseSeparator;   // 22 dashes
extern const char* const kTestCaseHeader;      // the page header
extern const char* const kTestCaseHeaderStart; // what deleting protects

bool IsTestCaseSeparator(std::string_view line);
bool IsTestCaseHeader(std::string_view line);
// Lines a deletion leaves alone: empty lines, headers (by their start) and
// separators.
bool IsProtectedTestCaseLine(std::string_view line);

// W: 12, lowered to the shortest trimmed head of 12 characters among the
// first 16 lines whose head is not blank.
int TestCaseIdentifierWidth(const std::vector<std::string>& lines);

// Characters W + 1 to 80 of a line.
std::string_view TestCaseContent(std::string_view line, int width);

// While the last line is a separator or a header, removes it, at most three
// lines. Returns the number removed.
int RemoveTrailingPageHeads(std::vector<std::string>& lines);

// A page break inside a test case's lines: from the second-last line back to
// the fifth, a separator followed by a header whose preceding line has the
// content of the line three after the separator loses the separator, the
// header and the line after it. A line past the end compares unequal.
// Returns the number of lines removed.
int RemovePageBreakRepeats(std::vector<std::string>& lines, int width);

// Emptied pages: from the fourth-last line back to the first, two
// separators in a row followed by a header lose the second separator, the
// header and the line after it. Returns the number of lines removed.
int RemoveEmptiedPages(std::vector<std::string>& lines);

// Lines of the saved listing that are neither separators nor headers.
int CountTestCaseLines(const std::vector<std::string>& lines);

// One deleted line: its working line, the shown line it was, and whether
// it is the last one a deletion pushed (the block mark).
struct TTestCaseUndo {
    int working = 0;
    int line = 0;
    bool blockMark = false;
};

class TTestCaseList {
public:
    // Takes the listing's lines: computes W, then runs the trailing and the
    // page-break cleanup. Returns whether a cleanup removed anything.
    bool Load(std::vector<std::string> lines);
    // The listing as written back: the lines shown again, the undo list
    // emptied; W stays.
    void Reload(std::vector<std::string> lines);

    int Width() const { return width_; }
    int ContentWidth() const { return 80 - width_; }
    const std::vector<std::string>& Working() const { return working_; }

    int LineCount() const { return static_cast<int>(shown_.size()); }
    const std::string& Line(int i) const { return working_[static_cast<size_t>(shown_[static_cast<size_t>(i)])]; }
    // The working line a shown line stands for.
    int WorkingIndex(int i) const { return shown_[static_cast<size_t>(i)]; }

    // Deletes the shown lines first to last (clamped to the lines there),
    // leaving protected lines. Returns the lines removed, from the last to
    // the first, each as it was numbered before the deletion. The last entry
    // pushed gets the block mark; a deletion that removed nothing marks
    // nothing.
    std::vector<int> Delete(int first, int last);

    struct TRestored {
        int line;         // where the line is shown again
        std::string text; // its text
    };
    // Restores the last deleted line; none when the undo list is empty.
    std::optional<TRestored> Undo();
    // Restores the last entry, then every further one up to the previous
    // block mark: one deletion's lines. In the order they were restored.
    std::vector<TRestored> UndoBlock();
    bool CanUndo() const { return !undo_.empty(); }
    const std::vector<TTestCaseUndo>& UndoList() const { return undo_; }

    struct TSaved {
        std::vector<std::string> lines;            // the listing to write
        std::unordered_set<std::string> deleted;   // identifiers (first W characters) of deleted lines
    };
    // The save pass over the working lines; the list itself is unchanged.
    TSaved Apply() const;

private:
    std::vector<std::string> working_;
    std::vector<int> shown_; // working index of each shown line
    std::vector<TTestCaseUndo> undo_;
    int width_ = 12;
};

} // namespace pem
