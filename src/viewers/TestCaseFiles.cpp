#include "TestCaseFiles.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "SafeFiles.h"
#include "StringList.h"
#include "TestCaseList.h"

#include <cstdio>
#include <functional>

namespace pem {

const char* const kTestCaseCountPrefix = "|       Number of Test Cases extracted           =======>";

namespace {
const char* const kXmlBlockStart = "     <TestFall Id = \"";
const char* const kXmlBlockEnd = "     </TestFall>";
constexpr size_t kXmlBlockStartLength = 21;
} // namespace

TTextLines ReadTextLines(const std::string& fileName) {
    const std::string bytes = ReadRegularFile(Cp1252ToUtf8(fileName));
    TStringList list;
    list.SetText(bytes);
    TTextLines text;
    text.lineBreak = list.LineBreak;
    text.finalBreak = bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r';
    text.lines.reserve(static_cast<size_t>(list.Count()));
    for (auto& item : list.Items()) text.lines.push_back(std::move(item.s));
    return text;
}

void WriteTextLines(const std::string& fileName, const TTextLines& text) {
    size_t size = 0;
    for (const auto& l : text.lines) size += l.size() + text.lineBreak.size();
    std::string bytes;
    bytes.reserve(size);
    for (const auto& l : text.lines) {
        bytes += l;
        bytes += text.lineBreak;
    }
    if (!text.finalBreak && !text.lines.empty()) bytes.resize(bytes.size() - text.lineBreak.size());
    ReplaceFileText(Cp1252ToUtf8(fileName), bytes, fileName);
}

std::string TestCaseCountLine(int count) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%9d     |", count);
    return kTestCaseCountPrefix + std::string(buf);
}

std::string TestCaseCompanion(const std::string& listing, const std::string& extension) {
    return FindFileIgnoringCase(ChangeFileExt(listing, extension));
}

std::string TestCaseMetricsReport(const std::string& outputDir, const std::string& systemName) {
    return FindFileIgnoringCase(IncludeTrailingSeparator(outputDir, '/') + "Metrics/" + systemName + ".met");
}

namespace {
bool IsDeleted(const std::string& line, size_t from, int width, const TTestCaseIds& deleted) {
    if (line.size() <= from) return false;
    return deleted.count(line.substr(from, static_cast<size_t>(width))) > 0;
}
} // namespace

int PruneTestCaseCsvLines(std::vector<std::string>& lines, const TTestCaseIds& deleted, int width) {
    const size_t before = lines.size();
    std::erase_if(lines, [&](const std::string& l) { return IsDeleted(l, 1, width, deleted); });
    return static_cast<int>(before - lines.size());
}

int PruneTestCaseXmlLines(std::vector<std::string>& lines, const TTestCaseIds& deleted, int width) {
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    int blocks = 0;
    bool inBlock = false;
    for (auto& line : lines) {
        if (!inBlock && HasPrefix(line, kXmlBlockStart) && IsDeleted(line, kXmlBlockStartLength, width, deleted)) {
            inBlock = true;
            ++blocks;
        }
        if (!inBlock) {
            kept.push_back(std::move(line));
            continue;
        }
        if (HasPrefix(line, kXmlBlockEnd)) inBlock = false;
    }
    lines = std::move(kept);
    return blocks;
}

int ReplaceTestCaseCount(std::vector<std::string>& lines, int count) {
    int replaced = 0;
    for (auto& line : lines)
        if (HasPrefix(line, kTestCaseCountPrefix)) {
            line = TestCaseCountLine(count);
            ++replaced;
        }
    return replaced;
}

namespace {
// Reads the file, changes its lines, writes it back with its own line ends.
int Rewrite(const std::string& fileName, const std::function<int(std::vector<std::string>&)>& change) {
    TTextLines text = ReadTextLines(fileName);
    const int changed = change(text.lines);
    WriteTextLines(fileName, text);
    return changed;
}
} // namespace

int PruneTestCaseCsv(const std::string& fileName, const TTestCaseIds& deleted, int width) {
    return Rewrite(fileName, [&](std::vector<std::string>& l) { return PruneTestCaseCsvLines(l, deleted, width); });
}

int PruneTestCaseXml(const std::string& fileName, const TTestCaseIds& deleted, int width) {
    return Rewrite(fileName, [&](std::vector<std::string>& l) { return PruneTestCaseXmlLines(l, deleted, width); });
}

int WriteTestCaseCount(const std::string& fileName, int count) {
    return Rewrite(fileName, [&](std::vector<std::string>& l) { return ReplaceTestCaseCount(l, count); });
}

std::vector<std::string> SaveTestCaseFiles(const TTestCaseSave& save) {
    std::vector<std::string> problems;
    WriteTextLines(save.listing, save.text);
    if (save.skipCompanions) return problems;
    if (const std::string csv = TestCaseCompanion(save.listing, ".CSV"); !csv.empty())
        PruneTestCaseCsv(csv, save.deleted, save.width);
    else problems.push_back("CSV version of " + save.listing + " is not found");
    if (const std::string xml = TestCaseCompanion(save.listing, ".XML"); !xml.empty())
        PruneTestCaseXml(xml, save.deleted, save.width);
    else problems.push_back("XML version of " + save.listing + " is not found");
    if (const std::string met = TestCaseMetricsReport(save.outputDir, save.systemName); !met.empty())
        WriteTestCaseCount(met, CountTestCaseLines(save.text.lines));
    return problems;
}

} // namespace pem
