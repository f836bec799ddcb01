#pragma once
// Module specification listings as the viewers read them, free of widgets:
// the page headers name the sources, boxed titles open the sections; the
// listing is cleaned of headers, borders and empty box lines, its source
// line numbers are moved to the front, and the sections become a tree of
// sources and section kinds. The entries of a section (function references
// with their groups, methods, interfaces, data attributes, test cases) are
// derived from the section's lines as the memo shows them. Also the OBJECT
// lookup of plain (requirement text) listings.
#include "ListingSource.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pem {

// The ten section kinds (1 to 10): the title in the listing, the name the
// tree and the memo show, the explanation under it.
struct TSpecsSectionKind {
    const char* title;
    const char* displayName;
    const char* explanation;
};
// Kind 1 to 10; an empty record for any other.
const TSpecsSectionKind& SpecsSectionKind(int kind);

// The line a page header of the listing begins with.
extern const char* const kSpecsPageHeader;
// The border of a box: "+", 118 "-", "+".
extern const std::string kSpecsBorder;
// A separator of entries once the listing is cleaned: "+" and 53 "-".
extern const char* const kSpecsSeparator;

// The section that a title line opens.
struct TSpecsObjDescriptor {
    int sourceIndex = 0; // into the source names
    int kind = 0;        // 1 to 10
    int firstLine = 0;   // the title line, in the cleaned lines
    int lineCount = 0;   // the title line and the lines up to the next section
};

struct TSpecsObjListing {
    std::vector<std::string> sourceNames;
    std::vector<std::string> lines; // cleaned
    std::vector<int> descriptorOf;  // per line: its section, -1 none
    std::vector<TSpecsObjDescriptor> descriptors;
};

// The source name of a page header's seventh line: the text after
// "SOURCE NAME:" and the blanks after it, up to the next blank; its part
// after the first "\" when it holds one.
std::string SpecsHeaderSourceName(std::string_view line);

// Reads and cleans the listing's lines. Sections before the first page
// header, and sections with a title only, are dropped.
TSpecsObjListing ReadSpecsObjListing(std::vector<std::string> lines);

// Sources (images 7/8) with their section kinds (images 5/6) below; data:
// the descriptor index. A kind that returns after another kind under one
// source gets a node of its own again.
TTreeLines SpecsObjSectionTree(const TSpecsObjListing& listing);

// The section's lines as the memo shows them: every "|" a blank, trimmed on
// the right.
std::vector<std::string> SpecsObjSectionMemo(const TSpecsObjListing& listing, int descriptor);

// Function references of a section's memo lines: after a separator, the
// next line is a group (level 0, image 9) and each further line a
// reference of it (level 1, image 10); lines before the first group make no
// node. Data: the memo line.
TTreeLines FunctionReferenceNodes(const std::vector<std::string>& memo);
// Entries of sections of kinds 4, 6, 7 and 10: one node (level 0, image 11)
// named by the line after each separator (kind 10 also after a separator
// standing after the line number). Data: that line.
TTreeLines SectionEntryNodes(const std::vector<std::string>& memo, int kind);
// An entry's name: the text from the 7th character, blanks compressed.
std::string SpecsEntryName(std::string_view memoLine);

// The source line number in a memo line's first five characters.
std::optional<int> MemoSourceLine(std::string_view memoLine);

// Where a reference stands in its source line (0-based, length): its name
// followed by "(", else the name less its last character, trimmed.
struct TTextHit {
    int pos = 0;
    int length = 0;
};
std::optional<TTextHit> FindReferenceInLine(std::string_view sourceLine, std::string_view memoLine);

// ---- plain listings

// The objects of a plain listing: for each line that begins with
// "|   OBJECT: ", its text up to the last "|", trimmed on the right, with
// the line number (from 1); a name met again (ignoring case) is kept once.
struct TObjectEntry {
    std::string text;
    int line = 0;
};
std::vector<TObjectEntry> PlainListingObjects(std::string_view text);

} // namespace pem
