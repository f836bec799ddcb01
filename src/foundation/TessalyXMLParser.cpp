// The text side of the XML model: a character-state scanner with a stack of
// open tag names that turns a document into the flat node list, and the
// writer that turns a list back into indented text.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "CharSet1252.h"
#include "Exceptions.h"
#include "TessalyXML.h"
#include "TessalyXMLInternal.h"

namespace pem {

using xmlutil::IsBlank;

// ------------------------------------------------------------------ entities

namespace xmlutil {

std::string DecodeEntities(std::string_view s) {
    size_t amp = s.find('&');
    if (amp == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '&') {
            size_t next = s.find('&', i);
            if (next == std::string_view::npos) next = s.size();
            out.append(s.substr(i, next - i));
            i = next;
            continue;
        }
        size_t semi = s.find(';', i + 1);
        if (semi != std::string_view::npos && semi - i <= 10) {
            std::string_view ent = s.substr(i + 1, semi - i - 1);
            int ch = -1;
            if (ent == "lt") ch = '<';
            else if (ent == "gt") ch = '>';
            else if (ent == "amp") ch = '&';
            else if (ent == "quot") ch = '"';
            else if (ent == "apos") ch = '\'';
            else if (ent.size() >= 2 && ent[0] == '#') {
                bool hex = ent[1] == 'x' || ent[1] == 'X';
                std::string_view digits = ent.substr(hex ? 2 : 1);
                unsigned long cp = 0;
                bool ok = !digits.empty();
                for (char c : digits) {
                    int d = (c >= '0' && c <= '9')             ? c - '0'
                            : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                            : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                            : -1;
                    if (d < 0 || cp > 0x10FFFF) {
                        ok = false;
                        break;
                    }
                    cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
                }
                if (ok && cp > 0 && cp <= 0x10FFFF) ch = UnicodeToCp1252(static_cast<char32_t>(cp));
            }
            if (ch >= 0) {
                out += static_cast<char>(ch);
                i = semi + 1;
                continue;
            }
        }
        out += '&';
        ++i;
    }
    return out;
}

std::string EscapeText(std::string_view s) {
    if (s.find_first_of("&<") == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size() + 16);
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else out += c;
    }
    return out;
}

std::string EscapeAttribute(std::string_view s) {
    if (s.find_first_of("&<\"") == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size() + 16);
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

} // namespace xmlutil

// ------------------------------------------------------------------- scanner

namespace {

enum class Kind { Start, Empty, End, Text, Comment, Instruction };

bool SameAsciiText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (AsciiUpper(a[k]) != AsciiUpper(b[k])) return false;
    return true;
}

std::string_view TrimControls(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.substr(b, e - b);
}

// Reads the text and reports each construct, in order, to onNode(kind,
// level, raw). The raw text of a tag lives in a buffer that is reused for the
// next construct; text lines are views of the source.
template <class OnNode>
void ScanXml(std::string_view t, std::string& processingHeader, std::string& docTypeHeader, OnNode&& onNode) {
    enum class St { Between, Instruction, Comment, Declaration, CData, StartTag, Attributes, AttrName, AttrValue, Text, EndTag };
    constexpr auto npos = std::string_view::npos;
    const size_t n = t.size();
    size_t i = t.find('<');
    if (i == npos) return;

    // Open elements as "</name"; the innermost is the last item.
    TStringList stack;
    std::string acc;
    char quote = '"';
    St st = St::Between;

    auto openTag = [&] {
        size_t b = acc.find(' ');
        std::string_view name = std::string_view(acc).substr(1, (b == std::string::npos ? acc.size() : b) - 1);
        const int level = stack.Count();
        std::string closing = "</";
        closing.append(name);
        stack.Add(closing);
        acc += '>';
        onNode(Kind::Start, level, std::string_view(acc));
    };
    auto emptyTag = [&] {
        acc += "/>";
        onNode(Kind::Empty, stack.Count(), std::string_view(acc));
    };

    while (i < n) {
        switch (st) {
        case St::Between: {
            while (i < n && IsBlank(t[i])) ++i;
            if (i >= n) break;
            if (t[i] != '<') {
                st = St::Text;
                break;
            }
            const bool bang = i + 1 < n && t[i + 1] == '!';
            if (i + 1 < n && t[i + 1] == '?') {
                acc.assign("<?");
                i += 2;
                st = St::Instruction;
            } else if (t.compare(i, 4, "<!--") == 0) {
                acc.assign("<!");
                i += 2;
                st = St::Comment;
            } else if (bang && i + 9 <= n && SameAsciiText(t.substr(i + 2, 7), "DOCTYPE")) {
                acc.assign("<!DOCTYPE");
                i += 9;
                st = St::Declaration;
            } else if (bang && i + 9 <= n && SameAsciiText(t.substr(i + 2, 7), "[CDATA[")) {
                i += 9;
                st = St::CData;
            } else if (i + 1 < n && t[i + 1] == '/') {
                acc.assign("</");
                i += 2;
                st = St::EndTag;
            } else {
                acc.assign("<");
                i += 1;
                st = St::StartTag;
            }
            break;
        }
        case St::Instruction: {
            size_t p = t.find("?>", i);
            if (p == npos) {
                i = n;
                break;
            }
            acc.append(t.substr(i, p - i + 1));
            acc += '>';
            onNode(Kind::Instruction, stack.Count(), std::string_view(acc));
            processingHeader += acc;
            processingHeader += "\r\n";
            i = p + 2;
            st = St::Between;
            break;
        }
        case St::Comment: {
            size_t p = t.find("-->", i);
            if (p == npos) {
                i = n;
                break;
            }
            acc.append(t.substr(i, p - i + 1));
            acc += "->";
            onNode(Kind::Comment, stack.Count(), std::string_view(acc));
            std::string_view a(acc);
            for (size_t k = 0; k + 8 <= a.size(); ++k)
                if (SameAsciiText(a.substr(k, 8), "DOCTYPE ")) {
                    docTypeHeader += acc;
                    docTypeHeader += "\r\n";
                    break;
                }
            i = p + 3;
            st = St::Between;
            break;
        }
        case St::Declaration: {
            // Up to the next ">"; the declaration is kept in the header only.
            size_t p = t.find('>', i);
            if (p == npos) {
                i = n;
                break;
            }
            acc.append(t.substr(i, p - i));
            acc += '>';
            docTypeHeader += acc;
            docTypeHeader += "\r\n";
            i = p + 1;
            st = St::Between;
            break;
        }
        case St::CData: {
            // Dropped whole; "]]>" right at the start closes an empty section.
            size_t p = t.find("]]>", i);
            i = p == npos ? n : p + 3;
            st = St::Between;
            break;
        }
        case St::StartTag: {
            size_t s = i;
            while (i < n) {
                char c = t[i];
                if (IsBlank(c) || c == '>' || (c == '/' && i + 1 < n && t[i + 1] == '>')) break;
                ++i;
            }
            acc.append(t.substr(s, i - s));
            if (i >= n) break;
            if (IsBlank(t[i])) {
                ++i;
                st = St::Attributes;
            } else if (t[i] == '>') {
                ++i;
                openTag();
                st = St::Text;
            } else {
                i += 2;
                emptyTag();
                st = St::Between;
            }
            break;
        }
        case St::Attributes: {
            while (i < n && IsBlank(t[i])) ++i;
            if (i >= n) break;
            if (t[i] == '/' && i + 1 < n && t[i + 1] == '>') {
                i += 2;
                emptyTag();
                st = St::Between;
            } else if (t[i] == '>') {
                ++i;
                openTag();
                st = St::Text;
            } else {
                acc += ' ';
                st = St::AttrName;
            }
            break;
        }
        case St::AttrName: {
            while (i < n && t[i] != '"' && t[i] != '\'') {
                if (!IsBlank(t[i])) acc += t[i];
                ++i;
            }
            if (i >= n) break;
            // Single-quoted values are stored double-quoted like all others.
            quote = t[i++];
            acc += '"';
            st = St::AttrValue;
            break;
        }
        case St::AttrValue: {
            size_t p = t.find(quote, i);
            size_t e = p == npos ? n : p;
            if (quote == '"') {
                acc.append(t.substr(i, e - i));
            } else {
                for (size_t k = i; k < e; ++k) {
                    if (t[k] == '"') acc += "&quot;";
                    else acc += t[k];
                }
            }
            if (p == npos) {
                i = n;
                break;
            }
            acc += '"';
            i = p + 1;
            st = St::Attributes;
            break;
        }
        case St::Text: {
            size_t p = t.find('<', i);
            if (p == npos) {
                i = n;
                break;
            }
            std::string_view s = TrimControls(t.substr(i, p - i));
            if (!s.empty()) onNode(Kind::Text, stack.Count(), s);
            i = p;
            st = St::Between;
            break;
        }
        case St::EndTag: {
            while (i < n && t[i] != '>') {
                if (!IsBlank(t[i])) acc += t[i];
                ++i;
            }
            if (i >= n) break;
            if (stack.Count() == 0 || acc != stack[stack.Count() - 1])
                throw Exception("No matching tag found for " + acc + ">!");
            stack.Delete(stack.Count() - 1);
            acc += '>';
            ++i;
            onNode(Kind::End, stack.Count(), std::string_view(acc));
            st = St::Text;
            break;
        }
        }
    }
}

} // namespace

// -------------------------------------------------------------------- parse

void TMyXMLNodeList::ScanText(std::string_view text, bool clean) {
    if (!clean) {
        ScanXml(text, ProcessingHeader, DocTypeHeader, [&](Kind, int level, std::string_view raw) {
            AppendNode(std::make_unique<TMyXMLNode>(level, std::string(raw)));
        });
        return;
    }

    // Parse and clean in one pass: the clean pass decides a node from the
    // node and the two after it, so a window of three constructs is enough,
    // and end tags, text lines and comments never become nodes at all.
    struct Pending {
        int level = 0;
        Kind kind = Kind::Text;
        std::unique_ptr<TMyXMLNode> node;  // start and empty tags
        std::string_view text;             // text lines
        std::string endName;               // end tags, without "</" and ">"
    };
    Pending win[3];
    int count = 0;

    auto keep = [&](Pending& p) {
        if (p.node && !p.node->NameView().empty()) AppendNode(std::move(p.node));
        p.node.reset();
    };
    auto textOf = [](const Pending& p) -> std::string {
        if (p.kind == Kind::Text) return xmlutil::DecodeEntities(p.text);
        return p.node ? p.node->Text() : std::string();
    };
    auto processHead = [&] {
        int used = 1;
        Pending& a = win[0];
        if (count >= 3 && a.level == win[2].level && a.level < win[1].level) {
            if (a.node) {
                a.node->Value = textOf(win[1]);
                a.node->Folded = true;
            }
            used = 3;
        } else if (count >= 2 && a.level == win[1].level && a.node && win[1].kind == Kind::End &&
                   !a.node->NameView().empty() && win[1].endName == a.node->NameView()) {
            a.node->Folded = false;
            a.node->IsEmpty = true;
            used = 2;
        }
        for (int k = 0; k < used; ++k) keep(win[k]);
        for (int k = used; k < count; ++k) std::swap(win[k - used], win[k]);
        count -= used;
    };

    ScanXml(text, ProcessingHeader, DocTypeHeader, [&](Kind kind, int level, std::string_view raw) {
        Pending& p = win[count++];
        p.level = level;
        p.kind = kind;
        p.node.reset();
        p.text = {};
        if (kind == Kind::Start || kind == Kind::Empty) {
            p.node = std::make_unique<TMyXMLNode>(level, std::string(raw));
            p.node->Owner = this;
        } else if (kind == Kind::Text) {
            p.text = raw;
        } else if (kind == Kind::End) {
            p.endName.assign(raw.substr(2, raw.size() - 3));
        }
        if (count == 3) processHead();
    });
    while (count > 0) processHead();
}

void TMyXMLNodeList::Parse(std::string_view text, bool clean) {
    Clear();
    // A document parsed again must not inherit the previous one's headers.
    ProcessingHeader.clear();
    DocTypeHeader.clear();
    try {
        ScanText(text, clean);
    } catch (const Exception&) {
        if (!clean) throw;
        // A failed parse leaves the raw nodes read so far, as an uncleaned
        // parse would: read again that way, which raises the same error.
        Clear();
        ProcessingHeader.clear();
        DocTypeHeader.clear();
        ScanText(text, false);
        throw;
    }
    Renumber(0);
    CursorIndex = 0;
    CurrentLevel = 0;
    IsClean = clean;
    Changed();
}

void TMyXMLNodeList::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EFileError("Can not open file " + fileName);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Parse(text, true);
}

// -------------------------------------------------------------------- write

namespace {

// Breaks a long line at blanks outside quoted text once it passes maxCol,
// inserting brk (CR LF and the continuation indent) at each break.
std::string WrapLine(const std::string& line, const std::string& brk, int maxCol) {
    const size_t len = line.size();
    size_t pos = 1, linePos = 1, breakPos = 0;
    long col = 1;
    char quote = ' ';
    bool existing = false;
    std::string out;
    while (pos <= len) {
        const char c = line[pos - 1];
        if (c == brk[0]) {
            if (quote == ' ') {
                existing = SameAsciiText(std::string_view(line).substr(pos - 1, brk.size()), brk);
                if (existing) {
                    pos += brk.size() - 1;
                    breakPos = pos;
                }
            }
        } else if (c == ' ') {
            if (quote == ' ') breakPos = pos;
        } else if (c == '"' || c == '\'') {
            if (c == quote) quote = ' ';
            else if (quote == ' ') quote = c;
        }
        ++pos;
        ++col;
        if (quote == ' ' && (existing || (col > maxCol && breakPos > linePos))) {
            col = static_cast<long>(pos - breakPos);
            out.append(line, linePos - 1, breakPos - linePos + 1);
            if (c != '"' && c != '\'')
                while (pos <= len && (line[pos - 1] == ' ' || line[pos - 1] == '\r' || line[pos - 1] == '\n')) ++pos;
            if (!existing && pos < len) out += brk;
            ++breakPos;
            linePos = breakPos;
            existing = false;
        }
    }
    if (linePos <= len) out.append(line, linePos - 1, std::string::npos);
    return out;
}

} // namespace

std::string TMyXMLNodeList::AsText(int start, bool tabLayout) const {
    const int n = Count();
    std::string out;
    if (start >= n || n == 0) return out;
    int from = 0, to = n;
    if (start >= 0) {
        from = start;
        const int base = nodes_[static_cast<size_t>(start)]->Level;
        to = start + 1;
        while (to < n && nodes_[static_cast<size_t>(to)]->Level > base) ++to;
    }
    auto level = [&](int k) { return nodes_[static_cast<size_t>(k)]->Level; };
    auto indent = [&](std::string& s, int l) {
        if (l <= 0) return;
        if (tabLayout) s.append(static_cast<size_t>(l), '\t');
        else s.append(static_cast<size_t>(l) * 2, ' ');
    };
    std::string line;

    if (!IsClean) {
        auto putLine = [&](int k, bool wrap) {
            line.clear();
            indent(line, level(k));
            line += NodeRawTag(k);
            if (wrap && tabLayout && static_cast<long>(line.size()) > WrapColumn)
                out += WrapLine(line, "\r\n" + std::string(static_cast<size_t>(std::max(level(k) + 2, 0)), '\t'),
                                WrapColumn);
            else
                out += line;
            out += "\r\n";
        };
        int i = from;
        while (i < to) {
            if (i + 2 < n && level(i) == level(i + 2) && level(i) < level(i + 1)) {
                const std::string& mid = nodes_[static_cast<size_t>(i) + 1]->RawText;
                if (!mid.empty() && mid[0] == '<') {
                    putLine(i, true);
                    putLine(i + 1, true);
                    putLine(i + 2, false);
                } else {
                    indent(out, level(i));
                    out += NodeRawTag(i);
                    out += mid;
                    out += NodeRawTag(i + 2);
                    out += "\r\n";
                }
                i += 3;
            } else {
                putLine(i, true);
                ++i;
            }
        }
        // A subtree ends with the start node's own end tag, unless it was
        // already written with it or the start node has none (an empty
        // element, a text line, a comment).
        if (start >= 0 && i == to && to < n) {
            const TMyXMLNode& s = *nodes_[static_cast<size_t>(start)];
            if (!s.IsEmpty && !s.TagName.empty() && nodes_[static_cast<size_t>(to)]->RawText == "</" + s.TagName + ">") {
                indent(out, level(to));
                out += nodes_[static_cast<size_t>(to)]->RawText;
                out += "\r\n";
            }
        }
        return out;
    }

    // Clean list: one line per element, pending end tags on a stack.
    std::vector<std::string> pending;
    out.reserve(static_cast<size_t>(to - from) * 32);
    for (int i = from; i < to; ++i) {
        const TMyXMLNode& a = *nodes_[static_cast<size_t>(i)];
        const bool last = i == to - 1;
        const int l = a.Level;
        const int next = last ? l : level(i + 1);
        std::string_view name = a.NameView();
        std::string attrs = a.AttributePart();
        line.clear();
        indent(line, l);
        line += '<';
        line.append(name);
        if (!attrs.empty()) {
            line += ' ';
            line += attrs;
        }
        bool closesLevel;
        if ((a.IsEmpty || a.Value.empty()) && !last && next <= l) {
            line += "/>";
            closesLevel = true;
        } else if (a.IsEmpty && last) {
            line += "/>";
            closesLevel = true;
        } else if (!last && next > l) {
            line += '>';
            line += xmlutil::EscapeText(a.Value);
            std::string endTag;
            indent(endTag, l);
            endTag += "</";
            endTag.append(name);
            endTag += '>';
            pending.push_back(std::move(endTag));
            closesLevel = false;
        } else {
            line += '>';
            line += xmlutil::EscapeText(a.Value);
            line += "</";
            line.append(name);
            line += '>';
            closesLevel = next < l || last;
        }
        out += line;
        out += "\r\n";
        if (closesLevel) {
            size_t drop = last ? pending.size() : static_cast<size_t>(std::max(l - next, 0));
            while (drop-- > 0 && !pending.empty()) {
                out += pending.back();
                out += "\r\n";
                pending.pop_back();
            }
        }
    }
    return out;
}

void TMyXMLNodeList::SaveToFile(const std::string& fileName, int start) const {
    std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
    if (!f) throw EFileError("Can not create file " + fileName);
    if (IsClean) {
        f << ProcessingHeader << DocTypeHeader;
    }
    const std::string text = AsText(start, false);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    f.close();
    if (!f) throw EFileError("Can not write file " + fileName);
}

} // namespace pem
