// The text side of the XML model: a character-state scanner with a stack of
// open tag names that turns a document into the flat node list, and the
// writer that turns a list back into indented text.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <type_traits>

#include "CharSet1252.h"
#include "Exceptions.h"
#include "TessalyXML.h"
#include "SafeFiles.h"
#include "TessalyXMLInternal.h"

namespace pem {

using xmlutil::IsBlank;

// ------------------------------------------------------------------ entities

namespace xmlutil {

namespace {

constexpr int kNotReference = -1;  // not an entity or reference we decode
constexpr int kForeignReference = -2;  // a character reference outside the code page

// At s[i] == '&': the byte the entity or character reference there stands
// for, with len set to its length; or one of the two codes above.
int ReferenceAt(std::string_view s, size_t i, size_t& len) {
    size_t semi = s.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 10) return kNotReference;
    len = semi - i + 1;
    std::string_view ent = s.substr(i + 1, semi - i - 1);
    if (ent == "lt") return '<';
    if (ent == "gt") return '>';
    if (ent == "amp") return '&';
    if (ent == "quot") return '"';
    if (ent == "apos") return '\'';
    if (ent.size() < 2 || ent[0] != '#') return kNotReference;
    const bool hex = ent[1] == 'x' || ent[1] == 'X';
    std::string_view digits = ent.substr(hex ? 2 : 1);
    if (digits.empty()) return kNotReference;
    unsigned long cp = 0;
    for (char c : digits) {
        int d = (c >= '0' && c <= '9')             ? c - '0'
                : hex && (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : hex && (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                : -1;
        if (d < 0 || cp > 0x10FFFF) return kNotReference;
        cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
    }
    if (cp == 0 || cp > 0x10FFFF) return kNotReference;
    const int ch = UnicodeToCp1252(static_cast<char32_t>(cp));
    return ch >= 0 ? ch : kForeignReference;
}

} // namespace

void AppendDecoded(std::string& out, std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        size_t amp = s.find('&', i);
        if (amp == std::string_view::npos) amp = s.size();
        out.append(s.substr(i, amp - i));
        i = amp;
        if (i >= s.size()) break;
        size_t len = 0;
        const int ch = ReferenceAt(s, i, len);
        if (ch >= 0) {
            out += static_cast<char>(ch);
            i += len;
        } else {
            out += '&';
            ++i;
        }
    }
}

std::string DecodeEntities(std::string_view s) {
    if (s.find('&') == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size());
    AppendDecoded(out, s);
    return out;
}

namespace {

void AppendEscaped(std::string& out, std::string_view s, bool attribute) {
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        size_t len = 0;
        if (c == '&') out += ReferenceAt(s, i, len) == kForeignReference ? "&" : "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '"' && attribute) out += "&quot;";
        else out += c;
    }
}

} // namespace

void AppendEscapedText(std::string& out, std::string_view s) {
    if (s.find_first_of("&<") == std::string_view::npos) out.append(s);
    else AppendEscaped(out, s, false);
}

std::string EscapeText(std::string_view s) {
    std::string out;
    AppendEscapedText(out, s);
    return out;
}

std::string EscapeAttribute(std::string_view s) {
    if (s.find_first_of("&<\"") == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size() + 16);
    AppendEscaped(out, s, true);
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

// Raises a parse error naming the line and column (1-based; LF, CR LF and a
// lone CR end a line) of the byte at.
[[noreturn]] void ParseError(std::string_view t, size_t at, const std::string& what) {
    int line = 1;
    size_t lineStart = 0;
    for (size_t k = 0; k < at && k < t.size(); ++k) {
        if (t[k] == '\n' || (t[k] == '\r' && (k + 1 >= t.size() || t[k + 1] != '\n'))) {
            ++line;
            lineStart = k + 1;
        }
    }
    throw Exception(what + " at line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1));
}

// The text read since the last construct: the runs between markup, each
// trimmed, and the content of CDATA sections (escaped, so that the text line
// reads back to it), joined. A view of the source while it is one piece.
class PendingText {
public:
    bool Empty() const { return !buffered_ && view_.empty(); }
    std::string_view View() const { return buffered_ ? std::string_view(buf_) : view_; }
    void Clear() {
        view_ = {};
        buffered_ = false;
        buf_.clear();
    }
    void AddRun(std::string_view run) {
        if (run.empty()) return;
        if (Empty()) {
            view_ = run;
            return;
        }
        Buffer();
        buf_.append(run);
    }
    void AddCData(std::string_view content) {
        if (content.empty()) return;
        if (Empty() && content.find_first_of("&<") == std::string_view::npos) {
            view_ = content;
            return;
        }
        Buffer();
        xmlutil::AppendEscapedText(buf_, content);
    }
    // Keeps the text when the source it views goes away.
    void Own() {
        if (!view_.empty()) Buffer();
    }

private:
    void Buffer() {
        if (buffered_) return;
        buf_.assign(view_);
        view_ = {};
        buffered_ = true;
    }
    std::string_view view_;
    std::string buf_;
    bool buffered_ = false;
};

// Reads a text, given whole or in pieces, and reports each construct, in
// order, to onNode(kind, level, raw). The raw text is a view of the source
// where the construct stands there as stored, else of a buffer reused for
// the next construct; it is valid during the call only.
template <class OnNode>
class Scanner {
public:
    Scanner(std::string& processingHeader, std::string& docTypeHeader, OnNode& onNode)
        : processingHeader_(processingHeader), docTypeHeader_(docTypeHeader), onNode_(onNode) {}

    // Scans t and returns how much of it was used. Unless last is set, a
    // construct that t does not hold whole is left: the next call gets it
    // again at the start of its text, followed by what comes after it. A
    // piece ends exactly as the whole text would end only with last set.
    // Line and column in messages count from the start of t.
    size_t Feed(std::string_view t, bool last);

private:
    int Level() const { return static_cast<int>(nameEnds_.size()); }
    std::string_view Innermost() const {
        const size_t e = nameEnds_.back(), b = nameEnds_.size() > 1 ? nameEnds_[nameEnds_.size() - 2] : 0;
        return std::string_view(names_).substr(b, e - b);
    }
    void FlushText() {
        if (text_.Empty()) return;
        onNode_(Kind::Text, Level(), text_.View());
        text_.Clear();
    }
    void OpenTag(std::string_view name, std::string_view raw) {
        const int l = Level();
        names_.append(name);
        nameEnds_.push_back(names_.size());
        onNode_(Kind::Start, l, raw);
    }

    std::string& processingHeader_;
    std::string& docTypeHeader_;
    OnNode& onNode_;
    bool started_ = false;   // the first "<" has been seen
    bool stopped_ = false;   // the text ended inside a construct: nothing more is read
    std::string names_;      // names of the open elements, innermost last
    std::vector<size_t> nameEnds_;
    std::string acc_;
    PendingText text_;
};

template <class OnNode>
size_t Scanner<OnNode>::Feed(std::string_view t, bool last) {
    constexpr auto npos = std::string_view::npos;
    const size_t n = t.size();
    // Anything before the first "<" is ignored.
    size_t i = 0;
    if (!started_) {
        i = t.find('<');
        if (i == npos) return n;
        started_ = true;
    }
    if (stopped_) return n;
    // Leaves the construct at `at` for the next piece.
    auto suspend = [&](size_t at) {
        text_.Own();
        return at;
    };
    // A construct longer than the text: on the last piece nothing more is
    // read (an element left open at the end keeps its text).
    auto cut = [&](size_t at) -> size_t {
        if (!last) return suspend(at);
        stopped_ = true;
        FlushText();
        return n;
    };
    auto checkDepth = [&](size_t at) {
        if (nameEnds_.size() >= static_cast<size_t>(kMaxXMLDepth))
            ParseError(t, at, "Elements nested deeper than " + std::to_string(kMaxXMLDepth) + " levels");
    };

    while (i < n) {
        if (t[i] != '<') {
            // A text run: the characters up to the next "<".
            size_t p = t.find('<', i);
            if (p == npos) {
                if (!last) return suspend(i);
                p = n;
            }
            text_.AddRun(TrimControls(t.substr(i, p - i)));
            i = p;
            continue;
        }
        const size_t start = i;
        // What a construct is shows in its first nine characters.
        if (!last && n - i < 16) return suspend(i);
        const char next = i + 1 < n ? t[i + 1] : '\0';
        const bool bang = next == '!';
        if (bang && i + 9 <= n && SameAsciiText(t.substr(i + 2, 7), "[CDATA[")) {
            // Its content is text like the runs around it.
            size_t p = t.find("]]>", i + 9);
            if (p == npos && !last) return suspend(start);
            i += 9;
            text_.AddCData(TrimControls(t.substr(i, (p == npos ? n : p) - i)));
            i = p == npos ? n : p + 3;
            continue;
        }
        if (next == '?') {
            size_t p = t.find("?>", i + 2);
            if (p == npos) return cut(start);
            FlushText();
            std::string_view raw = t.substr(start, p + 2 - start);
            onNode_(Kind::Instruction, Level(), raw);
            processingHeader_.append(raw);
            processingHeader_ += "\r\n";
            i = p + 2;
        } else if (bang && t.compare(i, 4, "<!--") == 0) {
            size_t p = t.find("-->", i + 2);
            if (p == npos) return cut(start);
            FlushText();
            std::string_view raw = t.substr(start, p + 3 - start);
            onNode_(Kind::Comment, Level(), raw);
            for (size_t k = 0; k + 8 <= raw.size(); ++k)
                if (SameAsciiText(raw.substr(k, 8), "DOCTYPE ")) {
                    docTypeHeader_.append(raw);
                    docTypeHeader_ += "\r\n";
                    break;
                }
            i = p + 3;
        } else if (bang && i + 9 <= n && SameAsciiText(t.substr(i + 2, 7), "DOCTYPE")) {
            // Up to the next ">"; the declaration is kept in the header only.
            size_t p = t.find('>', i + 9);
            if (p == npos) return cut(start);
            FlushText();
            docTypeHeader_ += "<!DOCTYPE";
            docTypeHeader_.append(t.substr(i + 9, p - i - 9));
            docTypeHeader_ += ">\r\n";
            i = p + 1;
        } else if (next == '/') {
            // End tag: the name with blanks dropped must close the innermost element.
            size_t p = t.find('>', i + 2);
            if (p == npos) return cut(start);
            FlushText();
            std::string_view name = t.substr(i + 2, p - i - 2);
            std::string_view raw = t.substr(start, p + 1 - start);
            if (std::any_of(name.begin(), name.end(), [](char c) { return xmlutil::IsBlank(c); })) {
                acc_.assign("</");
                for (char c : name)
                    if (!xmlutil::IsBlank(c)) acc_ += c;
                acc_ += '>';
                raw = acc_;
                name = std::string_view(acc_).substr(2, acc_.size() - 3);
            }
            if (nameEnds_.empty() || name != Innermost())
                throw Exception("No matching tag found for " + std::string(raw.substr(0, raw.size() - 1)) + ">!");
            names_.resize(nameEnds_.size() > 1 ? nameEnds_[nameEnds_.size() - 2] : 0);
            nameEnds_.pop_back();
            onNode_(Kind::End, Level(), raw);
            i = p + 1;
        } else {
            // Start tag: the name runs to a blank, ">" or "/>".
            size_t k = i + 1;
            while (k < n && !xmlutil::IsBlank(t[k]) && t[k] != '>' && !(t[k] == '/' && k + 1 < n && t[k + 1] == '>'))
                ++k;
            if (k >= n) return cut(start);
            std::string_view name = t.substr(i + 1, k - i - 1);
            FlushText();
            checkDepth(start);
            if (t[k] == '>') {
                OpenTag(name, t.substr(start, k + 1 - start));
                i = k + 1;
                continue;
            }
            if (t[k] == '/') {
                onNode_(Kind::Empty, Level(), t.substr(start, k + 2 - start));
                i = k + 2;
                continue;
            }
            // Attributes are stored as name="value", single blanks between
            // them, no blanks around "=", values in double quotes.
            acc_.assign(t.substr(start, k - start));
            bool done = false;
            while (!done) {
                while (k < n && xmlutil::IsBlank(t[k])) ++k;
                if (k >= n) break;
                if (t[k] == '/' && k + 1 < n && t[k + 1] == '>') {
                    acc_ += "/>";
                    onNode_(Kind::Empty, Level(), std::string_view(acc_));
                    i = k + 2;
                    done = true;
                    break;
                }
                if (t[k] == '>') {
                    acc_ += '>';
                    OpenTag(name, acc_);
                    i = k + 1;
                    done = true;
                    break;
                }
                acc_ += ' ';
                const size_t nameAt = acc_.size();
                auto unquoted = [&](size_t at) {
                    // The name as far as it is readable in one line.
                    std::string attr = acc_.substr(nameAt, 40);
                    if (!attr.empty() && attr.back() == '=') attr.pop_back();
                    for (char& c : attr)
                        if (static_cast<unsigned char>(c) < 32) c = '?';
                    if (acc_.size() - nameAt > 40) attr += "...";
                    ParseError(t, at, "Attribute \"" + attr + "\" has no quoted value");
                };
                while (k < n && t[k] != '"' && t[k] != '\'') {
                    const char c = t[k];
                    if (c == '>' || c == '<' || (c == '/' && k + 1 < n && t[k + 1] == '>')) unquoted(k);
                    ++k;
                    if (xmlutil::IsBlank(c)) continue;
                    acc_ += c;
                    if (c == '=') {
                        while (k < n && xmlutil::IsBlank(t[k])) ++k;
                        if (k < n && t[k] != '"' && t[k] != '\'') unquoted(k);
                        break;
                    }
                }
                if (k >= n) break;
                // Single-quoted values are stored double-quoted like all others.
                const char quote = t[k++];
                acc_ += '"';
                size_t p = t.find(quote, k);
                if (p == npos) break;
                if (quote == '"') {
                    acc_.append(t.substr(k, p - k));
                } else {
                    for (size_t q = k; q < p; ++q) {
                        if (t[q] == '"') acc_ += "&quot;";
                        else acc_ += t[q];
                    }
                }
                acc_ += '"';
                k = p + 1;
            }
            if (!done) return cut(start);  // the text ends inside the tag
        }
    }
    if (!last) return suspend(n);
    // An element left open at the end keeps its text.
    FlushText();
    return n;
}

} // namespace

// -------------------------------------------------------------------- parse

TMyXMLNode* TMyXMLNodeList::NewNode(NodeArena* arena, int level, std::string_view raw) {
    auto* node = arena ? new (arena->Allocate()) TMyXMLNode(level, raw, true) : new TMyXMLNode(level, raw, false);
    node->Owner = this;
    return node;
}

// Where the scanner's text comes from: a text given whole, or a file read
// in pieces.
struct xmlutil::TextSource {
    virtual ~TextSource() = default;
    // The text from `used` on of what the last call gave, followed by what
    // more there is; last is set when nothing follows.
    virtual std::string_view More(size_t used, bool& last) = 0;
    size_t size = 0;  // of the whole text, as far as known
};

namespace {

struct WholeText : xmlutil::TextSource {
    explicit WholeText(std::string_view t) : text(t) { size = t.size(); }
    std::string_view More(size_t, bool& last) override {
        last = true;
        return text;
    }
    std::string_view text;
};

// Feeds the scanner until the source's last piece.
template <class OnNode>
void ScanSource(xmlutil::TextSource& source, std::string& processingHeader, std::string& docTypeHeader,
                OnNode&& onNode) {
    Scanner<std::remove_reference_t<OnNode>> scanner(processingHeader, docTypeHeader, onNode);
    size_t used = 0;
    for (bool last = false; !last;) {
        const std::string_view piece = source.More(used, last);
        used = scanner.Feed(piece, last);
    }
}

} // namespace

void TMyXMLNodeList::ScanText(xmlutil::TextSource& source, bool clean) {
    arenas_.push_back(std::make_shared<NodeArena>());
    NodeArena& arena = *arenas_.back();
    // Room for a dense document; pages not reached are never touched.
    nodes_.reserve(source.size / 24 + 16);

    if (!clean) {
        // Elements in the blocks; end tags, text lines and comments, which
        // cleaning removes, on their own so that their memory goes with them.
        ScanSource(source, ProcessingHeader, DocTypeHeader, [&](Kind kind, int level, std::string_view raw) {
            const bool element = kind == Kind::Start || kind == Kind::Empty;
            AppendNode(NodePtr(NewNode(element ? &arena : nullptr, level, raw)));
        });
        return;
    }

    // Parse and clean in one pass, with the outcome of CleanPass on the raw
    // list: end tags, text lines and comments never become nodes. Only the
    // innermost open element can still take a value: its content so far
    // (text lines, comments, child elements) is counted here. A tag such as
    // "<!x>" has no name and counts as a comment, as it does when a raw list
    // is cleaned; while one is open, the element around it takes no value
    // unless the document ends there.
    struct Candidate {
        TMyXMLNode* node = nullptr;
        int contents = 0;
        bool hasElement = false;
        bool inside = false;  // a nameless "<!x>" opened in it is still open
    } cand;
    auto drop = [&] {
        if (cand.node) cand.node->Value.clear();
        cand = {};
    };
    auto keep = [&](TMyXMLNode* node) {
        if (node->NameView().empty()) {
            XmlNodeDeleter()(node);
            return false;
        }
        AppendNode(NodePtr(node));
        return true;
    };
    auto addContent = [&](std::string_view text) {
        if (!cand.node) return;
        if (cand.hasElement || cand.inside) return drop();
        ++cand.contents;
        if (!text.empty()) xmlutil::AppendDecoded(cand.node->Value, text);
    };
    auto addElement = [&] {
        if (!cand.node) return;
        if (cand.inside) return drop();
        // One empty child alone still folds (its value, empty); any other
        // content beside a child element does not.
        cand.hasElement = true;
        if (++cand.contents > 1) drop();
    };
    auto commentLike = [](std::string_view raw) { return raw.size() >= 2 && raw[1] == '!'; };

    ScanSource(source, ProcessingHeader, DocTypeHeader, [&](Kind kind, int level, std::string_view raw) {
        switch (kind) {
        case Kind::Start: {
            TMyXMLNode* node = NewNode(&arena, level, raw);
            const bool named = keep(node);
            if (commentLike(raw)) {
                addContent({});
                if (cand.node) cand.inside = true;
            } else {
                drop();
                if (named) cand.node = node;
            }
            break;
        }
        case Kind::Empty:
            keep(NewNode(&arena, level, raw));
            if (commentLike(raw)) addContent({});
            else addElement();
            break;
        case Kind::Text:
            addContent(raw);
            break;
        case Kind::Comment:
        case Kind::Instruction:
            addContent({});
            break;
        case Kind::End:
            if (!cand.node) break;
            if (cand.inside) {
                drop();
                break;
            }
            if (cand.contents > 0) {
                cand.node->Folded = true;
            } else if (raw.substr(2, raw.size() - 3) == cand.node->NameView()) {
                cand.node->Folded = false;
                cand.node->IsEmpty = true;
            }
            cand = {};
            break;
        }
    });
    // An element left open at the end with text (and comments) only.
    if (cand.node && cand.contents > 0 && !cand.hasElement) cand.node->Folded = true;
}

void TMyXMLNodeList::Parse(std::string_view text, bool clean) {
    Clear();
    // A document parsed again must not inherit the previous one's headers.
    ProcessingHeader.clear();
    DocTypeHeader.clear();
    try {
        WholeText source(text);
        ScanText(source, clean);
    } catch (const Exception&) {
        if (!clean) throw;
        // A failed parse leaves the raw nodes read so far, as an uncleaned
        // parse would: read again that way, which raises the same error.
        Clear();
        ProcessingHeader.clear();
        DocTypeHeader.clear();
        WholeText source(text);
        ScanText(source, false);
        throw;
    }
    CursorIndex = 0;
    CurrentLevel = 0;
    IsClean = clean;
    Changed();
}

namespace {

// A regular file read in pieces into one buffer that is reused: the text
// is never held whole, only the nodes made of it.
class FilePieces : public xmlutil::TextSource {
public:
    static constexpr size_t kPiece = 256 * 1024;

    // Opens the file as the one-read path does (a FIFO without a writer
    // does not block the open); false when it is no readable regular file.
    bool Open(const std::string& fileName) {
        TReadStatus status = TReadStatus::Ok;
        fd_ = OpenRegularFile(fileName, status);
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
        size = static_cast<size_t>(st.st_size);
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
        return true;
    }
    ~FilePieces() override {
        if (fd_ >= 0) ::close(fd_);
    }

    // Raises EFileError when the file cannot be read.
    std::string_view More(size_t used, bool& last) override {
        // What the scanner left moves to the front; a construct longer than
        // the buffer makes it grow.
        // memmove wants valid pointers even for no bytes: the first call
        // comes with an empty buffer.
        if (used > 0 && len_ > used) std::memmove(buf_.data(), buf_.data() + used, len_ - used);
        len_ -= used;
        if (buf_.size() < kPiece) buf_.resize(kPiece);
        else if (len_ == buf_.size()) buf_.resize(buf_.size() * 2);
        while (!eof_ && len_ < buf_.size()) {
            const ssize_t got = ::read(fd_, buf_.data() + len_, buf_.size() - len_);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw EFileError("Can not read the file");
            if (got == 0) eof_ = true;
            len_ += static_cast<size_t>(got);
        }
        last = eof_;
        return std::string_view(buf_.data(), len_);
    }

private:
    int fd_ = -1;
    std::vector<char> buf_;
    size_t len_ = 0;
    bool eof_ = false;
};

} // namespace

void TMyXMLNodeList::LoadFromFile(const std::string& fileName) {
    // Only regular files are read, so a FIFO or a device never blocks the
    // program or fills its memory. The file is scanned in pieces as it is
    // read; whatever goes wrong on that road (an odd file, a read error, a
    // document with an error, whose message names its line) is left to the
    // one read of the whole file, which gives the same nodes and the same
    // error as parsing its text.
    Clear();
    ProcessingHeader.clear();
    DocTypeHeader.clear();
    try {
        FilePieces source;
        if (source.Open(fileName)) {
            ScanText(source, true);
            CursorIndex = 0;
            CurrentLevel = 0;
            IsClean = true;
            Changed();
            return;
        }
    } catch (const Exception&) {
    }
    Parse(ReadRegularFile(fileName), true);
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
        // An element read empty that was given a value since is written
        // with it: only an element without a value is an empty element.
        bool closesLevel;
        if (a.Value.empty() && !last && next <= l) {
            line += "/>";
            closesLevel = true;
        } else if (a.IsEmpty && a.Value.empty() && last) {
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
    // The whole text first: nothing of the old file goes before it is made.
    std::string text = IsClean ? ProcessingHeader + DocTypeHeader : std::string();
    text += AsText(start, false);
    ReplaceFileText(fileName, text);
}

} // namespace pem
