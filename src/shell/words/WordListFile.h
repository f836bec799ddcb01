#pragma once
// The word-list file (".wrl"): one numbered entry per line, nouns and
// control words each with its four-letter type code. Columns, counted from 1:
// 1-4 the running number ("%4.4d"), 6-7 the word's length ("%2.2d"), 9-12
// the type code ("NOUN" for a noun), 14- the word. A length of 100 or more
// takes three digits and moves the rest one column to the right; the reader
// recognises that shape, so long words survive a round trip.
//
// A control word is held as the item text of its list: the code in
// characters 1-4 (cut or padded with blanks), a blank, the word from
// character 6 on.
#include "StringList.h"

#include <string>
#include <vector>

namespace pem {

// What a word-list file holds, in file order.
struct TWordListEntries {
    std::vector<std::string> nouns;       // the words alone
    std::vector<std::string> controlTags; // items "CODE word"
};

// The code for a control word read without one.
inline constexpr const char* kUndefinedWordType = "????";

// The list item of a control word: the code followed by three blanks, cut to
// four characters (an empty code padded to four blanks), a blank and the
// word.
std::string ControlTagItem(const std::string& code, const std::string& word);
// The code (characters 1-4) and the word (from character 6) of an item.
std::string ControlTagCode(const std::string& item);
std::string ControlTagWord(const std::string& item);

// The entries of a file's lines. A line counts when its trimmed text has at
// least 14 characters and its character 6 is not "-". "NOUN" lines give
// nouns; a blank code gives a control word of the undefined type; any other
// code gives a control word only when it (trimmed at the right) is one of
// knownCodes (case ignored), and the line is dropped otherwise. A running
// number of more than four digits moves every later column on.
TWordListEntries ParseWordListLines(const TStringList& lines, const TStringList& knownCodes);

// The file's lines for the ticked entries: the control words first, then the
// nouns, numbered from 1; entries that are empty when trimmed are skipped
// and take no number; an item with a blank code keeps its code column.
TStringList FormatWordListLines(const std::vector<std::string>& controlTags, const std::vector<std::string>& nouns);

// Reads a word-list file (EFileError when it cannot be read).
TWordListEntries ReadWordListFile(const std::string& fileName, const TStringList& knownCodes);
// Writes the file in one step, replacing it (EFileError on failure). A file
// the user chose keeps its link: the link's target is replaced.
void WriteWordListFile(const std::string& fileName, const std::vector<std::string>& controlTags,
                       const std::vector<std::string>& nouns);
// The same for the word list the run hands the tools in the output
// directory, a file of the program's own: a link in its place is replaced,
// never followed.
void WriteOwnWordListFile(const std::string& fileName, const std::vector<std::string>& controlTags,
                          const std::vector<std::string>& nouns);

} // namespace pem
