#include "WordListFile.h"

#include "BaseStrings.h"
#include "CharSet1252.h"
#include "SafeFiles.h"

#include <algorithm>

namespace pem {

namespace {

// A number with at least `digits` digits, zero-padded, the sign in front
// ("%4.4d" and "%2.2d").
std::string ZeroPadded(long long n, int digits) {
    std::string d = std::to_string(n < 0 ? -n : n);
    if (static_cast<int>(d.size()) < digits) d.insert(0, static_cast<size_t>(digits) - d.size(), '0');
    return n < 0 ? "-" + d : d;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string ControlTagItem(const std::string& code, const std::string& word) {
    // "%4.4s" of the code and three blanks: cut to four, and an empty code
    // padded on the left to four, so the word still starts at character 6.
    std::string c = (code + "   ").substr(0, 4);
    c.insert(0, 4 - c.size(), ' ');
    return c + " " + word;
}

std::string ControlTagCode(const std::string& item) { return CopyRangeStr(item, 1, 4); }
std::string ControlTagWord(const std::string& item) { return CopyFromStr(item, 6); }

TWordListEntries ParseWordListLines(const TStringList& lines, const TStringList& knownCodes) {
    TWordListEntries out;
    for (const auto& it : lines) {
        const std::string& line = it.s;
        // From 10,000 on the running number takes more than four digits; it
        // runs up to the first blank and moves every later column on.
        const size_t blank = line.find(' ');
        const size_t extra = blank != std::string::npos && blank > 4 &&
                                     std::all_of(line.begin(), line.begin() + static_cast<long>(blank), IsDigit)
                                 ? blank - 4
                                 : 0;
        const auto at = [&line](size_t i) { return i < line.size() ? line[i] : '\0'; };
        if (TrimCharSetView(line, csControlAndBlank).size() < 14 + extra || at(5 + extra) == '-') continue;
        // A length of three digits (columns 6-8, a blank in 9) moves the
        // code and the word one column on.
        const int shift = static_cast<int>(extra) + (IsDigit(at(5 + extra)) && IsDigit(at(6 + extra)) &&
                                                     IsDigit(at(7 + extra)) && at(8 + extra) == ' ');
        const std::string code = CopyRangeStr(line, 9 + shift, 12 + shift);
        if (code == "NOUN") {
            out.nouns.push_back(CopyFromStr(line, 14 + shift));
        } else if (TrimRightCharSet(code, csControlAndBlank).empty()) {
            out.controlTags.push_back(std::string(kUndefinedWordType) + " " + CopyFromStr(line, 14 + shift));
        } else if (knownCodes.IndexOf(TrimRightCharSet(code, csControlAndBlank)) >= 0) {
            out.controlTags.push_back(CopyFromStr(line, 9 + shift));
        }
    }
    return out;
}

TStringList FormatWordListLines(const std::vector<std::string>& controlTags, const std::vector<std::string>& nouns) {
    TStringList lines;
    long long number = 0;
    for (const std::string& item : controlTags) {
        if (TrimCharSet(item, csControlAndBlank).empty()) continue;
        // A blank code column stays: trimmed away it would take the word's
        // first letters for the code, and the length would come out negative.
        const bool blankCode = TrimCharSet(CopyRangeStr(item, 1, 4), csControlAndBlank).empty();
        const std::string t =
            blankCode ? TrimRightCharSet(item, csControlAndBlank) : TrimCharSet(item, csControlAndBlank);
        lines.Add(ZeroPadded(++number, 4) + " " + ZeroPadded(static_cast<long long>(t.size()) - 5, 2) + " " + t);
    }
    for (const std::string& noun : nouns) {
        const std::string t = TrimCharSet(noun, csControlAndBlank);
        if (t.empty()) continue;
        lines.Add(ZeroPadded(++number, 4) + " " + ZeroPadded(static_cast<long long>(t.size()), 2) + " NOUN " + t);
    }
    return lines;
}

TWordListEntries ReadWordListFile(const std::string& fileName, const TStringList& knownCodes) {
    TStringList lines;
    lines.SetText(ReadRegularFile(Cp1252ToUtf8(fileName)));
    return ParseWordListLines(lines, knownCodes);
}

void WriteWordListFile(const std::string& fileName, const std::vector<std::string>& controlTags,
                       const std::vector<std::string>& nouns) {
    ReplaceFileText(Cp1252ToUtf8(fileName), FormatWordListLines(controlTags, nouns).Text(), fileName);
}

void WriteOwnWordListFile(const std::string& fileName, const std::vector<std::string>& controlTags,
                          const std::vector<std::string>& nouns) {
    ReplaceOwnFileText(Cp1252ToUtf8(fileName), FormatWordListLines(controlTags, nouns).Text(), fileName);
}

} // namespace pem
