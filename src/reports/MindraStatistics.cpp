#include "MindraStatistics.h"

#include "CharSet1252.h"
#include "Exceptions.h"
#include "RankingText.h"
#include "SharedRoutinesFiles.h"
#include "StringList.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <set>

namespace pem {

namespace {

const char* const kRoles[] = {"Devl", "Test", "Mngr", "User"};

// A share of a sum; a sum of zero gives no share, written as 0.
double ShareOf(double part, double sum) { return sum == 0 ? 0.0 : part / sum; }

// ---- keys

// Sorts ascending as text where the number sorts descending: the distance
// from the largest 32-bit value, in ten digits.
std::string DescendingNumber(std::int64_t n) {
    const std::int64_t d = std::int64_t{std::numeric_limits<std::int32_t>::max()} - n;
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, d < 0 ? 0 : d);
    std::string digits(buf, r.ptr);
    return std::string(digits.size() < 10 ? 10 - digits.size() : 0, '0') + digits;
}

std::string NameKey(std::string_view name, std::string_view second) {
    return RightAligned30(name) + "_" + std::string(second);
}

bool TextLess(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) < 0; }

// Change-ranking keys: the number before "=" compared as a number (so impacts
// above 1, whose keys are negative, lead with the largest first), then the
// name text.
double KeyNumber(std::string_view key) {
    const size_t eq = key.find('=');
    std::string_view num = key.substr(0, eq);
    while (!num.empty() && num.front() == ' ') num.remove_prefix(1);
    double v = std::numeric_limits<double>::infinity();
    auto r = std::from_chars(num.data(), num.data() + num.size(), v);
    if (r.ec != std::errc() || std::isnan(v)) return std::numeric_limits<double>::infinity();
    return v;
}

bool NumberThenTextLess(std::string_view a, std::string_view b) {
    const double x = KeyNumber(a), y = KeyNumber(b);
    if (x != y) return x < y;
    const size_t ea = a.find('='), eb = b.find('=');
    return TextLess(ea == std::string_view::npos ? a : a.substr(ea + 1),
                    eb == std::string_view::npos ? b : b.substr(eb + 1));
}

// ---- reading

std::int64_t Integer(TMyXMLNodeList& doc, const std::string& tag) { return doc.NodeByTag(tag)->AsInteger(); }
double Real(TMyXMLNodeList& doc, const std::string& tag) { return doc.NodeByTag(tag)->AsFloat(); }
std::string FileAttribute(TMyXMLNodeList& doc, const char* name) {
    return doc.NodeByTag("METRIC_FILE")->GetAttribute(name);
}

void Add(TErrorCounts& t, const TErrorCounts& c) {
    t.Fatal += c.Fatal;
    t.Major += c.Major;
    t.Media += c.Media;
    t.Minor += c.Minor;
    t.Unkno += c.Unkno;
    t.Total += c.Total;
    t.Weigh += c.Weigh;
}

void Add(TChangeCounts& t, const TChangeCounts& c) {
    t.Extend += c.Extend;
    t.Adapt += c.Adapt;
    t.Perfect += c.Perfect;
    t.Convert += c.Convert;
    t.Integr += c.Integr;
    t.Total += c.Total;
    t.Impact += c.Impact;
}

TErrorCounts ReadErrorCounts(TMyXMLNodeList& doc, const std::string& suffix, bool scannerNames) {
    TErrorCounts c;
    c.Fatal = Integer(doc, "Fatal_" + suffix);
    c.Major = Integer(doc, "Major_" + suffix);
    c.Media = Integer(doc, "Media_" + suffix);
    c.Minor = Integer(doc, "Minor_" + suffix);
    c.Unkno = Integer(doc, (scannerNames ? "Unkno_" : "Unknown_") + suffix);
    c.Total = Integer(doc, "Total_" + suffix);
    c.Weigh = Integer(doc, (scannerNames ? "Weigh_" : "Weighted_") + suffix);
    return c;
}

TChangeCounts ReadChangeCounts(TMyXMLNodeList& doc, const std::string& suffix) {
    TChangeCounts c;
    c.Extend = Integer(doc, "Extend_" + suffix);
    c.Adapt = Integer(doc, "Adapt_" + suffix);
    c.Perfect = Integer(doc, "Perfect_" + suffix);
    c.Convert = Integer(doc, "Convert_" + suffix);
    c.Integr = Integer(doc, "Integr_" + suffix);
    c.Total = Integer(doc, "Total_" + suffix);
    c.Impact = Real(doc, "Impact_" + suffix);
    return c;
}

// The sum block of a statistic record and the shares of its roles.
void SumRoles(std::array<TErrorCounts, kRoleBlocks>& b) {
    TErrorCounts sum;
    for (int r = rbDevelopers; r <= rbUsers; ++r) Add(sum, b[r]);
    b[rbSum] = sum;
    for (int r = rbDevelopers; r <= rbUsers; ++r)
        b[r].Share = ShareOf(static_cast<double>(b[r].Weigh), static_cast<double>(sum.Weigh));
    b[rbSum].Share = 1.0;
}

void SumRoles(std::array<TChangeCounts, kRoleBlocks>& b) {
    TChangeCounts sum;
    for (int r = rbDevelopers; r <= rbUsers; ++r) Add(sum, b[r]);
    b[rbSum] = sum;
    for (int r = rbDevelopers; r <= rbUsers; ++r) b[r].Share = ShareOf(b[r].Impact, sum.Impact);
    b[rbSum].Share = 1.0;
}

// ---- the common course

template <class R>
struct TRecipe {
    TMindraReportKind kind;
    R (*read)(TMyXMLNodeList&);
    void (*add)(R& total, const R& record);
    std::string (*key)(const R& record);
    bool (*less)(std::string_view a, std::string_view b);
    // Fills the total's names and the shares; returns the total's key.
    std::string (*finish)(std::vector<TReportEntry<R>>& items, R& total, const TScannerReportSettings& s);
    bool ranking;
};

template <class R>
TMindraResult<R> Collect(const TScannerReportSettings& s, TReportProblems& problems, const TRecipe<R>& recipe) {
    TMindraResult<R> result;
    const TMindraReportInfo& info = MindraReportInfo(recipe.kind);
    TStringList files;
    FindFilesRecursive(MindraReportFolder(s, recipe.kind), "", ".xml;", files);
    if (files.Count() == 0) {
        result.Outcome = TMindraOutcome::NoFiles;
        result.NoFilesMessage = info.NoFilesMessage;
        return result;
    }
    try {
        TMindraReport<R>& report = result.Report;
        TMyXMLNodeList doc;
        R total{};
        report.Items.reserve(static_cast<size_t>(files.Count()) + 1);
        for (const auto& file : files) {
            doc.Clear();
            doc.LoadFromFile(file.s);
            doc.First();
            R record = recipe.read(doc);
            recipe.add(total, record);
            std::string key = recipe.key(record);
            report.Items.push_back({std::move(key), std::move(record)});
        }
        std::stable_sort(report.Items.begin(), report.Items.end(),
                         [&](const TReportEntry<R>& a, const TReportEntry<R>& b) { return recipe.less(a.Key, b.Key); });
        std::string totalKey = recipe.finish(report.Items, total, s);
        if (recipe.ranking) {
            std::set<std::string, bool (*)(const std::string&, const std::string&)> systems(
                [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
            for (const auto& e : report.Items) systems.insert(e.Record.SystemName);
            for (const auto& name : systems) report.Systems += (report.Systems.empty() ? "" : ", ") + name;
        }
        report.Items.push_back({std::move(totalKey), std::move(total)});
        report.Title = MindraReportTitle(s, recipe.kind);
        report.ProductName = s.ProductName;
        report.Version = s.SystemVersion;
        result.Outcome = TMindraOutcome::Ready;
    } catch (const std::exception& e) {
        result.Report = {};
        problems.XmlProcessingError(e.what());
    }
    return result;
}

// ---- the five reports

TErrorEntities ReadDefectStatistic(TMyXMLNodeList& doc) {
    TErrorEntities r;
    r.SystemName = FileAttribute(doc, "System");
    r.Date = FileAttribute(doc, "Date");
    for (int i = rbDevelopers; i <= rbUsers; ++i)
        r.Blocks[static_cast<size_t>(i)] = ReadErrorCounts(doc, std::string(kRoles[i]) + "_Defects", true);
    SumRoles(r.Blocks);
    return r;
}

TChangeEntities ReadChangeStatistic(TMyXMLNodeList& doc) {
    TChangeEntities r;
    r.SystemName = FileAttribute(doc, "System");
    r.Date = FileAttribute(doc, "Date");
    for (int i = rbDevelopers; i <= rbUsers; ++i)
        r.Blocks[static_cast<size_t>(i)] = ReadChangeCounts(doc, std::string(kRoles[i]) + "_Changes");
    SumRoles(r.Blocks);
    return r;
}

TErrorEntities ReadDefectRanking(TMyXMLNodeList& doc) {
    TErrorEntities r;
    r.SystemName = FileAttribute(doc, "System");
    r.Date = FileAttribute(doc, "Date");
    r.ComponentName = FileAttribute(doc, "Component");
    r.Blocks[0] = ReadErrorCounts(doc, "Self_Defects", false);
    return r;
}

TChangeEntities ReadChangeRanking(TMyXMLNodeList& doc) {
    TChangeEntities r;
    r.SystemName = FileAttribute(doc, "System");
    r.Date = FileAttribute(doc, "Date");
    r.ComponentName = FileAttribute(doc, "Component");
    r.Blocks[0] = ReadChangeCounts(doc, "Self_Changes");
    return r;
}

TProjectEntities ReadProjectStatistic(TMyXMLNodeList& doc) {
    TProjectEntities r;
    r.SystemName = FileAttribute(doc, "System");
    r.Date = FileAttribute(doc, "Date");
    const TMyXMLNode* entity = doc.NodeByTag("METRIC_ENTITY");
    r.ComponentName = entity->GetAttribute("EName");
    r.ComponentType = entity->GetAttribute("EType");
    r.StartDate = ParseReportDate(doc.NodeByTag("StartDate")->Value);
    r.EndDate = ParseReportDate(doc.NodeByTag("EndDate")->Value);
    r.HeadCount = Integer(doc, "HeadCount");
    r.Effort = Integer(doc, "Effort");
    r.EffortUnit = doc.NodeByTag("Effort")->GetAttribute("Unit");
    r.ElapsedTime = Integer(doc, "ElapsedTime");
    r.ElapsedTimeUnit = doc.NodeByTag("ElapsedTime")->GetAttribute("Unit");
    r.AccumulatedCosts = Integer(doc, "Accumulated_Costs");
    r.CostsUnit = doc.NodeByTag("Accumulated_Costs")->GetAttribute("Unit");
    return r;
}

template <class R>
void AddAllBlocks(R& total, const R& r) {
    for (size_t i = 0; i < total.Blocks.size(); ++i) Add(total.Blocks[i], r.Blocks[i]);
}

template <class R>
void AddFirstBlock(R& total, const R& r) {
    Add(total.Blocks[0], r.Blocks[0]);
}

void AddProject(TProjectEntities& t, const TProjectEntities& r) {
    t.HeadCount += r.HeadCount;
    t.Effort += r.Effort;
    t.ElapsedTime += r.ElapsedTime;
    t.AccumulatedCosts += r.AccumulatedCosts;
    t.EffortUnit = r.EffortUnit;
    t.ElapsedTimeUnit = r.ElapsedTimeUnit;
    t.CostsUnit = r.CostsUnit;
}

template <class R>
std::string SystemKey(const R& r) {
    return r.SystemName;
}

std::string DefectRankingKey(const TErrorEntities& r) {
    return DescendingNumber(r.Blocks[0].Weigh) + NameKey(r.ComponentName, r.SystemName);
}

std::string ChangeRankingKey(const TChangeEntities& r) {
    return FormatFloat(1.0 - r.Blocks[0].Impact, 4, 3) + "=" + NameKey(r.ComponentName, r.SystemName);
}

std::string ProjectKey(const TProjectEntities& r) { return NameKey(r.ComponentName, r.ComponentType); }

template <class R>
std::string FinishStatistic(std::vector<TReportEntry<R>>&, R& total, const TScannerReportSettings& s) {
    total.SystemName = s.ProductName;
    SumRoles(total.Blocks);
    return s.ProductName;
}

std::string FinishDefectRanking(std::vector<TReportEntry<TErrorEntities>>& items, TErrorEntities& total,
                                const TScannerReportSettings& s) {
    for (auto& e : items)
        e.Record.Blocks[0].Share =
            ShareOf(static_cast<double>(e.Record.Blocks[0].Weigh), static_cast<double>(total.Blocks[0].Weigh));
    total.SystemName = s.ProductName;
    total.ComponentName = "Product Total";
    total.Blocks[0].Share = 1.0;
    return DescendingNumber(total.Blocks[0].Weigh) + NameKey("", s.ProductName);
}

std::string FinishChangeRanking(std::vector<TReportEntry<TChangeEntities>>& items, TChangeEntities& total,
                                const TScannerReportSettings& s) {
    for (auto& e : items) e.Record.Blocks[0].Share = ShareOf(e.Record.Blocks[0].Impact, total.Blocks[0].Impact);
    total.SystemName = s.ProductName;
    total.ComponentName = "Product Total";
    total.Blocks[0].Share = 1.0;
    return FormatFloat(1.0 - total.Blocks[0].Impact, 4, 3) + "=" + NameKey("", s.ProductName);
}

std::string FinishProject(std::vector<TReportEntry<TProjectEntities>>&, TProjectEntities& total,
                          const TScannerReportSettings& s) {
    total.SystemName = s.ProductName;
    total.ComponentName = "Product Total";
    total.ComponentType.clear();
    return NameKey(s.ProductName, s.ProductName);
}

} // namespace

const TMindraReportInfo& MindraReportInfo(TMindraReportKind kind) {
    static const TMindraReportInfo kInfo[] = {
        {"ErrorReports", "Original", "No error report files found in output directory", "Defect_Statistic_Report_",
         TReportPrinterChoice::ApplicationPrinter},
        {"ErrorReports", "Components", "No error report files found in output directory", "Defect_Ranking_Report_",
         TReportPrinterChoice::ApplicationPrinter},
        {"ChangeReports", "Original", "No change request files found in output directory",
         "Change_Statistic_Report_", TReportPrinterChoice::FormPrinter},
        {"ChangeReports", "Components", "No change request files found in output directory",
         "Change_Ranking_Report_", TReportPrinterChoice::ApplicationPrinter},
        {"ProjectReports", "Components", "No project report files found in output directory",
         "Projects_Statistic_Report_", TReportPrinterChoice::HardCopyPrinter},
    };
    return kInfo[static_cast<int>(kind)];
}

std::string MindraReportFolder(const TScannerReportSettings& settings, TMindraReportKind kind) {
    const TMindraReportInfo& info = MindraReportInfo(kind);
    return ReportFolder(settings, info.Area) + info.Subfolder + "/";
}

std::string MindraReportTitle(const TScannerReportSettings& settings, TMindraReportKind kind) {
    std::string version = settings.SystemVersion;
    std::replace(version.begin(), version.end(), '.', '_');
    return MindraReportInfo(kind).TitlePrefix + settings.ProductName + "_V" + version;
}

std::string RightAligned30(std::string_view text) {
    std::string_view cut = text.substr(0, std::min<size_t>(text.size(), 30));
    return std::string(30 - cut.size(), ' ') + std::string(cut);
}

TMindraResult<TErrorEntities> CollectDefectStatistic(const TScannerReportSettings& s, TReportProblems& problems) {
    return Collect<TErrorEntities>(s, problems,
                                   {TMindraReportKind::DefectStatistic, ReadDefectStatistic, AddAllBlocks,
                                    SystemKey, TextLess, FinishStatistic, false});
}

TMindraResult<TErrorEntities> CollectDefectRanking(const TScannerReportSettings& s, TReportProblems& problems) {
    return Collect<TErrorEntities>(s, problems,
                                   {TMindraReportKind::DefectRanking, ReadDefectRanking, AddFirstBlock,
                                    DefectRankingKey, TextLess, FinishDefectRanking, true});
}

TMindraResult<TChangeEntities> CollectChangeStatistic(const TScannerReportSettings& s, TReportProblems& problems) {
    return Collect<TChangeEntities>(s, problems,
                                    {TMindraReportKind::ChangeStatistic, ReadChangeStatistic, AddAllBlocks,
                                     SystemKey, TextLess, FinishStatistic, false});
}

TMindraResult<TChangeEntities> CollectChangeRanking(const TScannerReportSettings& s, TReportProblems& problems) {
    return Collect<TChangeEntities>(s, problems,
                                    {TMindraReportKind::ChangeRanking, ReadChangeRanking, AddFirstBlock,
                                     ChangeRankingKey, NumberThenTextLess, FinishChangeRanking, true});
}

TMindraResult<TProjectEntities> CollectProjectStatistic(const TScannerReportSettings& s,
                                                        TReportProblems& problems) {
    return Collect<TProjectEntities>(s, problems,
                                     {TMindraReportKind::ProjectStatistic, ReadProjectStatistic, AddProject,
                                      ProjectKey, TextLess, FinishProject, false});
}

// ---- dates

TDateTime ParseReportDate(std::string_view text) {
    auto fail = [&]() -> TDateTime { throw EConvertError("'" + std::string(text) + "' is not a valid date"); };
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    int parts[3] = {0, 0, 0};
    const size_t minDigits[3] = {1, 1, 4}, maxDigits[3] = {2, 2, 4};
    size_t i = 0;
    for (int p = 0; p < 3; ++p) {
        if (p > 0) {
            if (i >= t.size() || t[i] != '/') return fail();
            ++i;
        }
        const size_t start = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            if (i - start == maxDigits[p]) return fail();
            parts[p] = parts[p] * 10 + (t[i] - '0');
            ++i;
        }
        if (i - start < minDigits[p]) return fail();
    }
    if (i != t.size()) return fail();
    using namespace std::chrono;
    const year_month_day date{year{parts[2]}, month{static_cast<unsigned>(parts[1])},
                              day{static_cast<unsigned>(parts[0])}};
    if (parts[2] < 1 || !date.ok()) return fail();
    return static_cast<TDateTime>((sys_days{date} - sys_days{year{1899} / December / 30}).count());
}

} // namespace pem
