// Fuzz target for the document text preparation: re-flowing a document,
// marking its terms, and cleaning and wrapping the result, as the run
// preparation does with a copied document.
//
// The input is a word setup, a NUL byte, and the document's bytes. Each line
// of the setup is one entry: "c word" a ticked control word, "s<v> term" a
// single term stored with the integer v (-128..127, from the byte after the
// "s"), "p term" a compound term, "x term" an exception; other lines are
// ignored. The byte after the NUL chooses the wrapping width (0 to 63
// columns, 0 not wrapping).
//
// Beyond crashes and sanitizer reports, the passes may only add or drop
// what they are made to: re-flowing adds line ends, blanks, full stops and
// bullets, drops a lone bullet line that marks the next one as an item, and
// turns typographic quotes into double quotation marks; marking adds angle
// brackets, "_" and blanks, lowers the case of terms, and turns quote
// characters into double quotation marks; wrapping adds line ends only and
// keeps a piece within the width unless a run of characters without a blank
// is longer. Any other change of the text is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CharSet1252.h"
#include "DocumentText.h"

namespace {

using namespace pem;

// A failed check names itself before it ends the run.
#define Check(ok) \
    do { \
        if (!(ok)) { \
            std::fprintf(stderr, "document_text_fuzz: check failed: %s (line %d)\n", #ok, __LINE__); \
            std::abort(); \
        } \
    } while (0)

bool Blank(unsigned char c) { return c <= 32; }
bool TypoQuote(unsigned char c) { return c == 130 || c == 132 || (c >= 145 && c <= 148); }
bool Quote(unsigned char c) { return c == '"' || c == '\'' || TypoQuote(c); }
bool Bullet(unsigned char c) {
    return c == '*' || c == '-' || c == '?' || c == 'o' || c == 149 || c == 150 || c == 183 || c == 210 || c == 218;
}
bool CpBullet(unsigned char c) { return c == 149 || c == 150 || c == 183 || c == 210 || c == 218; }

// The lines of a text: CR LF, LF or a lone CR end one.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        out.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Blank(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && Blank(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// What re-flowing must keep of a text: its characters without blanks, full
// stops and code-page bullets, typographic quotes as '"'.
std::string ReflowKept(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (Blank(c) || c == '.' || CpBullet(c)) continue;
        out += TypoQuote(c) ? '"' : ch;
    }
    return out;
}

// The same of the input, less the lone bullet lines that mark the next
// line as an item (a line holding one bullet character, with more text
// after it, unless the line before was such a marker itself).
std::string ReflowKeptOfInput(std::string_view text) {
    size_t lastSolid = text.size();
    while (lastSolid > 0 && Blank(static_cast<unsigned char>(text[lastSolid - 1]))) --lastSolid;
    std::string out;
    bool marked = false;
    for (std::string_view line : Lines(text)) {
        const std::string_view t = Trim(line);
        if (t.empty()) continue;
        const bool further = static_cast<size_t>(line.data() + line.size() - text.data()) < lastSolid;
        if (!marked && t.size() == 1 && Bullet(static_cast<unsigned char>(t[0])) && further) {
            marked = true;
            continue;
        }
        marked = false;
        out += ReflowKept(line);
    }
    return out;
}

// What marking must keep: the text without blanks, angle brackets and "_",
// in lower case, every quote character a '"'.
std::string MarkKept(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (Blank(c) || c == '<' || c == '>' || c == '_') continue;
        out += Quote(c) ? '"' : AnsiLowerChar(ch);
    }
    return out;
}

std::string WithoutLineEnds(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

void CheckWrapped(std::string_view input, std::string_view wrapped, size_t columns) {
    // Only line ends are added, and blank lines dropped.
    std::string kept;
    for (std::string_view line : Lines(input))
        if (!Trim(line).empty()) kept.append(line);
    Check(WithoutLineEnds(wrapped) == kept);
    Check(wrapped.empty() || wrapped.substr(wrapped.size() - 2) == "\r\n");
    if (columns == 0) return;
    // A line past the width (its trailing blanks aside) is one run of
    // characters without a blank that is longer than the width.
    for (std::string_view line : Lines(wrapped)) {
        std::string_view solid = line;
        while (!solid.empty() && Blank(static_cast<unsigned char>(solid.back()))) solid.remove_suffix(1);
        if (solid.size() <= columns) continue;
        for (size_t i = 1; i < columns; ++i) Check(!Blank(static_cast<unsigned char>(solid[i])));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t nul = all.find('\0');
    const std::string_view setup = nul == std::string_view::npos ? std::string_view() : all.substr(0, nul);
    std::string_view text = nul == std::string_view::npos ? all : all.substr(nul + 1);
    size_t columns = 398;
    if (nul != std::string_view::npos && !text.empty()) {
        columns = static_cast<unsigned char>(text[0]) % 64;
        text.remove_prefix(1);
    }

    std::vector<std::string> controls, compounds, exceptions;
    std::vector<std::pair<std::string, int>> singles;
    for (std::string_view line : Lines(setup)) {
        if (line.size() < 2) continue;
        switch (line[0]) {
        case 'c': controls.emplace_back(line.substr(2)); break;
        case 'p': compounds.emplace_back(line.substr(2)); break;
        case 'x': exceptions.emplace_back(line.substr(2)); break;
        case 's':
            if (line.size() >= 3) singles.emplace_back(line.substr(3), static_cast<signed char>(line[1]));
            break;
        default: break;
        }
    }
    const TControlWordList controlWords(controls);
    const TDocumentDictionary dictionary(singles, compounds, exceptions);

    std::string firstPass;
    const std::string reflowed = SplitSentencesText(text, controlWords, &firstPass);
    const std::string kept = ReflowKeptOfInput(text);
    Check(ReflowKept(firstPass) == kept);
    Check(ReflowKept(reflowed) == kept);

    bool odd = false;
    const std::string marked = MarkDocumentTermsText(reflowed, controlWords, dictionary, &odd);
    Check(MarkKept(marked) == MarkKept(reflowed));

    CheckWrapped(marked, CleanAndWrapText(marked, columns), columns);
    CheckWrapped(text, CleanAndWrapText(text, columns), columns);
    return 0;
}
