#pragma once
// Routines on 8-bit strings: bounded copies, searches by character, set or
// substring, trimming, replacing and string arrays. Positions are 1-based
// and count bytes; 0 means "not found". Case-insensitive forms fold only the
// ASCII letters. Searches read the bytes in place and never copy.
#include "BaseUtils.h"

#include <string>
#include <string_view>
#include <vector>

namespace pem {

using TStringArray = std::vector<std::string>;

// ---- bounded copies: never fail, empty outside the string ----

// Characters from..to; from below 1 counts as 1, to beyond the end as the end.
std::string CopyRangeStr(std::string_view s, int from, int to);
// From position from to the end; from 1 or less gives the whole string.
std::string CopyFromStr(std::string_view s, int from);
// The first / last n characters.
std::string CopyHeadStr(std::string_view s, int n);
std::string CopyTailStr(std::string_view s, int n);
// count characters from pos; a negative pos counts from the end (-1 is the
// last character); a negative count gives the empty string.
std::string CopyCountNeg(std::string_view s, int pos, int count);
// Characters from..to, either of which counts from the end when negative.
std::string CopyRangeNeg(std::string_view s, int from, int to);

// ---- searching and testing ----

int PosCharFrom(char c, std::string_view s, int start = 1);
int PosCharSetFrom(const TCharSet& set, std::string_view s, int start = 1);
int PosNotCharSetFrom(const TCharSet& set, std::string_view s, int start = 1);
// 0 when find or s is empty, start is beyond the end or find is longer than s.
int PosStrFrom(std::string_view find, std::string_view s, int start = 1,
               bool caseSensitive = true);
// Length of the run of characters of the set that begins at start.
int CountCharSetFrom(std::string_view s, const TCharSet& set, int start = 1);
int CountChar(std::string_view s, char c);
// Non-empty and every character in the set.
bool StrAllInSet(std::string_view s, const TCharSet& set);
bool IsAllDigits(std::string_view s);
bool StrEqualNoCase(std::string_view a, std::string_view b);
// n bytes equal (ASCII case folded in the second); true for n below 1.
bool BufEqual(const void* a, const void* b, int n);
bool BufEqualNoCase(const void* a, const void* b, int n);
// s holds sub at pos; false when sub or s is empty, pos is below 1 or sub
// would run past the end.
bool MatchStrAt(std::string_view s, std::string_view sub, int pos);
bool MatchTextAt(std::string_view s, std::string_view sub, int pos);
bool HasPrefix(std::string_view s, std::string_view prefix, bool caseSensitive = true);
bool HasSuffix(std::string_view s, std::string_view suffix, bool caseSensitive = true);

// ---- trimming and collapsing ----

std::string TrimLeftCharSet(std::string_view s, const TCharSet& set);
std::string TrimRightCharSet(std::string_view s, const TCharSet& set);
std::string TrimCharSet(std::string_view s, const TCharSet& set);
// TrimCharSet as a view into s, for callers that only look.
std::string_view TrimCharSetView(std::string_view s, const TCharSet& set);
// Every run of characters below '!' becomes one blank; a leading run is
// dropped, a trailing run becomes one blank.
std::string CollapseWhitespace(std::string_view s);
// Every run of c becomes one c; a leading run is dropped.
std::string CollapseCharRuns(std::string_view s, char c);

// ---- replacing and removing ----

std::string ReplaceChar(char find, char replace, std::string_view s);
std::string ReplaceCharSet(const TCharSet& set, char replace, std::string_view s);
std::string ReplaceCharSetByStr(const TCharSet& set, std::string_view replace, std::string_view s);
// Every occurrence of find, left to right and not overlapping, becomes replace.
std::string ReplaceStr(std::string_view find, std::string_view replace, std::string_view s,
                       bool caseSensitive = true);
std::string RemoveChar(std::string_view s, char c);
std::string RemoveCharSet(std::string_view s, const TCharSet& set);
// In place; true when something was removed.
bool DeletePrefix(std::string& s, std::string_view prefix, bool caseSensitive = true);
bool DeleteSuffix(std::string& s, std::string_view suffix, bool caseSensitive = true);

// ---- string arrays ----

// The pieces between the separators, empty pieces included (n separators
// give n + 1 items); the empty string gives no items.
TStringArray SplitByChar(std::string_view s, char c);
std::string JoinWithChar(const TStringArray& items, char c);
// Removes up to count items from index on (a negative index counts as 0);
// returns how many were removed.
int DeleteStringArrayItems(TStringArray& items, int index, int count);

} // namespace pem
