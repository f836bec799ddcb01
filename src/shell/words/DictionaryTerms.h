#pragma once
// The dictionary terms of the document analysis, read against the ticked
// control words: the single terms (".tdfall", each with its integer), the
// compound terms (".tdfc", words joined by "_") and the exceptions
// (".exceptions"). A control word is never a term: it leaves the single
// terms, and every compound term holding it as a part goes.
//
// The lists are kept sorted ignoring case (the order of sorted string lists)
// and every look-up ignores case. The reader keeps the base name, the dates
// of the three files and the control words of its last reading, and reads
// again only when one of them changed.
#include <string>
#include <string_view>
#include <vector>

namespace pem {

struct TSingleTerm {
    std::string term;
    int value = 0;
};

// Word delimiters of the documents: the control characters and the blank,
// ! " % ' + , . / : ; < = > ? \ ^ ` ~ and the code-page characters 133, 150
// and 151.
bool IsWordDelimiter(char c);

class TDictionaryTerms {
public:
    // Brings the lists up to date for the dictionary base name (its
    // extension, if any, is replaced by the three of the files) and the
    // ticked control-word items ("CODE word"). Returns true when the files
    // were read, false when nothing had changed. Read failures raise the file
    // routines' exceptions (EFileError) and an integer that is none raises
    // EConvertError; the lists are then empty and the next call reads again.
    bool ReadControlWords(const std::string& baseName, const std::vector<std::string>& tickedControlItems);

    const std::vector<TSingleTerm>& SingleTerms() const { return single_; }
    const std::vector<std::string>& CompoundTerms() const { return compound_; }
    const std::vector<std::string>& Exceptions() const { return exceptions_; }

    // Look-ups, case ignored; nullptr / false when absent.
    const TSingleTerm* FindSingleTerm(std::string_view term) const;
    bool HasCompoundTerm(std::string_view term) const;
    bool IsException(std::string_view word) const;

    // Warnings of the last reading: control words holding a delimiter, an
    // exceptions file that could not be written back.
    const std::vector<std::string>& Warnings() const { return warnings_; }
    // How often the files were read.
    int Readings() const { return readings_; }

private:
    void Read(const std::string& baseName, const std::vector<std::string>& tickedControlItems);

    std::vector<TSingleTerm> single_;
    std::vector<std::string> compound_;
    std::vector<std::string> exceptions_;
    std::vector<std::string> warnings_;
    int readings_ = 0;
    bool cached_ = false;
    std::string cacheBase_, cacheWords_;
    std::vector<long long> cacheStamps_;
};

} // namespace pem
