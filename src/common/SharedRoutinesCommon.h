#pragma once
// The program's shared routines on strings: cutting around a separator, case
// and lettering, folding UTF-8 into 8-bit text, sorting and searching
// name=value string lists, and temporary file paths. Including this header
// brings in the general string, number and codec routines as well.
#include "BaseCodecs.h"
#include "BaseStrings.h"
#include "BaseUtils.h"
#include "CharSet1252.h"
#include "StringList.h"
#include "TempFiles.h"

#if __has_include("SharedRoutinesFiles.h")
#include "SharedRoutinesFiles.h"
#endif

#include <functional>
#include <string>
#include <string_view>

namespace pem {

// ---- cutting around a separator (matched case-sensitively) ----

// The part before the first / last occurrence of sep; the whole s when sep
// is empty or absent.
std::string StrBeforeFirst(std::string_view s, std::string_view sep);
std::string StrBeforeLast(std::string_view s, std::string_view sep);
// The part after the first / last occurrence of sep; empty when sep is empty
// or absent.
std::string StrAfterFirst(std::string_view s, std::string_view sep);
std::string StrAfterLast(std::string_view s, std::string_view sep);
// s begins with prefix (true for an empty prefix); the Text form ignores
// ASCII case.
bool StartsWithStr(std::string_view prefix, std::string_view s);
bool StartsWithText(std::string_view prefix, std::string_view s);

// ---- case and lettering (code-page case folding) ----

// The first character upper case, all others lower case.
std::string CapitalizeFirst(std::string_view s);
// The first character and every character after a blank, ",", "-", "." or
// "_" upper case, all others lower case.
std::string CapitalizeWords(std::string_view s);
// Every character followed by two blanks.
std::string SpaceOutLetters(std::string_view s);

// ---- UTF-8 ----

// The 8-bit form of a UTF-8 text: each character below 256 gives its own
// value, every other character (four-byte ones included) gives 0xF5. Bytes
// that do not start a valid, shortest-form sequence pass through unchanged,
// as do the bytes of a sequence cut off by the end of the text.
std::string Utf8ToAnsiStr(std::string_view s);

// ---- name=value string lists (names are the parts before the first "=") ----

using TProgressProc = std::function<void()>;

// Sorts the list by names, ignoring case (code-page folding).
void SortStringsByName(TStringList& list, const TProgressProc& progress = {});
// Quicksort of the entries lo..hi by names (byName) or by whole strings;
// each string's object moves with it. progress, when given, is called once
// per partitioning step of the outermost range.
void QuickSortStrings(TStringList& list, int lo, int hi, const TProgressProc& progress,
                      bool byName);
// Index of the entry with that name in a list sorted by names, the first of
// several equal names; -1 when absent.
int FindNameSorted(const TStringList& list, std::string_view name);

// ---- paths ----

// Full path of a file of that name in the process's private temporary folder.
std::string TempFilePath(std::string_view name);

} // namespace pem
