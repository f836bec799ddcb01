#pragma once
// The rows of the XML document editor, free of widgets: which label and
// which edit each node of a clean document gets, the texts they start with,
// their names, the headings and their collapsed state, the read-only marks
// from a read-only list, the number texts of the float fields, and where the
// rows stand when they flow down in columns.
#include "TessalyXML.h"

#include <string>
#include <vector>

namespace pem {

// The edit of a row: none (a heading), a text, an integer, a float or an
// attribute value.
enum class TXMLEditKind { None, Text, Integer, Float, Param };
// A row without edit is a heading: a structure ("<Name>", always open) or a
// group ("+--- ..." collapsed, "---- " never; "-" once opened).
enum class TXMLHeading { None, Structure, Group };

struct TXMLEditRow {
    int Node = -1;                       // index of the document node
    TXMLEditKind Kind = TXMLEditKind::None;
    TXMLHeading Heading = TXMLHeading::None;
    std::string Label;                   // the label's text
    std::string Attribute;               // Param rows: the attribute's name
    std::string Text;                    // the edit's first text
    std::string LabelName;               // "Label_<tag>_<row>"
    std::string EditName;                // "Edit_<tag>_<row>"; "" without edit
    bool Wide = false;                   // the edit is as wide as its text (not a number)
    bool ReadOnly = false;               // the edit may not be changed
};

struct TXMLEditRows {
    std::vector<TXMLEditRow> Rows;
    std::vector<int> FirstRow;           // per document node; -1 for none
};

// The edit kind of a value: only digits an integer, digits with exactly one
// "." a float, anything else (the empty text too) a text. An integer that
// does not fit into 32 bits stays a text.
TXMLEditKind ValueEditKind(const std::string& value);

// The label name of a node: its tag name with "_" as blanks and every word
// capitalised.
std::string NodeLabelName(const TMyXMLNode& node);

// The rows of every node of a clean document, in document order.
TXMLEditRows BuildXMLEditRows(const TMyXMLNodeList& doc);

// The text a float field opens with: 12.50 gives "12.5", 0.5 "0.5", 0 "0.0".
std::string OpenedFloatText(double v);
// The text a float field stores when it is left: 0.5 gives ".5", 0 "0.0",
// 3 "3.0".
std::string StoredFloatText(double v);

// Whether a heading is collapsed ("+" the first character after blanks).
bool HeadingCollapsed(const std::string& label);
// The heading with its first "+" or "-" turned into the other.
std::string ToggledHeading(const std::string& label);

// Marks the rows whose edits may not be changed, from the read-only list
// (its text): in the list, the block is the root's child named like the
// document's root element, else its child "READONLY" (names in upper case).
// A node without attributes is read-only when the block holds an element
// of its tag name with TagReadOnly="Y"; an attribute when the block holds
// an element of the node's tag name whose attribute of that name is "Y".
// An empty or unusable list marks nothing.
void MarkReadOnlyRows(TXMLEditRows& rows, const TMyXMLNodeList& doc, const std::string& readOnlyListText);

// Where the rows stand on the editor's panel.
struct TXMLEditMetrics {
    int Left = 8;          // first column's left (the tree template's left)
    int Top = 8;           // first row's top
    int RowHeight = 24;    // from one edit to the next
    int Indent = 16;       // label-and-edit rows against headings
    int LabelToEdit = 3;   // label top against its edit's top
    int LabelGap = 6;      // between the widest label and the edits
    int ColumnGap = 8;     // between one column's widest content and the next
};
struct TXMLRowPlace {
    bool Visible = false;
    int LabelLeft = 0, LabelTop = 0;
    int EditLeft = 0, EditTop = 0;
};
// A column: its left, the right end of its widest content, and the range of
// rows it shows, from FirstRow up to (not including) EndRow; rows that a
// collapsed heading hides within that range show nowhere.
struct TXMLEditColumn {
    int Left = 0, Right = 0;
    int FirstRow = 0, EndRow = 0;
};
struct TXMLEditLayout {
    std::vector<TXMLRowPlace> Places;
    std::vector<TXMLEditColumn> Spans; // the columns, left to right
    int Width = 0;         // right end of the last column plus the left margin
    int Columns = 0;
};
// Rows flow top-down in columns of (clientHeight - Top) / RowHeight rows (3
// when RowHeight is 0); headings always show, and a collapsed heading hides
// the rows up to the next heading. A column ends when it is full, and before
// an opened group heading when fewer than two rows are left in it. The edits
// of a column stand right of its widest label. labelWidths and editWidths
// give each row's label and edit width in pixels (edit 0 without edit).
TXMLEditLayout PlanXMLEditLayout(const std::vector<TXMLEditRow>& rows, const std::vector<int>& labelWidths,
                                 const std::vector<int>& editWidths, const TXMLEditMetrics& m, int clientHeight);

} // namespace pem
