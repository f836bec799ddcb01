// The XML document model: nodes, cursor, searches, the clean pass and
// subtree extraction. The parser and writer live in TessalyXMLParser.cpp.
#include "TessalyXML.h"

#include <sys/mman.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include "CharSet1252.h"
#include "Exceptions.h"
#include "TessalyXMLInternal.h"

namespace pem {

using xmlutil::IsBlank;

namespace {

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

std::string IndexError(int i) { return "List index out of bounds (" + std::to_string(i) + ")"; }

// The value with every character 0 to 32 removed, as the numeric reads want it.
std::string StripControls(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s)
        if (static_cast<unsigned char>(c) > 32) r += c;
    return r;
}

bool ParseInt32(const std::string& s, int& out) {
    if (s.empty()) return false;
    size_t p = 0;
    bool neg = false;
    if (s[p] == '+' || s[p] == '-') neg = s[p++] == '-';
    int base = 10;
    if (p < s.size() && s[p] == '$') {
        base = 16;
        ++p;
    } else if (p + 1 < s.size() && s[p] == '0' && (s[p + 1] == 'x' || s[p + 1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (p >= s.size()) return false;
    long long v = 0;
    auto r = std::from_chars(s.data() + p, s.data() + s.size(), v, base);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
    if (neg) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseDouble(const std::string& s, double& out) {
    if (s.empty()) return false;
    size_t p = 0;
    if (s[0] == '+') p = 1;
    if (p >= s.size()) return false;
    char c = s[p];
    if (!(c == '-' || c == '.' || (c >= '0' && c <= '9'))) return false;  // no "inf", "nan"
    if (c == '-' && p + 1 < s.size() && !(s[p + 1] == '.' || (s[p + 1] >= '0' && s[p + 1] <= '9')))
        return false;
    auto r = std::from_chars(s.data() + p, s.data() + s.size(), out, std::chars_format::general);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Shortest general form with up to 15 significant digits, "." as separator,
// exponent form "1E20" / "1E-7" outside 1E-5 .. 1E15.
std::string FloatText(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    std::string s(buf, r.ptr);
    bool neg = s[0] == '-';
    if (neg) s.erase(0, 1);
    size_t e = s.find('e');
    int exp = std::stoi(s.substr(e + 1));
    std::string digits;
    for (size_t k = 0; k < e; ++k)
        if (s[k] != '.') digits += s[k];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    if (exp < -5 || exp >= 15) {
        out = digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exp);
    } else if (exp < 0) {
        out = "0." + std::string(static_cast<size_t>(-exp - 1), '0') + digits;
    } else {
        size_t intLen = static_cast<size_t>(exp) + 1;
        if (digits.size() <= intLen) {
            out = digits + std::string(intLen - digits.size(), '0');
        } else {
            out = digits.substr(0, intLen) + "." + digits.substr(intLen);
        }
    }
    return neg ? "-" + out : out;
}

} // namespace

// ----------------------------------------------------------------- node blocks

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

// A mapping of one huge page's size at a huge page's boundary, marked for
// huge pages; null when the system refuses the mapping.
std::byte* MapHugeBlock() {
    void* m = ::mmap(nullptr, 2 * kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return nullptr;
    auto* raw = static_cast<std::byte*>(m);
    const uintptr_t at = (reinterpret_cast<uintptr_t>(raw) + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    auto* block = raw + (at - reinterpret_cast<uintptr_t>(raw));
    if (block > raw) ::munmap(raw, static_cast<size_t>(block - raw));
    if (raw + 2 * kHugePage > block + kHugePage)
        ::munmap(block + kHugePage, static_cast<size_t>(raw + 2 * kHugePage - (block + kHugePage)));
    // Without huge pages the block is used all the same.
    ::madvise(block, kHugePage, MADV_HUGEPAGE);
    return block;
}

} // namespace

TMyXMLNodeList::NodeArena::~NodeArena() {
    for (const Block& b : blocks) {
        if (b.mapped) ::munmap(b.p, b.bytes);
        else delete[] b.p;
    }
}

void TMyXMLNodeList::NodeArena::Grow() {
    constexpr size_t kHugeNodes = kHugePage / sizeof(TMyXMLNode);
    // Blocks double from 64 nodes; small documents never reach a huge page.
    size_t nodes = blocks.empty() ? 64 : std::min(capacity * 2, kHugeNodes);
    std::byte* p = nullptr;
    bool mapped = false;
    if (nodes * 2 > kHugeNodes) {
        nodes = kHugeNodes;
        p = MapHugeBlock();
        mapped = p != nullptr;
    }
    if (!p) p = new std::byte[nodes * sizeof(TMyXMLNode)];
    try {
        blocks.push_back({p, mapped ? kHugePage : nodes * sizeof(TMyXMLNode), mapped});
    } catch (...) {
        if (mapped) ::munmap(p, kHugePage);
        else delete[] p;
        throw;
    }
    next = p;
    capacity = nodes;
    used = 0;
}

// ---------------------------------------------------------------- TMyXMLNode

TMyXMLNode::TMyXMLNode(int level, const std::string& raw) : Level(level) { ParseRawTag(raw); }

void TMyXMLNode::Touch() {
    if (Owner) Owner->Changed();
}

void TMyXMLNode::ParseRawTag(const std::string& raw) {
    ParseRaw(raw);
    Touch();
}

void TMyXMLNode::ParseRaw(std::string_view raw) {
    size_t n = raw.size();
    // "<a/>" is kept as "<a>" with IsEmpty set; an end tag is never empty.
    if (n >= 3 && raw[0] == '<' && raw[1] != '/' && raw[n - 2] == '/' && raw[n - 1] == '>') {
        IsEmpty = true;
        RawText.reserve(n - 1);
        RawText.assign(raw.substr(0, n - 2));
        RawText += '>';
    } else {
        RawText.assign(raw);
    }
    HasAttributes = RawText.find('=') != std::string::npos;
    TagName.clear();
    HasNamespace = false;
    if (RawText.size() >= 2 && RawText[0] == '<') {
        char c = RawText[1];
        if (c != '!' && c != '/' && c != '?') {
            size_t e = 1;
            while (e < RawText.size() && RawText[e] != ' ' && RawText[e] != '>') ++e;
            TagName.assign(RawText.data() + 1, e - 1);
            HasNamespace = TagName.find(':') != std::string::npos;
        }
    }
}

void XmlNodeDeleter::operator()(TMyXMLNode* n) const {
    if (!n) return;
    if (n->inArena_.on) n->~TMyXMLNode();
    else delete n;
}

bool TMyXMLNode::OwnerNamespaceMode() const { return Owner && Owner->NamespaceMode; }

bool TMyXMLNode::AttrUpperMode() const {
    return UpperCaseNames || UpperCaseMode || (Owner && Owner->UpperCaseMode);
}

std::string_view TMyXMLNode::NameView() const {
    std::string_view n = TagName;
    if (OwnerNamespaceMode() && HasNamespace) {
        size_t c = n.find(':');
        if (c != std::string_view::npos) return n.substr(c + 1);
    }
    return n;
}

std::string TMyXMLNode::Text() const {
    if (RawText.empty() || RawText[0] != '<') return xmlutil::DecodeEntities(RawText);
    return Value;
}

int TMyXMLNode::AsInteger() const {
    std::string s = StripControls(Value);
    int v = 0;
    if (!ParseInt32(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

double TMyXMLNode::AsFloat() const {
    std::string s = StripControls(Value);
    double v = 0;
    if (!ParseDouble(s, v)) throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

void TMyXMLNode::SetAsInteger(int v) {
    Value = std::to_string(v);
    IsEmpty = false;
}

void TMyXMLNode::SetAsFloat(double v) {
    Value = FloatText(v);
    IsEmpty = false;
}

std::string TMyXMLNode::AttributePart() const {
    if (!HasAttributes) return {};
    size_t b = RawText.find(' ');
    if (b == std::string::npos) return {};
    size_t end = RawText.size();
    if (end > 0 && RawText[end - 1] == '>') --end;
    if (end <= b + 1) return {};
    return RawText.substr(b + 1, end - b - 1);
}

// Walks the name="value" items after the tag name the way the parser writes
// them (a name part ending in "=", then a quoted value), skipping quoted
// values whole, so that text inside a value is never taken for a name.
// fn(namePart, valueFirst, valueLast) returns true to stop the walk; the name
// part includes its "=". Returns the position after the last closing quote
// (npos when there is no quoted value).
template <class Fn>
static size_t ForEachAttribute(const std::string& r, Fn&& fn) {
    size_t lastClose = std::string::npos;
    if (r.size() < 2 || r[0] != '<') return lastClose;
    size_t p = r.find(' ');
    if (p == std::string::npos) return lastClose;
    const size_t n = r.size();
    while (p < n) {
        while (p < n && IsBlank(r[p])) ++p;
        const size_t ns = p;
        while (p < n && !IsBlank(r[p]) && r[p] != '"' && r[p] != '\'') ++p;
        if (p >= n) break;
        if (IsBlank(r[p])) continue;  // a word without a value
        const char q = r[p];
        const size_t vs = p + 1;
        size_t ve = r.find(q, vs);
        const bool closed = ve != std::string::npos;
        if (!closed) ve = n;
        if (closed) lastClose = ve + 1;
        if (fn(std::string_view(r).substr(ns, p - ns), vs, ve)) break;
        p = closed ? ve + 1 : n;
    }
    return lastClose;
}

// prefixed: also accept "prefix:name" when the plain form is absent.
static bool ScanAttribute(const std::string& r, std::string_view name, bool prefixed, size_t& first, size_t& last) {
    for (int pass = 0; pass < (prefixed ? 2 : 1); ++pass) {
        bool found = false;
        ForEachAttribute(r, [&](std::string_view part, size_t vs, size_t ve) {
            if (part.size() < name.size() + 1 || part.back() != '=') return false;
            std::string_view nm = part.substr(0, part.size() - 1);
            bool match = pass == 0 ? nm == name
                                   : (nm.size() > name.size() && nm.substr(nm.size() - name.size()) == name &&
                                      nm[nm.size() - name.size() - 1] == ':');
            if (match) {
                first = vs;
                last = ve;
                found = true;
            }
            return match;
        });
        if (found) return true;
    }
    return false;
}

bool TMyXMLNode::FindAttribute(std::string_view name, size_t& first, size_t& last) const {
    return ScanAttribute(RawText, name, OwnerNamespaceMode(), first, last);
}

std::string TMyXMLNode::GetAttribute(std::string_view name) const {
    std::string n(name);
    if (AttrUpperMode()) n = AsciiUpperCase(n);
    std::string_view look = n;
    if (OwnerNamespaceMode()) {
        size_t c = look.find(':');
        if (c != std::string_view::npos) look = look.substr(c + 1);
    }
    size_t f = 0, l = 0;
    if (!FindAttribute(look, f, l)) return {};
    return xmlutil::DecodeEntities(std::string_view(RawText).substr(f, l - f));
}

void TMyXMLNode::SetAttribute(std::string_view name, std::string_view value) {
    std::string n(name);
    if (AttrUpperMode()) n = AsciiUpperCase(n);
    std::string v = xmlutil::EscapeAttribute(value);
    size_t f = 0, l = 0;
    if (HasAttributes && FindAttribute(n, f, l)) {
        RawText.replace(f, l - f, v);
    } else if (size_t after = HasAttributes ? ForEachAttribute(RawText, [](auto, auto, auto) { return false; })
                                             : std::string::npos;
               after != std::string::npos) {
        RawText.insert(after, " " + n + "=\"" + v + "\"");
    } else {
        size_t e = RawText.find_first_of(" >", 1);
        if (e == std::string::npos) e = RawText.size();
        RawText.insert(e, " " + n + "=\"" + v + "\" ");
    }
    HasAttributes = true;
    Touch();
}

std::unique_ptr<TStringList> TMyXMLNode::AttributeValues() const {
    if (!HasAttributes) return nullptr;
    auto list = std::make_unique<TStringList>();
    ForEachAttribute(RawText, [&](std::string_view part, size_t vs, size_t ve) {
        if (!part.empty() && part.back() == '=') part.remove_suffix(1);
        list->Add(std::string(part) + "=" + xmlutil::DecodeEntities(std::string_view(RawText).substr(vs, ve - vs)));
        return false;
    });
    return list;
}

void TMyXMLNode::SetUpperCaseMode(bool on) {
    UpperCaseMode = on;
    if (!on) return;
    std::string r = RawText;
    bool quoted = false;
    for (char& c : r) {
        if (c == '"') quoted = !quoted;
        else if (!quoted) c = AsciiUpper(c);
    }
    ParseRawTag(r);
}

bool TMyXMLNode::HasChildren() const { return Owner && Index >= 0 && Owner->HasChildren(Index); }

bool TMyXMLNode::FindChild(std::string_view tag) {
    if (!HasChildren()) return false;
    return Owner->FindChildFrom(tag, Index + 1);
}

bool TMyXMLNode::Locate(std::string_view tag, const std::vector<std::string>& keys) {
    if (keys.size() % 2 != 0) throw Exception("Number of keys for TMyXMLNodeList.Locate is not even!");
    if (!HasChildren()) return false;
    return Owner->LocateFrom(tag, keys, Index + 1);
}

// ------------------------------------------------------------ TMyXMLNodeList

struct TMyXMLNodeList::LocateIndex {
    uint64_t stamp = UINT64_MAX;
    std::string shape;  // group, flags, tag and key names of the last query
    bool built = false;
    std::unordered_map<std::string, int> first;  // key values -> first node
};

TMyXMLNodeList::TMyXMLNodeList() : locate_(std::make_unique<LocateIndex>()) {}
TMyXMLNodeList::~TMyXMLNodeList() = default;

std::unique_ptr<TMyXMLNodeList> TMyXMLNodeList::Create() { return std::make_unique<TMyXMLNodeList>(); }

std::unique_ptr<TMyXMLNodeList> TMyXMLNodeList::CreateFromText(std::string_view text) {
    return CreateFromTextEx(text, true);
}

std::unique_ptr<TMyXMLNodeList> TMyXMLNodeList::CreateFromTextEx(std::string_view text, bool clean) {
    auto l = Create();
    l->Parse(text, clean);
    return l;
}

std::unique_ptr<TMyXMLNodeList> TMyXMLNodeList::CreateFromFile(const std::string& fileName) {
    auto l = Create();
    l->LoadFromFile(fileName);
    return l;
}

void TMyXMLNodeList::Clear() {
    nodes_.clear();
    arenas_.clear();
    IsClean = false;
    CurrentLevel = 0;
    CursorIndex = 0;
    CaseInsensitiveValues = false;
    UpperCaseMode = false;
    Changed();
}

void TMyXMLNodeList::Clean(bool on) {
    if (!on || IsClean) return;
    CursorIndex = 0;
    CurrentLevel = 0;
    CleanPass();
    IsClean = true;
}

void TMyXMLNodeList::CleanPass() {
    const int n = Count();
    auto level = [&](int k) { return nodes_[static_cast<size_t>(k)]->Level; };
    int i = 0;
    while (i < n) {
        TMyXMLNode& a = *nodes_[static_cast<size_t>(i)];
        if (i + 2 < n && level(i) == level(i + 2) && level(i) < level(i + 1)) {
            a.Value = nodes_[static_cast<size_t>(i) + 1]->Text();
            a.Folded = true;
            i += 3;
            continue;
        }
        if (i + 1 < n && level(i) == level(i + 1)) {
            // An element directly followed by its own end tag.
            const std::string& r = nodes_[static_cast<size_t>(i) + 1]->RawText;
            std::string_view name = a.NameView();
            if (!name.empty() && r.size() >= 3 && r[0] == '<' && r[1] == '/' &&
                std::string_view(r).substr(2, r.size() - 3) == name) {
                a.Folded = false;
                a.IsEmpty = true;
                i += 2;
                continue;
            }
        }
        if (!a.TagName.empty()) {
            // An element whose text is split by comments (or that was left
            // open at the end of the document): its content is text lines and
            // comments only, up to its end tag or the end of the list. The
            // value is the text lines joined, so no text is lost.
            int j = i + 1;
            while (j < n && level(j) == level(i) + 1 && xmlutil::IsContentNode(*nodes_[static_cast<size_t>(j)])) ++j;
            if (j > i + 1 && (j == n || level(j) == level(i))) {
                a.Value.clear();
                for (int k = i + 1; k < j; ++k) {
                    const TMyXMLNode& c = *nodes_[static_cast<size_t>(k)];
                    if (xmlutil::IsTextNode(c)) xmlutil::AppendDecoded(a.Value, c.RawText);
                }
                a.Folded = true;
                i = j < n ? j + 1 : n;
                continue;
            }
        }
        ++i;
    }
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(), [](const NodePtr& p) { return p->NameView().empty(); }),
                 nodes_.end());
    Renumber(0);
    Changed();
}

void TMyXMLNodeList::Renumber(int from) {
    for (size_t k = static_cast<size_t>(std::max(from, 0)); k < nodes_.size(); ++k) nodes_[k]->Index = static_cast<int>(k);
}

void TMyXMLNodeList::AppendNode(NodePtr node) {
    node->Owner = this;
    node->Index = Count();
    nodes_.push_back(std::move(node));
}

void TMyXMLNodeList::SetUpperCaseMode(bool on) {
    UpperCaseMode = on;
    for (auto& n : nodes_) n->SetUpperCaseMode(on);
    Changed();
}

TMyXMLNode* TMyXMLNodeList::AddNode(std::unique_ptr<TMyXMLNode> node, int mode) {
    if (!node) throw Exception("Cannot add a missing node");
    if (!nodes_.empty()) {
        int prev = nodes_.back()->Level;
        switch (mode) {
        case 0: node->Level = prev; break;
        case 1: node->Level = prev - 1; break;
        case 2: node->Level = prev + 1; break;
        default: break;
        }
    }
    TMyXMLNode* p = node.release();
    AppendNode(NodePtr(p));
    Changed();
    return p;
}

std::unique_ptr<TMyXMLNodeList> TMyXMLNodeList::ExtractSubtree(int start) {
    if (!IsClean) throw Exception("Only clean nodes can be moved!");
    const int s = std::max(start, 0);
    if (s > Count() - 1)
        throw Exception("Start index (" + std::to_string(s) + ") greater then Count (" + std::to_string(Count()) + ")!");
    const int base = nodes_[static_cast<size_t>(s)]->Level;
    int e = s + 1;
    while (e < Count() && nodes_[static_cast<size_t>(e)]->Level > base) ++e;

    auto out = Create();
    out->IsClean = true;
    out->arenas_ = arenas_;  // the moved nodes may live in this list's blocks
    for (int k = s; k < e; ++k) {
        auto& p = nodes_[static_cast<size_t>(k)];
        p->Level -= base;
        out->AppendNode(std::move(p));
    }
    nodes_.erase(nodes_.begin() + s, nodes_.begin() + e);
    Renumber(s);

    // Keep the cursor on a node that still exists: a node after the subtree
    // keeps its place, a cursor inside the subtree goes to what now stands there.
    const int removed = e - s;
    int c = CursorIndex;
    if (c >= e) c -= removed;
    else if (c >= s) c = s;
    SetCursor(c);
    Changed();
    return out;
}

void TMyXMLNodeList::DeleteSubtreeAt(int start) { ExtractSubtree(start); }

void TMyXMLNodeList::DeleteSubtree(TMyXMLNode* node) {
    if (!node || node->Owner != this) throw Exception(IndexError(node ? node->Index : -1));
    DeleteSubtreeAt(node->Index);
}

void TMyXMLNodeList::SetNodeValue(int i, const std::string& value) {
    TMyXMLNode* n = NodeAt(i);
    n->Value = value;
    if (!value.empty()) n->IsEmpty = false;
}

TMyXMLNode* TMyXMLNodeList::NodeAt(int i) const {
    if (i < 0 || i >= Count()) throw Exception(IndexError(i));
    return nodes_[static_cast<size_t>(i)].get();
}

std::string TMyXMLNodeList::NodeAttributes(int i) const {
    std::string a = NodeAt(i)->AttributePart();
    return a.empty() ? a : " " + a;
}

std::string TMyXMLNodeList::NodeRawTag(int i) const {
    const TMyXMLNode* n = NodeAt(i);
    if (!IsClean && n->IsEmpty && !n->RawText.empty() && n->RawText.back() == '>')
        return n->RawText.substr(0, n->RawText.size() - 1) + "/>";
    return n->RawText;
}

TMyXMLNode* TMyXMLNodeList::CurrentNode() const { return NodeAt(CursorIndex); }

void TMyXMLNodeList::SetCursor(int index) {
    if (nodes_.empty()) {
        CursorIndex = 0;
        CurrentLevel = 0;
        return;
    }
    CursorIndex = std::clamp(index, 0, Count() - 1);
    CurrentLevel = nodes_[static_cast<size_t>(CursorIndex)]->Level;
}

bool TMyXMLNodeList::Next() {
    if (CursorIndex + 1 >= Count()) return false;
    SetCursor(CursorIndex + 1);
    return true;
}

bool TMyXMLNodeList::NextSibling() {
    for (int j = CursorIndex + 1; j < Count(); ++j) {
        int l = nodes_[static_cast<size_t>(j)]->Level;
        if (l < CurrentLevel) return false;
        if (l == CurrentLevel) {
            SetCursor(j);
            return true;
        }
    }
    return false;
}

bool TMyXMLNodeList::HasChildren(int index) const {
    int i = index < 0 ? CursorIndex : index;
    if (i < 0 || i >= Count() - 1) return false;
    return nodes_[static_cast<size_t>(i) + 1]->Level > nodes_[static_cast<size_t>(i)]->Level;
}

bool TMyXMLNodeList::NameMatches(const TMyXMLNode& n, std::string_view tag) const {
    if (tag == "*") return true;
    const bool ci = CaseInsensitiveValues || UpperCaseMode;
    auto eq = [ci](std::string_view a, std::string_view b) { return ci ? SameAscii(a, b) : a == b; };
    if (eq(n.TagName, tag)) return true;
    return NamespaceMode && n.HasNamespace && eq(n.NameView(), tag);
}

void TMyXMLNodeList::ParentsUpToDate() const {
    if (parentsStamp_ == modCount_ && parents_.size() == nodes_.size()) return;
    parents_.assign(nodes_.size(), -1);
    std::vector<int> stack;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        int l = nodes_[i]->Level;
        while (!stack.empty() && nodes_[static_cast<size_t>(stack.back())]->Level >= l) stack.pop_back();
        parents_[i] = stack.empty() ? -1 : stack.back();
        stack.push_back(static_cast<int>(i));
    }
    parentsStamp_ = modCount_;
}

int TMyXMLNodeList::GroupStart() const {
    if (nodes_.empty() || CurrentLevel <= 0) return 0;
    const int c = std::clamp(CursorIndex, 0, Count() - 1);
    if (nodes_[static_cast<size_t>(c)]->Level == CurrentLevel) {
        ParentsUpToDate();
        int p = parents_[static_cast<size_t>(c)];
        if (p < 0 || nodes_[static_cast<size_t>(p)]->Level < CurrentLevel) return p + 1;
    }
    for (int j = c - 1; j >= 0; --j)
        if (nodes_[static_cast<size_t>(j)]->Level < CurrentLevel) return j + 1;
    return 0;
}

int TMyXMLNodeList::SearchGroup(std::string_view tag) const {
    for (int j = GroupStart(); j < Count(); ++j) {
        const TMyXMLNode& n = *nodes_[static_cast<size_t>(j)];
        if (n.Level < CurrentLevel) break;
        if (NameMatches(n, tag)) return j;
    }
    return -1;
}

bool TMyXMLNodeList::FindChildFrom(std::string_view tag, int start) {
    const int c = CursorIndex, l = CurrentLevel;
    if (start >= 0) SetCursor(start);
    int j = SearchGroup(tag);
    if (j >= 0) {
        SetCursor(j);
        return true;
    }
    CursorIndex = c;
    CurrentLevel = l;
    return false;
}

bool TMyXMLNodeList::HasTagFrom(std::string_view tag, int start) {
    const int c = CursorIndex, l = CurrentLevel;
    if (start >= 0) SetCursor(start);
    bool found = SearchGroup(tag) >= 0;
    CursorIndex = c;
    CurrentLevel = l;
    return found;
}

TMyXMLNode* TMyXMLNodeList::NodeByTagFrom(std::string_view tag, int start) {
    const int c = CursorIndex, l = CurrentLevel;
    if (start >= 0) SetCursor(start);
    int j = SearchGroup(tag);
    CursorIndex = c;
    CurrentLevel = l;
    if (j < 0) throw Exception("Tag \"" + std::string(tag) + "\" doesn't exist");
    return nodes_[static_cast<size_t>(j)].get();
}

namespace {

void AppendKeyPart(std::string& key, std::string_view v) {
    key += std::to_string(v.size());
    key += ':';
    key.append(v);
}

} // namespace

bool TMyXMLNodeList::LocateFrom(std::string_view tag, const std::vector<std::string>& keys, int start) {
    if (keys.size() % 2 != 0) throw Exception("Number of keys for TMyXMLNodeList.Locate is not even!");
    const int c = CursorIndex, l = CurrentLevel;
    if (start >= 0) SetCursor(start);
    if (nodes_.empty()) {
        CursorIndex = c;
        CurrentLevel = l;
        return false;
    }
    const bool ci = CaseInsensitiveValues;
    const int gs = GroupStart();
    const int n = Count();

    auto matches = [&](const TMyXMLNode& node) {
        if (!NameMatches(node, tag)) return false;
        for (size_t k = 0; k + 1 < keys.size(); k += 2) {
            std::string v = node.GetAttribute(keys[k]);
            if (ci ? !SameAscii(v, keys[k + 1]) : v != keys[k + 1]) return false;
        }
        return true;
    };
    auto keyOf = [&](auto valueAt) {
        std::string key;
        for (size_t k = 0; k + 1 < keys.size(); k += 2) {
            std::string v = valueAt(k);
            AppendKeyPart(key, ci ? AsciiUpperCase(v) : v);
        }
        return key;
    };

    // The shape of the query: the same shape asked again (entity after
    // entity) is answered from an index of the group instead of a new scan.
    std::string shape;
    AppendKeyPart(shape, std::to_string(gs) + "/" + std::to_string(CurrentLevel) + "/" + (ci ? "c" : "") +
                             (UpperCaseMode ? "u" : "") + (NamespaceMode ? "n" : ""));
    AppendKeyPart(shape, tag);
    for (size_t k = 0; k < keys.size(); k += 2) AppendKeyPart(shape, keys[k]);

    LocateIndex& ix = *locate_;
    int found = -1;
    bool answered = false;
    if (ix.stamp == modCount_ && ix.shape == shape) {
        if (!ix.built) {
            ix.first.clear();
            for (int j = gs; j < n; ++j) {
                const TMyXMLNode& node = *nodes_[static_cast<size_t>(j)];
                if (node.Level < CurrentLevel) break;
                if (!NameMatches(node, tag)) continue;
                ix.first.emplace(keyOf([&](size_t k) { return node.GetAttribute(keys[k]); }), j);
            }
            ix.built = true;
        }
        auto it = ix.first.find(keyOf([&](size_t k) { return keys[k + 1]; }));
        if (it == ix.first.end()) {
            answered = true;
        } else if (it->second < n && nodes_[static_cast<size_t>(it->second)]->Level >= CurrentLevel &&
                   matches(*nodes_[static_cast<size_t>(it->second)])) {
            found = it->second;
            answered = true;
        } else {
            ix.built = false;  // a node changed behind our back: scan afresh
        }
    } else {
        ix.stamp = modCount_;
        ix.shape = shape;
        ix.built = false;
        ix.first.clear();
    }
    if (!answered) {
        for (int j = gs; j < n; ++j) {
            const TMyXMLNode& node = *nodes_[static_cast<size_t>(j)];
            if (node.Level < CurrentLevel) break;
            if (matches(node)) {
                found = j;
                break;
            }
        }
    }
    if (found >= 0) {
        SetCursor(found);
        return true;
    }
    CursorIndex = c;
    CurrentLevel = l;
    return false;
}

} // namespace pem
