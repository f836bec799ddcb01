#include "WordListFile.h"

#include "BaseStrings.h"
#include "CharSet1252.h"
#include "SafeFiles.h"

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
    return (code + "   ").substr(0, 4) + " " + word;
}

std::string ControlTagCode(const std::string& item) { return CopyRangeStr(item, 1, 4); }
std::string ControlTagWord(const std::string& item) { return CopyFromStr(item, 6); }

TWordListEntries ParseWordListLines(const TStringList& lines, const TStringList& knownCodes) {
    TWordListEntries out;
    for (const auto& it : lines) {
        const std::string& line = it.s;
        if (TrimCharSetView(line, csControlAndBlank).size() < 14 || line[5] == '-') continue;
        // A length of three digits (columns 6-8, a blank in 9) moves the
        // code and the word one column on.
        const int shift = IsDigit(line[5]) && IsDigit(line[6]) && IsDigit(line[7]) && line.size() > 8 && line[8] == ' ';
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
        const std::string t = TrimCharSet(item, csControlAndBlank);
        if (t.empty()) continue;
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

} // namespace pem
