#pragma once
// Text helpers shared by the XML model, parser and writer, and the node
// blocks the parser makes its nodes in.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TessalyXML.h"

namespace pem::xmlutil {

inline bool IsBlank(char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

// Decodes &lt; &gt; &amp; &quot; &apos; and numeric references to the
// 8-bit code page; anything else (a lone "&", an unknown entity, a reference
// to a character the code page cannot hold) stays as written.
std::string DecodeEntities(std::string_view s);
void AppendDecoded(std::string& out, std::string_view s);

// Element text: "&" and "<" escaped. An "&" that begins a character
// reference the code page cannot hold is written as it is, so that such a
// reference, kept undecoded on reading, survives a read and a write.
std::string EscapeText(std::string_view s);
void AppendEscapedText(std::string& out, std::string_view s);
// Attribute value inside double quotes: "&", "<" and '"' escaped, the same
// references kept.
std::string EscapeAttribute(std::string_view s);

// A text line of a raw list.
inline bool IsTextNode(const TMyXMLNode& n) { return n.RawText.empty() || n.RawText[0] != '<'; }
// What may stand inside an element besides child elements without making it
// a parent: text lines, comments and processing instructions.
inline bool IsContentNode(const TMyXMLNode& n) {
    const std::string& r = n.RawText;
    return IsTextNode(n) || (r.size() >= 2 && (r[1] == '!' || r[1] == '?'));
}

} // namespace pem::xmlutil

namespace pem {

// Raw memory for nodes in blocks that grow with the document; the list
// constructs nodes in it and XmlNodeDeleter destroys them in place. Once a
// document is large, each further block is one huge page where the system
// offers them: a fresh page costs the system one fault to map and clear, and
// a big document would otherwise take one per 4 KiB of nodes.
struct TMyXMLNodeList::NodeArena {
    NodeArena() = default;
    NodeArena(const NodeArena&) = delete;
    NodeArena& operator=(const NodeArena&) = delete;
    ~NodeArena();

    void* Allocate() {
        if (used == capacity) Grow();
        return next + used++ * sizeof(TMyXMLNode);
    }

private:
    void Grow();
    struct Block {
        std::byte* p;
        size_t bytes;
        bool mapped;  // a page mapping of its own, else from the heap
    };
    std::vector<Block> blocks;
    std::byte* next = nullptr;
    size_t used = 0, capacity = 0;
};

} // namespace pem
