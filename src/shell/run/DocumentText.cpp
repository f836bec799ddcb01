#include "DocumentText.h"

#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace pem {

namespace {

// ---- character classes (byte values of the code page)

enum : uint8_t {
    kBlank = 1,         // 0..32: control characters and the blank
    kQuote = 2,         // '"', '\'' and the typographic quotes
    kTypoQuote = 4,     // 130, 132, 145..148
    kBullet = 8,        // '*', '-', '?', 'o' and the code-page bullets
    kCpBullet = 16,     // 149, 150, 183, 210, 218
    kTermDelim = 32,    // the word delimiters of the word lists
    kTermLetter = 64,   // '-', 'A'..'Z', 'a'..'z'
};

constexpr std::array<uint8_t, 256> MakeClasses() {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c <= 32; ++c) t[c] |= kBlank;
    for (int c : {130, 132, 145, 146, 147, 148}) t[c] |= kTypoQuote | kQuote;
    t['"'] |= kQuote;
    t['\''] |= kQuote;
    for (int c : {'*', '-', '?', 'o'}) t[c] |= kBullet;
    for (int c : {149, 150, 183, 210, 218}) t[c] |= kBullet | kCpBullet;
    for (int c = 0; c <= 34; ++c) t[c] |= kTermDelim;
    for (int c : {int('%'), int('\''), int('+'), int(','), int('.'), int('/'), int(':'), int(';'), int('<'), int('='),
                  int('>'), int('?'), int('\\'), int('^'), int('`'), int('~'), 133, 150, 151})
        t[c] |= kTermDelim;
    t['-'] |= kTermLetter;
    for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kTermLetter;
    for (int c = 'a'; c <= 'z'; ++c) t[c] |= kTermLetter;
    return t;
}

constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

inline uint8_t ClassOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }
inline bool IsBlank(char c) { return ClassOf(c) & kBlank; }
inline bool IsTermDelim(char c) { return ClassOf(c) & kTermDelim; }
// Between words of the term marking: a double quotation mark begins a word
// (the placeholder of a quoted passage).
inline bool IsGap(char c) { return c != '"' && IsTermDelim(c); }
// Between words of the capital-word and merging pass: "<" and ">" belong to
// the words, so that a mark is one word.
inline bool IsMarkDelim(char c) { return c != '<' && c != '>' && IsTermDelim(c); }
inline bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr char kCpBulletChar = '\x95'; // 149
constexpr std::string_view kCrLf = "\r\n";
// A quoted passage waiting to be put back: a blank, then '"', '@', '"'.
constexpr std::string_view kPlaceholder = " \"@\"";

std::string_view TrimRightBlanks(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return s.substr(0, n);
}

bool AllBlank(std::string_view s) {
    for (char c : s)
        if (!IsBlank(c)) return false;
    return true;
}

// Calls onLine with each line of the text as a string list reads them: CR
// LF, LF or a lone CR ends a line; a line end after the last line adds no
// empty line.
template <class OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine) {
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        onLine(text.substr(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) onLine(text.substr(start));
}

bool IsFigureTableSection(std::string_view word) {
    return SameText(word, "figure") || SameText(word, "table") || SameText(word, "section");
}

// ---- files

std::string ReadWholeFile(const std::string& fileName) { return ReadRegularFile(Cp1252ToUtf8(fileName)); }

// The input tree's copies are the run's own files, rewritten where they
// stand: a link planted in a copy's place is not written through.
void WriteWholeFile(const std::string& fileName, std::string_view text) {
    WriteOwnFileInPlace(Cp1252ToUtf8(fileName), text, fileName);
}

} // namespace

// ------------------------------------------------------------ control words

TControlWordList::TControlWordList(std::vector<std::string> words) {
    words.erase(std::remove_if(words.begin(), words.end(), [](const std::string& w) { return w.empty(); }),
                words.end());
    std::stable_sort(words.begin(), words.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    words_ = std::move(words);
    for (const std::string& w : words_) {
        folded_.insert(AnsiLowerCase(w));
        exact_.insert(w);
        lengths_.push_back(w.size());
    }
    std::sort(lengths_.begin(), lengths_.end());
    lengths_.erase(std::unique(lengths_.begin(), lengths_.end()), lengths_.end());
}

TControlWordList TControlWordList::FromTickedItems(const std::vector<std::string>& items) {
    std::vector<std::string> words;
    words.reserve(items.size());
    for (const std::string& item : items) {
        if (item.size() < 6) continue;
        std::string_view w = std::string_view(item).substr(5);
        size_t b = 0;
        while (b < w.size() && IsBlank(w[b])) ++b;
        words.emplace_back(TrimRightBlanks(w.substr(b)));
    }
    return TControlWordList(std::move(words));
}

bool IsWordInList(std::string_view word, const TControlWordList& list) {
    if (list.words_.empty()) return false;
    if (word.size() >= 2 && list.folded_.find(std::string_view(AnsiLowerCase(word))) != list.folded_.end())
        return true;
    // A word of the list that begins the word sorts at or before it in the
    // folded order, so reading the list up to the first word that sorts
    // after it, as the search by the list's order does, finds every such
    // beginning: asking for each length the list holds gives the same answer.
    for (size_t len : list.lengths_) {
        if (len > word.size()) break;
        if (list.exact_.find(word.substr(0, len)) != list.exact_.end()) return true;
    }
    return false;
}

// --------------------------------------------------------------- dictionary

namespace doctext {

uint64_t TTermTable::HashOf(std::string_view key) {
    // FNV-1a: short keys, one pass.
    uint64_t h = 1469598103934665603ull;
    for (char c : key) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h ^ (h >> 29);
}

void TTermTable::Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    const size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
        if (s.offset == kEmpty) continue;
        const uint64_t h = HashOf(std::string_view(pool_).substr(s.offset, s.length));
        size_t i = static_cast<size_t>(h) & mask;
        while (slots_[i].offset != kEmpty) i = (i + 1) & mask;
        slots_[i] = s;
    }
}

void TTermTable::Insert(std::string_view key, int value) {
    if (Find(key)) return;
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const uint64_t h = HashOf(key);
    const size_t mask = slots_.size() - 1;
    size_t i = static_cast<size_t>(h) & mask;
    while (slots_[i].offset != kEmpty) i = (i + 1) & mask;
    slots_[i] = Slot{static_cast<uint32_t>(h >> 32), static_cast<uint32_t>(key.size()),
                     static_cast<uint32_t>(pool_.size()), value};
    pool_.append(key);
    ++count_;
}

const int* TTermTable::Find(std::string_view key) const {
    if (slots_.empty()) return nullptr;
    const uint64_t h = HashOf(key);
    const uint32_t tag = static_cast<uint32_t>(h >> 32);
    const size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>(h) & mask;; i = (i + 1) & mask) {
        const Slot& s = slots_[i];
        if (s.offset == kEmpty) return nullptr;
        if (s.hash == tag && s.length == key.size() && pool_.compare(s.offset, s.length, key) == 0) return &s.value;
    }
}

} // namespace doctext

TDocumentDictionary::TDocumentDictionary(const std::vector<std::pair<std::string, int>>& singleTerms,
                                         const std::vector<std::string>& compoundTerms,
                                         const std::vector<std::string>& exceptions) {
    for (const auto& [term, value] : singleTerms) {
        const std::string key = AnsiLowerCase(term);
        longest_ = std::max(longest_, key.size());
        single_.Insert(key, value);
    }
    for (const std::string& term : compoundTerms) {
        const std::string key = AnsiLowerCase(term);
        longest_ = std::max(longest_, key.size());
        compound_.Insert(key, 0);
    }
    for (const std::string& e : exceptions) exceptions_.Insert(AnsiLowerCase(e), 0);
}

const int* TDocumentDictionary::SingleTerm(std::string_view lowerKey) const { return single_.Find(lowerKey); }

bool TDocumentDictionary::IsCompoundTerm(std::string_view lowerKey) const { return compound_.Find(lowerKey); }

bool TDocumentDictionary::IsException(std::string_view lowerKey) const { return exceptions_.Find(lowerKey); }

// ----------------------------------------------------------- SplitSentences

namespace {

// The first pass over the lines of the text that are not blank: typographic
// quotes become '"', "; " ends a line, and bullets begin lines of their own.
// Each line goes to onLine followed by CR LF, with the CR LF pairs the pass
// put into it, as it would stand in the file written between the passes.
template <class OnLine>
void BreakAtBullets(std::string_view text, OnLine&& onLine) {
    // Where the last character that is not blank stands: a line ending
    // before it has a further line after it.
    size_t lastSolid = text.size();
    while (lastSolid > 0 && IsBlank(text[lastSolid - 1])) --lastSolid;
    std::string line;
    std::string s;
    bool bulletNext = false; // a lone bullet marked this line as an item
    ForEachLine(text, [&](std::string_view source) {
        if (AllBlank(source)) return;
        const bool further = static_cast<size_t>(source.data() + source.size() - text.data()) < lastSolid;
        line.clear();
        if (bulletNext) line += kCpBulletChar;
        bulletNext = false;
        line.append(source);
        bool bullet = false;
        bool semicolon = false;
        for (char& c : line) {
            const uint8_t k = ClassOf(c);
            if (k & kTypoQuote) c = '"';
            bullet |= (k & kBullet) != 0;
            semicolon |= c == ';';
        }
        if (semicolon) {
            s.clear();
            for (size_t j = 0; j < line.size(); ++j) {
                s += line[j];
                if (line[j] == ';' && j + 1 < line.size() && line[j + 1] == ' ') {
                    s += ' ';
                    s.append(kCrLf);
                    ++j;
                }
            }
            line.swap(s);
        }
        if (bullet) {
            size_t b = 0;
            size_t e = line.size();
            while (b < e && IsBlank(line[b])) ++b;
            while (e > b && IsBlank(line[e - 1])) --e;
            if (e - b == 1 && further) {
                // A bullet alone on its line marks the next line as an item.
                bulletNext = true;
                line.clear();
            } else {
                s.clear();
                for (size_t j = b; j < e; ++j) {
                    if (ClassOf(line[j]) & kCpBullet) {
                        s.append(kCrLf);
                        s += kCpBulletChar;
                    } else {
                        s += line[j];
                    }
                }
                line.swap(s);
            }
        }
        line.append(kCrLf);
        onLine(std::string_view(line));
    });
}

bool IsNumberedItem(std::string_view w) {
    if (w.size() < 2) return false;
    bool digit = false;
    bool paren = false;
    for (char c : w) {
        if (IsDigit(c)) digit = true;
        else if (c == ')') paren = true;
        else if (c != '.') return false;
    }
    return digit && paren;
}

bool OnlyDigitsAndStops(std::string_view w) {
    for (char c : w)
        if (!IsDigit(c) && c != '.') return false;
    return true;
}

// The second pass over one line, appended to out with its CR LF. out holds
// the new text so far, each line followed by CR LF; lastLine is where its
// last line begins (npos: none), and then where this line begins.
void ReflowLine(std::string_view line, const TControlWordList& controlWords, std::string& out, size_t& lastLine) {
    const bool paren = line.find('(') != std::string_view::npos;
    size_t lastSolid = line.size();
    while (lastSolid > 0 && IsBlank(line[lastSolid - 1])) --lastSolid;
    // The line is scanned with one blank appended; the blank itself is never
    // copied.
    const size_t n = line.size();
    size_t lineStart = out.size();
    std::string prev;
    std::string word;
    size_t pos = 0;
    for (;;) {
        const size_t blanks = pos;
        while (pos < n && IsBlank(line[pos])) ++pos;
        out.append(line.substr(blanks, pos - blanks));
        if (pos >= n) break;
        const size_t start = pos;
        while (pos < n && !IsBlank(line[pos])) ++pos;
        const std::string_view w = line.substr(start, pos - start);
        const bool afterLabel = IsFigureTableSection(prev);
        word.assign(w);
        if (SameText(w, "&STARTME") || SameText(w, "&ENDME")) {
            word = std::string(kCrLf) + word + std::string(kCrLf);
        } else if (IsNumberedItem(w) && !afterLabel && !paren) {
            word = std::string(kCrLf) + word;
        } else if (w.back() == '.' && !OnlyDigitsAndStops(w) && !afterLabel && lastSolid > pos) {
            word += ' ';
            word.append(kCrLf);
        } else if (IsWordInList(w, controlWords)) {
            if (!prev.empty()) {
                const std::string_view p = TrimRightBlanks(prev);
                const bool ended = !p.empty() && (p.back() == '.' || p.back() == ';');
                word = (ended ? std::string(kCrLf) : "." + std::string(kCrLf)) + word;
            } else if (lastLine != std::string::npos) {
                // The word begins its line: the line before it ends a sentence.
                // (out ends with that line's CR LF; this line adds nothing yet.)
                const std::string_view last(out.data() + lastLine, lineStart - 2 - lastLine);
                const std::string_view p = TrimRightBlanks(last);
                if (!last.empty() && (p.empty() || (p.back() != '.' && p.back() != ';'))) {
                    const std::string sofar = out.substr(lineStart - 2);
                    out.resize(lineStart - 2);
                    out += '.';
                    out.append(sofar);
                    ++lineStart;
                }
            }
        }
        out.append(word);
        prev = std::move(word);
    }
    out.append(kCrLf);
    lastLine = lineStart;
}

} // namespace

std::string SplitSentencesText(std::string_view text, const TControlWordList& controlWords,
                               std::string* intermediate) {
    if (intermediate) {
        intermediate->clear();
        intermediate->reserve(text.size() + text.size() / 16);
    }
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t lastLine = std::string::npos;
    // Each line of the first pass ends with CR LF, so the lines the second
    // pass reads from the whole text are those read from each line alone.
    BreakAtBullets(text, [&](std::string_view firstPass) {
        if (intermediate) intermediate->append(firstPass);
        ForEachLine(firstPass, [&](std::string_view line) { ReflowLine(line, controlWords, out, lastLine); });
    });
    return out;
}

// -------------------------------------------------------- MarkDocumentTerms

namespace {

// The last step on one line: each placeholder, from its first '"' to the
// next, gives way to the next passage.
void PutQuotesBack(std::string_view line, const std::vector<std::string>& passages, size_t& next, std::string& out) {
    size_t pos = 0;
    for (;;) {
        const size_t open = line.find('"', pos);
        const size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
        if (close == std::string_view::npos) {
            out.append(line.substr(pos));
            return;
        }
        out.append(line.substr(pos, open - pos));
        if (next < passages.size()) out.append(passages[next++]);
        else out.append(line.substr(open, close - open + 1));
        pos = close + 1;
    }
}

bool IsCandidate(std::string_view w) {
    for (char c : w)
        if (!(ClassOf(c) & kTermLetter)) return false;
    return !(w.size() >= 3 && w.substr(w.size() - 3) == "ing");
}

void AppendLower(std::string& out, std::string_view s) {
    for (char c : s) out += AnsiLowerChar(c);
}

// Whether the compound candidate lc is found: a compound term, or a plural
// of a single term.
bool CompoundFound(const TDocumentDictionary& dict, std::string_view lc) {
    if (dict.IsCompoundTerm(lc)) return true;
    return !lc.empty() && lc.back() == 's' && dict.SingleTerm(lc.substr(0, lc.size() - 1));
}

// Step two on one line (with one blank appended in s): the dictionary's terms
// are marked.
void MarkTermsInLine(std::string_view s, const TDocumentDictionary& dict, std::string& out) {
    const size_t n = s.size();
    std::string lw;
    std::string lc;
    struct Taken {
        size_t begin, end;
    };
    std::vector<Taken> taken;
    std::vector<size_t> lcEnds;
    size_t pos = 0;
    for (;;) {
        const size_t gap = pos;
        while (pos < n && IsGap(s[pos])) ++pos;
        if (pos >= n) {
            if (gap + 1 < n) out.append(s.substr(gap, n - 1 - gap));
            return;
        }
        out.append(s.substr(gap, pos - gap));
        if (s[pos] == '"') {
            const size_t len = std::min<size_t>(3, n - 1 - pos);
            out.append(s.substr(pos, len));
            pos += std::max<size_t>(len, 1);
            continue;
        }
        const size_t start = pos;
        while (pos < n && !IsTermDelim(s[pos])) ++pos;
        const std::string_view w = s.substr(start, pos - start);
        if (!IsCandidate(w)) {
            out.append(w);
            continue;
        }
        lw.clear();
        AppendLower(lw, w);
        const std::string_view singular = std::string_view(lw).substr(0, lw.size() - 1);
        const bool plural = lw.back() == 's';
        const int* entry = dict.SingleTerm(lw);
        const int* singularEntry = nullptr;
        bool singularLooked = false;
        if (!entry && plural && !dict.IsException(lw)) {
            entry = singularEntry = dict.SingleTerm(singular);
            singularLooked = true;
        }
        if (!entry) {
            out.append(w);
            continue;
        }
        int64_t value = *entry;
        bool exception = false;
        if (value >= 1 && w.size() > 4 && plural &&
            (singularLooked ? singularEntry : dict.SingleTerm(singular)) != nullptr) {
            if (value > 100) {
                exception = true;
                value -= 100;
            }
            value = -value - 1;
        }
        if (value == -1) {
            out += '<';
            out.append(lw);
            out += '>';
            continue;
        }
        if (value >= 0) {
            out.append(w);
            continue;
        }
        // The longest compound that begins with w. The following words are
        // taken once; each k looks at the first k of them. A candidate longer
        // than any key can never be found, which bounds the words taken.
        const int64_t maxWords = std::min<int64_t>(-value - 1, static_cast<int64_t>(dict.LongestKey()) + 1);
        taken.clear();
        size_t stopAt = SIZE_MAX; // words taken when only blanks remained
        for (size_t p = pos; static_cast<int64_t>(taken.size()) < maxWords;) {
            size_t q = p;
            while (q < n && IsBlank(s[q])) ++q;
            if (q >= n) {
                stopAt = taken.size();
                break;
            }
            size_t e = q;
            while (e < n && !IsTermDelim(s[e])) ++e;
            taken.push_back({q, e});
            p = e;
        }
        lc = lw;
        lcEnds.assign(1, lc.size());
        for (const Taken& t : taken) {
            lc += '_';
            AppendLower(lc, s.substr(t.begin, t.end - t.begin));
            lcEnds.push_back(lc.size());
        }
        bool found = false;
        for (int64_t k = maxWords; k >= 1 && !found; --k) {
            const bool stopped = stopAt != SIZE_MAX && static_cast<int64_t>(stopAt) < k;
            const size_t m = stopped ? stopAt : static_cast<size_t>(k);
            if (stopped) {
                // Every larger k ends the same way: decide once, at k = stopAt + 1.
                k = static_cast<int64_t>(stopAt) + 1;
                // A word that ends at the appended blank before k words were
                // taken gives this k up.
                if (m >= 1 && taken[m - 1].end == n - 1) continue;
            }
            const std::string_view cand = std::string_view(lc).substr(0, lcEnds[m]);
            if (!CompoundFound(dict, cand)) continue;
            found = true;
            if (exception && m == 0) out.append(w);
            else {
                out += '<';
                out.append(cand);
                out += '>';
            }
            if (stopped) return; // the blanks at the end of the line go
            pos = taken[m - 1].end;
        }
        if (found) continue;
        if (exception) out.append(w);
        else {
            out += '<';
            out.append(lw);
            out += '>';
        }
    }
}

bool BeginsWithTwoCapitals(std::string_view w) { return w.size() >= 2 && IsCapital(w[0]) && IsCapital(w[1]); }

// Whether the merged mark already holds inner as a part of its own.
bool HoldsPart(std::string_view merged, std::string_view inner) {
    const std::string head = "<" + std::string(inner) + "_";
    if (merged.size() >= head.size() && CompareText(merged.substr(0, head.size()), head) == 0) return true;
    const std::string mid = "_" + std::string(inner) + "_";
    const std::string tail = "_" + std::string(inner) + ">";
    return merged.find(mid) != std::string_view::npos || merged.find(tail) != std::string_view::npos;
}

// Step three on one line (with one blank appended in s): capital words are
// marked and neighbouring marks merged.
void MergeMarksInLine(std::string_view s, const TControlWordList& controlWords, std::string& out) {
    const size_t n = s.size();
    std::string merged;
    size_t pos = 0;
    for (;;) {
        const size_t gap = pos;
        while (pos < n && IsMarkDelim(s[pos])) ++pos;
        if (pos >= n) {
            if (gap + 1 < n) out.append(s.substr(gap, n - 1 - gap));
            return;
        }
        out.append(s.substr(gap, pos - gap));
        const size_t start = pos;
        while (pos < n && !IsMarkDelim(s[pos])) ++pos;
        const std::string_view word = s.substr(start, pos - start);
        if (word[0] != '<') {
            const bool mark = BeginsWithTwoCapitals(word) && !IsWordInList(word, controlWords);
            if (mark) out += '<';
            out.append(word);
            if (mark) out += '>';
            continue;
        }
        merged.assign(word);
        for (;;) {
            size_t q = pos;
            while (q < n && IsMarkDelim(s[q])) ++q;
            if (q >= n) {
                if (pos + 1 < n) merged.append(s.substr(pos, n - 1 - pos));
                out.append(merged);
                return;
            }
            if (!AllBlank(s.substr(pos, q - pos))) break;
            size_t e = q;
            while (e < n && !IsMarkDelim(s[e])) ++e;
            const std::string_view next = s.substr(q, e - q);
            if (next.size() >= 2 && next.front() == '<' && next.back() == '>') {
                // Only a mark takes the next one in, giving up its closing
                // ">": a word of the document that merely begins with "<"
                // would lose its last character.
                if (merged.size() < 2 || merged.back() != '>') break;
                if (HoldsPart(merged, next.substr(1, next.size() - 2))) break;
                merged.pop_back();
                merged += '_';
                merged.append(next.substr(1));
                pos = e;
                if (pos >= n) {
                    out.append(merged);
                    return;
                }
                continue;
            }
            merged += ' ';
            merged.append(next);
            pos = e;
            break;
        }
        out.append(merged);
    }
}

} // namespace

std::string MarkDocumentTermsText(std::string_view text, const TControlWordList& controlWords,
                                  const TDocumentDictionary& dictionary, bool* oddQuotes) {
    std::string result;
    result.reserve(text.size() + text.size() / 4);
    // The text is read as lines joined by CR LF, every quote character a
    // '"'. A quoted passage, from a '"' to the next one and across lines,
    // waits in the list while the placeholder takes its place; one left open
    // runs to the end of the text. Each line of that text is marked, its
    // marks merged and its passages put back as soon as it ends: the marking
    // keeps a line one line and a placeholder whole, so each step reads what
    // the one before wrote, and the text is never held twice.
    std::vector<std::string> passages;
    size_t next = 0;
    std::string passage;
    bool inPassage = false;
    std::string line;
    std::string marked;
    std::string merged;
    auto finishLine = [&] {
        line += ' ';
        marked.clear();
        MarkTermsInLine(line, dictionary, marked);
        marked += ' ';
        merged.clear();
        MergeMarksInLine(marked, controlWords, merged);
        PutQuotesBack(merged, passages, next, result);
        if (next == passages.size()) {
            passages.clear();
            next = 0;
        }
        line.clear();
    };
    auto take = [&](std::string_view piece) {
        size_t from = 0;
        for (size_t i = 0; i < piece.size(); ++i) {
            if (!(ClassOf(piece[i]) & kQuote)) continue;
            (inPassage ? passage : line).append(piece.substr(from, i - from));
            from = i + 1;
            if (!inPassage) {
                passage.assign(1, '"');
            } else {
                passage += '"';
                passages.push_back(std::move(passage));
                passage.clear();
                line.append(kPlaceholder);
            }
            inPassage = !inPassage;
        }
        (inPassage ? passage : line).append(piece.substr(from));
    };
    ForEachLine(text, [&](std::string_view l) {
        take(l);
        if (inPassage) {
            passage.append(kCrLf);
        } else {
            finishLine();
            result.append(kCrLf);
        }
    });
    if (oddQuotes) *oddQuotes = inPassage;
    if (inPassage) {
        passages.push_back(std::move(passage));
        line.append(kPlaceholder);
        finishLine();
        result.append(kCrLf);
    }
    return result;
}

// ------------------------------------------------------------- wrapping

namespace {

void WrapLine(std::string_view line, size_t columns, std::string& out) {
    const size_t n = line.size();
    size_t start = 0;
    while (columns > 0 && n - start > columns) {
        // The last blank that keeps the piece within the columns; a blank
        // that would begin the piece breaks nothing.
        size_t b = start + columns - 1;
        while (b > start && !IsBlank(line[b])) --b;
        if (b == start) {
            // A run longer than the columns stays whole up to its blank.
            b = start + columns;
            while (b < n && !IsBlank(line[b])) ++b;
            if (b >= n) break;
        }
        if (AllBlank(line.substr(b + 1))) break;
        out.append(line.substr(start, b + 1 - start));
        out.append(kCrLf);
        start = b + 1;
    }
    out.append(line.substr(start));
    out.append(kCrLf);
}

} // namespace

std::string CleanAndWrapText(std::string_view text, size_t columns) {
    std::string out;
    out.reserve(text.size() + text.size() / 64);
    ForEachLine(text, [&](std::string_view line) {
        if (!AllBlank(line)) WrapLine(line, columns, out);
    });
    return out;
}

// ------------------------------------------------------------- file forms

void SplitSentences(const std::string& inputFile, const std::string& outputFile,
                    const TControlWordList& controlWords) {
    std::string intermediate;
    const std::string result = SplitSentencesText(ReadWholeFile(inputFile), controlWords, &intermediate);
    WriteWholeFile(inputFile, intermediate);
    WriteWholeFile(outputFile, result);
}

void MarkDocumentTerms(const std::string& inputFile, const std::string& outputFile,
                       const TControlWordList& controlWords, const TDocumentDictionary& dictionary,
                       const std::function<void(const std::string&)>& showError) {
    bool odd = false;
    const std::string result = MarkDocumentTermsText(ReadWholeFile(inputFile), controlWords, dictionary, &odd);
    if (odd && showError) showError(kOddQuotesMessage);
    WriteWholeFile(outputFile, result);
}

void CleanAndWrapFile(const std::string& fileName) {
    WriteWholeFile(fileName, CleanAndWrapText(ReadWholeFile(fileName)));
}

} // namespace pem
