#pragma once
// The program's XML document model: a flat list of nodes in document order,
// each with its nesting level and raw text, a cursor for walking, searches by
// tag and by attribute values, a clean pass that folds an element's text into
// the element, subtree extraction, and the text parser and writer.
//
// Attributes are not parsed into a table: they stay inside the raw start tag
// (name="value", single blanks) and are read and written there. Attribute
// values set through SetAttribute are stored escaped (&quot; &amp; &lt;) and
// GetAttribute decodes them; element values are decoded on parse and written
// escaped, so every document the program writes reads back the same. A
// character reference to a character outside the 8-bit code page stays as
// written ("&#x4E2D;") in values and is written back unchanged.
//
// The parser refuses elements nested deeper than kMaxXMLDepth levels and
// attribute values without quotes, naming the line and column.
//
// Standard library only: this unit must stay free of Qt.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "StringList.h"

namespace pem {

class TMyXMLNodeList;
namespace xmlutil {
struct TextSource;
}

// Elements may be nested this many levels deep (levels 0 to kMaxXMLDepth - 1).
inline constexpr int kMaxXMLDepth = 1000;

class TMyXMLNode {
    // Made by the parser in its list's node blocks; a copy of such a node is
    // a node of its own.
    struct ArenaFlag {
        bool on = false;
        ArenaFlag() = default;
        explicit ArenaFlag(bool b) : on(b) {}
        ArenaFlag(const ArenaFlag&) {}
        ArenaFlag& operator=(const ArenaFlag&) { return *this; }
    };

public:
    // A node of that level; ParseRawTag fills the other fields.
    TMyXMLNode(int level, const std::string& raw);
    static std::unique_ptr<TMyXMLNode> Create(int level, const std::string& raw) {
        return std::make_unique<TMyXMLNode>(level, raw);
    }

    bool UpperCaseNames = false;   // attribute names are compared in upper case
    bool HasAttributes = false;    // the raw start tag holds an "="
    bool Folded = false;           // the clean pass folded a text into this node
    bool UpperCaseMode = false;    // RawText was upper-cased outside quoted values
    int Level = 0;                 // nesting depth, 0 for the root
    TMyXMLNodeList* Owner = nullptr;
    int Index = -1;                // position in the owner list
    bool IsEmpty = false;          // "<a/>" or "<a></a>"
    // The flags go before the strings, so that they fill the gap
    // before the first string instead of one after the last.
    bool HasNamespace = false;     // TagName holds a ":"

private:
    ArenaFlag inArena_;

public:
    std::string TagName;           // empty for end tags, text, comments, declarations
    std::string Value;             // the element's text after the clean pass
    std::string RawText;           // start tag ("/>" stored as ">"), end tag, text line, comment

    // Writing Level, RawText or TagName directly (not through these
    // operations) must be followed by Owner->Changed().

    void ParseRawTag(const std::string& raw);

    // TagName, or its part after ":" when the owner is in namespace mode.
    std::string Name() const { return std::string(NameView()); }
    std::string_view NameView() const;
    // RawText (entities decoded) for a text line, Value for a tag.
    std::string Text() const;

    // Value without characters 0 to 32, converted; EConvertError otherwise.
    int AsInteger() const;
    double AsFloat() const;
    void SetAsInteger(int v);
    void SetAsFloat(double v);

    // The raw tag between its name and the closing ">"; empty without attributes.
    std::string AttributePart() const;
    // The decoded value of the attribute; empty when it is not there.
    std::string GetAttribute(std::string_view name) const;
    // Replaces or adds the attribute; the value is stored escaped.
    void SetAttribute(std::string_view name, std::string_view value);
    // One name=value line per attribute (values decoded); null without attributes.
    std::unique_ptr<TStringList> AttributeValues() const;

    void SetUpperCaseMode(bool on);

    bool HasChildren() const;
    // Search below this node; the owner's cursor moves to the node found.
    bool FindChild(std::string_view tag);
    bool Locate(std::string_view tag, const std::vector<std::string>& keys);

private:
    friend class TMyXMLNodeList;
    friend struct XmlNodeDeleter;
    // A node the parser makes, in its list's node blocks or on its own.
    TMyXMLNode(int level, std::string_view raw, bool inArena) : inArena_(inArena) {
        Level = level;
        ParseRaw(raw);
    }
    void ParseRaw(std::string_view raw);
    bool AttrUpperMode() const;
    bool OwnerNamespaceMode() const;
    // Range [first, last) of the named attribute's raw value in RawText.
    bool FindAttribute(std::string_view name, size_t& first, size_t& last) const;
    void Touch();
};

// Frees a node the way it was made: a parser-made node lives in its list's
// node blocks and is only destroyed, a node made on its own is deleted.
struct XmlNodeDeleter {
    void operator()(TMyXMLNode* n) const;
};

class TMyXMLNodeList {
public:
    TMyXMLNodeList();
    ~TMyXMLNodeList();
    TMyXMLNodeList(const TMyXMLNodeList&) = delete;
    TMyXMLNodeList& operator=(const TMyXMLNodeList&) = delete;

    static std::unique_ptr<TMyXMLNodeList> Create();
    static std::unique_ptr<TMyXMLNodeList> CreateFromText(std::string_view text);
    static std::unique_ptr<TMyXMLNodeList> CreateFromTextEx(std::string_view text, bool clean);
    static std::unique_ptr<TMyXMLNodeList> CreateFromFile(const std::string& fileName);

    bool IsClean = false;
    int CurrentLevel = 0;
    int CursorIndex = 0;
    bool CaseInsensitiveValues = false;  // attribute values and tags compare in upper case
    bool UpperCaseMode = false;
    std::string DocTypeHeader;     // DOCTYPE lines, each ended by CR LF
    std::string ProcessingHeader;  // processing instructions, each ended by CR LF
    bool NamespaceMode = false;    // names also match on their part after ":"
    int WrapColumn = 100;          // wrap column of the tab layout

    int Count() const { return static_cast<int>(nodes_.size()); }
    TMyXMLNode* operator[](int i) const { return NodeAt(i); }

    // Frees the nodes, resets IsClean, the cursor and the two case flags
    // (the headers stay).
    void Clear();

    // Reads the file in one read, byte for byte (CR LF, LF and lone CR line
    // ends stay as they are), and parses it, cleaned.
    void LoadFromFile(const std::string& fileName);
    // Clears the list and both headers, scans the text, then cleans when asked.
    // A mismatched end tag raises "No matching tag found for %s>!"; nesting
    // deeper than kMaxXMLDepth and an attribute without a quoted value raise
    // their own messages with the line and column. On an error the raw nodes
    // read so far stay in the list. Elements left open at the end of the text
    // are accepted and keep their text.
    void Parse(std::string_view text, bool clean = true);
    void Clean(bool on);
    void CleanNow() { Clean(true); }
    void CleanPass();

    // The nodes as text with CR LF line ends; start < 0 writes the whole list,
    // otherwise the subtree at start. Tab layout: TAB indents and wrapping at
    // WrapColumn; otherwise two blanks per level.
    std::string AsText(int start = -1, bool tabLayout = false) const;
    // Clean list: ProcessingHeader, DocTypeHeader, then AsText(start, blanks).
    // The file is replaced in one step: the old one stays whole until the new
    // text is complete. Raises EFileError "Can not create file %s" when the
    // file cannot be made, "Can not write file %s" when the text cannot.
    void SaveToFile(const std::string& fileName, int start = -1) const;

    void SetUpperCaseMode(bool on);

    // Appends the node; mode 0 gives it the previous node's level, 1 that
    // level - 1, 2 that level + 1, 3 keeps its own level.
    TMyXMLNode* AddNode(std::unique_ptr<TMyXMLNode> node, int mode);

    // Moves the node at start and its descendants into a new clean list whose
    // root has level 0. Raises "Only clean nodes can be moved!" and
    // "Start index (%d) greater then Count (%d)!".
    std::unique_ptr<TMyXMLNodeList> ExtractSubtree(int start);
    void DeleteSubtreeAt(int start);
    void DeleteSubtree(TMyXMLNode* node);

    // Node access by index; an index outside the list raises
    // "List index out of bounds (%d)".
    TMyXMLNode* NodeAt(int i) const;
    std::string NodeText(int i) const { return NodeAt(i)->Text(); }
    // An element given a value is no longer written as an empty element.
    void SetNodeValue(int i, const std::string& value);
    int NodeLevel(int i) const { return NodeAt(i)->Level; }
    std::string NodeName(int i) const { return NodeAt(i)->Name(); }
    // The attribute part with one blank in front, or empty.
    std::string NodeAttributes(int i) const;
    // The raw text; an empty element of a raw list ends in "/>".
    std::string NodeRawTag(int i) const;
    TMyXMLNode* CurrentNode() const;

    // Cursor.
    void SetCursor(int index);
    void First() { SetCursor(0); }
    bool Next();
    bool NextSibling();
    // index < 0: the cursor node.
    bool HasChildren(int index = -1) const;

    // Searches of the cursor's group (the nodes from the first node after the
    // nearest node before the cursor whose level is below CurrentLevel, while
    // levels stay at least CurrentLevel, descendants included).
    bool FindChildFrom(std::string_view tag, int start);
    bool FindChild(std::string_view tag) { return FindChildFrom(tag, -1); }
    bool HasTagFrom(std::string_view tag, int start);
    bool HasTag(std::string_view tag) { return HasTagFrom(tag, -1); }
    // Raises "Tag "%s" doesn't exist" when the tag is not in the group.
    TMyXMLNode* NodeByTagFrom(std::string_view tag, int start);
    TMyXMLNode* NodeByTag(std::string_view tag) { return NodeByTagFrom(tag, -1); }
    // keys: attribute name, value, name, value ...; tag "*" matches any node.
    // Raises "Number of keys for TMyXMLNodeList.Locate is not even!".
    bool LocateFrom(std::string_view tag, const std::vector<std::string>& keys, int start);
    bool Locate(std::string_view tag, const std::vector<std::string>& keys) {
        return LocateFrom(tag, keys, -1);
    }

    // Drops the search caches; needed only after writing a node's Level,
    // RawText or TagName directly.
    void Changed() { ++modCount_; }

private:
    friend class TMyXMLNode;
    bool NameMatches(const TMyXMLNode& n, std::string_view tag) const;
    int GroupStart() const;
    int SearchGroup(std::string_view tag) const;
    void Renumber(int from);
    using NodePtr = std::unique_ptr<TMyXMLNode, XmlNodeDeleter>;
    void AppendNode(NodePtr node);
    struct NodeArena;
    // In the blocks when arena is given, else on its own.
    TMyXMLNode* NewNode(NodeArena* arena, int level, std::string_view raw);
    void ScanText(xmlutil::TextSource& source, bool clean);
    void ParentsUpToDate() const;

    // Blocks the parser makes its nodes in: a few large allocations instead
    // of one per node. Shared with lists that received extracted subtrees;
    // declared before nodes_ so that the nodes are destroyed first.
    std::vector<std::shared_ptr<NodeArena>> arenas_;
    std::vector<NodePtr> nodes_;
    uint64_t modCount_ = 0;

    // Nearest earlier node of lower level, per node (rebuilt after changes).
    mutable std::vector<int> parents_;
    mutable uint64_t parentsStamp_ = UINT64_MAX;

    // Index of the cursor group's attribute values for repeated Locate calls
    // of the same shape, so walking many entities one after another is linear.
    struct LocateIndex;
    mutable std::unique_ptr<LocateIndex> locate_;
};

} // namespace pem
