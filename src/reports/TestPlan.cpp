#include "TestPlan.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "RankingText.h"
#include "SafeFiles.h"
#include "SharedRoutinesCommon.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

namespace pem {

namespace {

// One line without its end (LF or CR LF); false at the end of the stream.
bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// The whole file as a stream of lines. Only a regular file is read: a FIFO
// chosen as the template or found in a listing's place would otherwise hold
// the window in the open until something writes to it.
std::istringstream OpenForReading(const std::string& fileName) {
    std::string text;
    const TReadStatus status = TryReadRegularFile(Cp1252ToUtf8(fileName), text);
    if (status != TReadStatus::Ok) throw EFileError(ReadFailureMessage(status, fileName));
    return std::istringstream(std::move(text));
}

void CheckRead(const std::istream& in, const std::string& fileName) {
    if (in.bad()) throw EFileError("Can not read file " + fileName);
}

std::string Trimmed(std::string_view s) { return std::string(TrimCharSetView(s, csControlAndBlank)); }

// Listing text as it goes into the document: trimmed, braces escaped.
std::string RtfText(std::string_view s) { return RtfEscapeBraces(TrimCharSetView(s, csControlAndBlank)); }

// Columns from..to (1-based, inclusive), as far as the line reaches.
std::string_view Columns(std::string_view line, size_t from, size_t to) {
    if (from > line.size()) return {};
    return line.substr(from - 1, to - from + 1);
}

std::string ReplaceFirst(std::string s, std::string_view find, std::string_view by) {
    const size_t p = s.find(find);
    if (p != std::string::npos) s.replace(p, find.size(), by);
    return s;
}

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

std::string StrBefore(std::string_view s, size_t pos) { return std::string(s.substr(0, pos)); }
std::string StrAfter(std::string_view s, size_t pos, size_t len) { return std::string(s.substr(pos + len)); }

// A use case listing line as a document line; "" writes nothing.
std::string UseCaseLine(std::string_view listingLine) {
    const std::string_view inner =
        listingLine.size() > 2 ? listingLine.substr(1, listingLine.size() - 2) : std::string_view();
    const std::string rest = RtfEscapeBackslashes(TrimCharSetView(inner, csControlAndBlank));
    if (rest.empty()) return "\\par";
    const size_t colon = rest.find(':');
    const std::string_view after = colon == std::string::npos ? std::string_view() : std::string_view(rest).substr(colon + 1);
    if (rest.find("USECASE:") != std::string::npos) return "USECASE:\\tab\\tab " + RtfText(after) + "\\par";
    if (rest.find("STEP:") != std::string::npos)
        return "\\tab STEP:\\tab " + ReplaceFirst(RtfText(after), ") ", ")\\tab ") + "\\par";
    if (colon != std::string::npos)
        return "\\tab " + RtfText(std::string_view(rest).substr(0, colon)) + ":\\tab\\tab " + RtfText(after) + "\\par";
    return "";
}

// The part of a line before an include mark, as its own line.
void WriteBeforeMark(std::ostream& out, std::string_view before) {
    out << TrimRightCharSet(ReplaceStr("\\cf6", "", before), csControlAndBlank) << '\n';
}

void WriteObjects(std::ostream& out, const std::vector<std::string>& objects) {
    for (const auto& o : objects) out << "\\tab OBJT  \\tab " << RtfEscapeBraces(RtfEscapeBackslashes(Trimmed(o))) << "\\par\n";
}

void WriteUseCases(std::ostream& out, const std::string& fileName) {
    out << "\\par Use Cases  \\tab\\tab with steps\\par\\par \n";
    std::istringstream in = OpenForReading(fileName);
    std::string line;
    for (int n = 1; ReadLine(in, line); ++n) {
        if (n <= 9) continue;
        const std::string doc = UseCaseLine(line);
        if (!doc.empty()) out << doc << '\n';
    }
    CheckRead(in, fileName);
}

void WriteRequirements(std::ostream& out, const std::string& fileName) {
    out << "\\par Requ ID\\tab Requirement Label\\tab Requirement Text Line\\par\\par \n";
    std::istringstream in = OpenForReading(fileName);
    std::string line;
    for (int n = 1; ReadLine(in, line); ++n) {
        if (n == 1) continue;
        // Columns count on the escaped text.
        const std::string esc = RtfEscapeBackslashes(line);
        if (Columns(esc, 14, 20) != "Require") continue;
        out << RtfText(Columns(esc, 1, 9)) << "\\tab " << RtfText(Columns(esc, 23, 62)) << "\\tab "
            << RtfText(esc.size() >= 74 ? std::string_view(esc).substr(73) : std::string_view()) << "\\par\n";
    }
    CheckRead(in, fileName);
    out << "\\par\\par \n";
}

} // namespace

int TestPlanFigure(const TStringList& metrics, std::string_view name) {
    const int i = metrics.IndexOfName(name);
    const std::string value = i < 0 ? std::string() : metrics.ValueFromIndex(i);
    const size_t gt = value.find('>');
    std::string_view v = gt == std::string::npos ? std::string_view(value) : std::string_view(value).substr(gt + 1);
    v = v.substr(0, v.find('|'));
    return TextToInt("0" + Trimmed(v));
}

TTestPlanFigures TestPlanFigures(const TStringList& metrics) {
    auto atLeastOne = [](int n) { return n == 0 ? 1 : n; };
    TTestPlanFigures f;
    f.Actors = atLeastOne(TestPlanFigure(metrics, "|       Number of System Actors specified        "));
    f.TestCases = atLeastOne(TestPlanFigure(metrics, "|       Number of Test Cases extracted           "));
    f.TestCasePoints = atLeastOne(TestPlanFigure(metrics, "|       Number of Test Case Points               "));
    f.TestDays = RoundHalfEven(f.TestCasePoints / 8.0);
    f.DaysPerActor = RoundHalfEven(static_cast<double>(f.TestDays) / f.Actors);
    return f;
}

std::string RtfEscapeBackslashes(std::string_view s) { return ReplaceStr("\\", "\\\\", s); }

std::string RtfEscapeBraces(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        if (c == '{' || c == '}') r += '\\';
        r += c;
    }
    return r;
}

std::string FillTestPlanPlaceholders(std::string line, std::string_view systemName, const TTestPlanFigures& f) {
    const std::pair<const char*, std::string> kPlaceholders[] = {
        {"#Var@SystemName@", AnsiUpperCase(systemName)},
        {"#Var@NoOfTestCases@", std::to_string(f.TestCases)},
        {"#Var@NoOfActors@", std::to_string(f.Actors)},
        {"#Var@NoOfTestCasePoints@", std::to_string(f.TestCasePoints)},
        {"#Var@NoOfTestDays@", std::to_string(f.TestDays)},
        {"#Var@Res1@", std::to_string(f.DaysPerActor)},
    };
    for (const auto& [mark, value] : kPlaceholders)
        if (line.find(mark) != std::string::npos) line = ReplaceStr(mark, value, line);
    return line;
}

std::string TestPlanUseCaseFile(const TTestPlanJob& job) {
    return IncludeTrailingSeparator(job.OutputDir, '/') + "Specs/" + job.SystemName + ".use";
}
std::string TestPlanMetricsFile(const TTestPlanJob& job) {
    return IncludeTrailingSeparator(job.OutputDir, '/') + "Metrics/" + job.SystemName + ".met";
}
std::string TestPlanTestCaseFile(const TTestPlanJob& job) {
    return IncludeTrailingSeparator(job.OutputDir, '/') + "Cases/" + job.SystemName + ".txt";
}
std::string TestPlanOutputFile(const TTestPlanJob& job) {
    return IncludeTrailingSeparator(job.OutputDir, '/') + "Specs/" + CapitalizeWords(job.ProductName) +
           CapitalizeWords(job.SystemName) + "TestPlan.rtf";
}

void WriteTestPlan(std::istream& templ, std::ostream& out, const TTestPlanJob& job, const TTestPlanFigures& figures,
                   const std::string& useCaseFile, const std::string& testCaseFile) {
    static constexpr std::string_view kObjects = "#include@Text3@";
    static constexpr std::string_view kUseCases = "#include@Text41@";
    static constexpr std::string_view kRequirements = "#include@Text42@";
    std::string raw;
    while (ReadLine(templ, raw)) {
        const std::string line = FillTestPlanPlaceholders(raw, job.SystemName, figures);
        // One mark per line, tried in this order wherever it stands.
        std::string_view mark;
        for (std::string_view m : {kObjects, kUseCases, kRequirements})
            if (line.find(m) != std::string::npos) {
                mark = m;
                break;
            }
        if (mark.empty()) {
            out << line << '\n';
            continue;
        }
        const size_t at = line.find(mark);
        WriteBeforeMark(out, StrBefore(line, at));
        if (mark == kObjects) WriteObjects(out, job.Objects);
        else if (mark == kUseCases) WriteUseCases(out, useCaseFile);
        else WriteRequirements(out, testCaseFile);
        out << StrAfter(line, at, mark.size()) << '\n';
    }
    if (templ.bad()) throw EFileError("Can not read file " + job.TemplateFile);
}

std::string CreateTestPlan(const TTestPlanJob& job) {
    const std::string useCases = FindFileIgnoringCase(TestPlanUseCaseFile(job));
    if (useCases.empty()) throw ETestPlanError(kNoUseCaseFile);
    const std::string metrics = FindFileIgnoringCase(TestPlanMetricsFile(job));
    if (metrics.empty()) throw ETestPlanError(kNoMetricsFile);
    const std::string testCases = FindFileIgnoringCase(TestPlanTestCaseFile(job));
    if (testCases.empty()) throw ETestPlanError(kNoTestCaseFile);

    const std::string temp = TempFilePath(kTestPlanTempName);
    const std::string output = TestPlanOutputFile(job);
    try {
        std::string metricText;
        ReadFileInto(metrics, metricText);
        TStringList metricLines;
        metricLines.SetText(metricText);
        const TTestPlanFigures figures = TestPlanFigures(metricLines);
        {
            std::istringstream templ = OpenForReading(job.TemplateFile);
            // The temporary file lies in the process's own folder (mode
            // 0700), where nothing else can put a link or a FIFO.
            std::ofstream out(Cp1252ToUtf8(temp), std::ios::binary | std::ios::trunc);
            if (!out) throw EFileError("Can not create file " + temp);
            WriteTestPlan(templ, out, job, figures, useCases, testCases);
            out.close();
            if (!out) throw EFileError("Can not write file " + temp);
        }
        // The plan is a file of the output directory's own: it replaces an
        // older one in one step (a failed write leaves that whole), and a
        // link in its place is replaced, never written through.
        ReplaceOwnFileText(Cp1252ToUtf8(output), ReadRegularFile(Cp1252ToUtf8(temp)), output);
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        std::remove(Cp1252ToUtf8(temp).c_str());
        throw ETestPlanError(kTestPlanIOError + std::string(e.what()));
    }
    std::remove(Cp1252ToUtf8(temp).c_str());
    return output;
}

} // namespace pem
