#pragma once
// Preparing the text of a document for the requirement tools, on 8-bit
// Windows-1252 text:
//  - SplitSentences re-flows the text so that sentences, numbered items,
//    bullet items and the region markers "&STARTME" and "&ENDME" begin lines
//    of their own;
//  - MarkDocumentTerms encloses the dictionary's terms, and words beginning
//    with two or more capitals, in angle brackets ("<data_base>", "<CPU>"),
//    leaving quoted passages as they are;
//  - CleanAndWrapText drops the lines that hold nothing but blanks and
//    wraps the others at 398 columns.
// The text forms are pure functions of the file's bytes; the file forms read
// and write the files (names in Windows-1252, "/" separated). Files are read
// as lines (CR LF, LF or a lone CR end a line) and written with CR LF after
// every line. Everything is linear in the size of the text: the quoted
// passages are taken out and put back in one pass each, and every look-up
// goes to a hash table of case-folded keys.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace pem {

namespace doctext {
// Hash and equality that let tables of std::string keys be searched with a
// std::string_view without making a string.
struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
using Set = std::unordered_set<std::string, Hash, std::equal_to<>>;

// A table of short keys with an integer each, kept flat: the slots in one
// array, the keys in one pool. A look-up touches one slot, and the key's
// text only when the slot's hash matches, so that a dictionary of 100,000
// terms answers the words of a long text at the speed of the memory.
class TTermTable {
public:
    // Adds the key unless it is there (the first value stays).
    void Insert(std::string_view key, int value);
    const int* Find(std::string_view key) const;
    size_t Count() const { return count_; }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t length = 0;
        uint32_t offset = kEmpty;
        int32_t value = 0;
    };
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    static uint64_t HashOf(std::string_view key);
    void Grow();
    std::vector<Slot> slots_;
    std::string pool_;
    size_t count_ = 0;
};
} // namespace doctext

// The control words the engineer ticked in the word list. Kept sorted in the
// project's one collation, AnsiCompareText (the code page folded to lower
// case), which never depends on the user's locale. Empty words are left out:
// an empty word would begin every word of the text.
class TControlWordList {
public:
    TControlWordList() = default;
    explicit TControlWordList(std::vector<std::string> words);
    // From the ticked items of the control-word list ("%4.4s %s": a type
    // code of four characters, a blank, the word): each item's text from its
    // sixth character on, trimmed of blanks and control characters.
    static TControlWordList FromTickedItems(const std::vector<std::string>& items);

    const std::vector<std::string>& Words() const { return words_; }
    bool Empty() const { return words_.empty(); }

private:
    friend bool IsWordInList(std::string_view word, const TControlWordList& list);
    std::vector<std::string> words_;
    doctext::Set folded_;         // the words in lower case
    doctext::Set exact_;          // the words as ticked
    std::vector<size_t> lengths_; // the lengths the words have, ascending
};

// The word is a control word: it has at least two characters and equals a
// word of the list ignoring case, or a word of the list begins it (case
// counts), so that "shall," and "shall." match the control word "shall".
// The list's sorted order ends the search for a beginning early; the answer
// is the same as reading the whole list.
bool IsWordInList(std::string_view word, const TControlWordList& list);

// The dictionary lists that reading the dictionary files gives: the single
// terms with their integers, the compound terms (words joined by "_") and the
// exceptions. Every look-up ignores case (the code page folded to lower
// case); of terms equal but for case the first given counts. Made once for a
// run and shared by all its documents.
class TDocumentDictionary {
public:
    TDocumentDictionary() = default;
    TDocumentDictionary(const std::vector<std::pair<std::string, int>>& singleTerms,
                        const std::vector<std::string>& compoundTerms, const std::vector<std::string>& exceptions);

    // The integer stored with the single term, nullptr when it is none. The
    // key is compared in lower case.
    const int* SingleTerm(std::string_view lowerKey) const;
    bool IsCompoundTerm(std::string_view lowerKey) const;
    bool IsException(std::string_view lowerKey) const;
    // The longest key of either term list, which bounds any candidate that
    // can be found.
    size_t LongestKey() const { return longest_; }

private:
    doctext::TTermTable single_;
    doctext::TTermTable compound_;
    doctext::TTermTable exceptions_;
    size_t longest_ = 0;
};

// ---- the text forms: the bytes of the input file in, of the output file out

// Re-flows the text. When intermediate is given it receives the text of the
// first pass (as the file form writes it back into the input file).
std::string SplitSentencesText(std::string_view text, const TControlWordList& controlWords,
                               std::string* intermediate = nullptr);

// Marks the terms. oddQuotes is set when the quote characters do not pair up;
// the text from the unpaired one to the end then stays unmarked.
std::string MarkDocumentTermsText(std::string_view text, const TControlWordList& controlWords,
                                  const TDocumentDictionary& dictionary, bool* oddQuotes = nullptr);

// The text without its lines that are empty after trimming blanks and
// control characters, each other line wrapped at `columns` columns: a line
// breaks after the last blank or control character that keeps the piece
// within the columns; a run of other characters longer than that is left
// whole and breaks after the blank that ends it. Blanks and control
// characters at the end of a line never start a line of their own.
std::string CleanAndWrapText(std::string_view text, size_t columns = 398);

// The message given when the quote characters do not pair up.
inline constexpr const char* kOddQuotesMessage = "Odd number of quotes in the document";

// ---- the file forms (raise EFileError when a file cannot be read or written;
// the output is written only after the text is complete)

// Writes the first pass's text back into the input file, then the result
// into the output file (which may be the input file).
void SplitSentences(const std::string& inputFile, const std::string& outputFile,
                    const TControlWordList& controlWords);
// showError, when given, receives kOddQuotesMessage; the marking goes on.
void MarkDocumentTerms(const std::string& inputFile, const std::string& outputFile,
                       const TControlWordList& controlWords, const TDocumentDictionary& dictionary,
                       const std::function<void(const std::string&)>& showError = {});
// CleanAndWrapText on a file, in place.
void CleanAndWrapFile(const std::string& fileName);

} // namespace pem
