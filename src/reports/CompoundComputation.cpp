#include "CompoundComputation.h"

#include "BaseFileUtils.h"
#include "FloatFormat.h"
#include "SafeFiles.h"
#include "SharedRoutinesCommon.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>

namespace pem {

namespace {

// The kinds of metric documents that take part, by their kind label.
enum : unsigned {
    P = 1u << 0,  // "Prc. Code"
    O = 1u << 1,  // "OO Code"
    I = 1u << 2,  // "Interface"
    D = 1u << 3,  // "Data"
    T = 1u << 4,  // "Test Case"
    R = 1u << 5,  // "Requirement"
    G = 1u << 6,  // "Design"
    Code = P | O | I | D,
};

unsigned KindOf(const std::string& label) {
    static const std::pair<const char*, unsigned> kinds[] = {{"Prc. Code", P}, {"OO Code", O}, {"Interface", I},
                                                             {"Data", D},      {"Test Case", T}, {"Requirement", R},
                                                             {"Design", G}};
    for (const auto& [name, kind] : kinds)
        if (label == name) return kind;
    return 0;
}

// Where a counter of the result takes its figures from: the files of the
// kinds given, their element (the result's own name when none). An optional
// element counts only when the file has it; an alternative is read when the
// element is missing and the alternative is there.
struct TSource {
    unsigned kinds;
    const char* element = nullptr;
    bool optional = false;
    const char* alternative = nullptr;
};
struct TCounter {
    const char* result;
    std::vector<TSource> sources;
};

// The counters in the order of the result document.
const std::vector<TCounter>& Counters() {
    static const std::vector<TCounter> table = [] {
        std::vector<TCounter> t;
        auto same = [&](unsigned kinds, std::initializer_list<const char*> names) {
            for (const char* n : names) t.push_back({n, {{kinds}}});
        };
        // The result's name less a prefix ("Req_", "Dsg_").
        auto prefixed = [&](unsigned kinds, size_t prefix, std::initializer_list<const char*> names) {
            for (const char* n : names) t.push_back({n, {{kinds, n + prefix}}});
        };
        same(R, {"Nr_Documents", "Nr_Text_Lines", "Nr_Text_Titles", "Nr_Sections", "Nr_Sentences", "Nr_Entities"});
        prefixed(R, 4, {"Req_Nr_Requirements", "Req_Nr_Panels", "Req_Nr_Reports", "Req_Nr_Objects", "Req_Nr_States",
                        "Req_Nr_Actions", "Req_Nr_Rules", "Req_Nr_Actors", "Req_Nr_UseCases", "Req_Nr_TestCases"});
        prefixed(G, 4,
                 {"Dsg_Nr_Design_Diagrams", "Dsg_Nr_UseCase_Diagrams", "Dsg_Nr_Class_Diagrams",
                  "Dsg_Nr_Sequ_Diagrams", "Dsg_Nr_Inter_Diagrams", "Dsg_Nr_Activity_Diagrams",
                  "Dsg_Nr_State_Diagrams", "Dsg_Nr_Comp_Diagrams", "Dsg_Nr_Dist_Diagrams", "Dsg_Nr_Diag_Types",
                  "Dsg_Nr_Design_Entities", "Dsg_Nr_UseCases", "Dsg_Nr_Actors", "Dsg_Nr_Systems",
                  "Dsg_Nr_Components", "Dsg_Nr_Interfaces", "Dsg_Nr_Classes", "Dsg_Nr_Base_Classes",
                  "Dsg_Nr_Methods", "Dsg_Nr_Parameters", "Dsg_Nr_Attributes", "Dsg_Nr_Design_Relations",
                  "Dsg_Nr_UseCase_Relations", "Dsg_Nr_Generalizations", "Dsg_Nr_Associations",
                  "Dsg_Nr_Interactions", "Dsg_Nr_TestCases"});
        same(Code, {"Nr_Sources", "Nr_Lines", "Nr_Code_Lines", "Nr_Comment_Lines"});
        t.push_back({"Nr_Modules",
                     {{P | O},
                      {I, "Nr_Interfaces"},
                      {D, "Nr_Tables", true},
                      {D, "Nr_Records", true},
                      {D, "Nr_Segments", true}}});
        t.push_back({"Nr_TestCases", {{P | O}, {I | D, "Nr_TestCases", true, "Nr_Test_Cases"}}});
        t.push_back({"Nr_Data_Definitions", {{P}, {O, "Nr_Variables"}, {I | D, "Nr_Attributes"}}});
        same(P | O, {"Nr_Stmts"});
        same(T, {"Nr_Tested_Requs", "Nr_Tested_Funcs", "Nr_Tested_Objects", "Nr_TestProcs"});
        t.push_back({"Tst_Nr_TestCases", {{T, "Nr_TestCases"}}});
        same(T, {"Nr_Attributes"});
        prefixed(R, 4,
                 {"Req_Nr_Func_Points", "Req_Nr_Data_Points", "Req_Nr_Objt_Points", "Req_Nr_Case_Points",
                  "Req_Nr_Test_Points"});
        prefixed(G, 4,
                 {"Dsg_Nr_Data_Points", "Dsg_Nr_Objt_Points", "Dsg_Nr_Func_Points", "Dsg_Nr_UC_Points",
                  "Dsg_Nr_Test_Points"});
        t.push_back({"Nr_Objt_Points", {{O}, {I, "Nr_Objt_Points", true}}});
        same(Code, {"Nr_Data_Points", "Nr_Func_Points"});
        same(T, {"Nr_Test_Points"});
        same(Code | T | R, {"Nr_Major_Defis", "Nr_Media_Defis", "Nr_Minor_Defis"});
        return t;
    }();
    return table;
}

// The three weighted code values: per kind the element read.
struct TWeighted {
    const char* result;
    const char* po;
    const char* i;
    const char* d;
};
const TWeighted kWeighted[3] = {
    {"Program_Complexity", "Program_Complexity", "Interface_Complexity", "DB_Complexity"},
    {"Conformity", "Conformity", "Conformity", "Conformity"},
    {"Program_Quality", "Program_Quality", "Interface_Quality", "DB_Quality"},
};

// The nine range values. The test cases read no conformity: their
// conformity range takes each file's test complexity.
struct TRange {
    const char* result;
    unsigned kind;
    const char* element;
};
const TRange kRanges[9] = {
    {"Req_Complexity", R, "Complexity"},       {"Req_Conformity", R, "Conformity"},
    {"Req_Quality", R, "Quality"},             {"Dsg_Complexity", G, "Design_Complexity"},
    {"Dsg_Conformity", G, "Conformity"},       {"Dsg_Quality", G, "Design_Quality"},
    {"Test_Complexity", T, "Test_Complexity"}, {"Test_Conformity", T, "Test_Complexity"},
    {"Test_Quality", T, "Test_Quality"},
};

// The order in which the reals are written into the result.
const char* const kRealOrder[12] = {"Program_Complexity", "Test_Complexity", "Req_Complexity",  "Dsg_Complexity",
                                    "Conformity",         "Program_Quality", "Test_Conformity", "Test_Quality",
                                    "Req_Conformity",     "Req_Quality",     "Dsg_Conformity",  "Dsg_Quality"};

constexpr double kNoMinimum = 2.0;

// 32-bit sums that wrap as they always did.
std::int32_t Add32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::string WithoutTrailingComma(const std::string& s) {
    return !s.empty() && s.back() == ',' ? s.substr(0, s.size() - 1) : s;
}

// Whether the node holds a value that reads as the number 0.
bool ReadsZero(const TMyXMLNode& n) {
    if (n.Value.empty()) return false;
    try {
        return n.AsFloat() == 0;
    } catch (const EConvertError&) {
        return false;
    }
}

void DeleteByNames(TMyXMLNodeList& doc, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        doc.First();
        doc.DeleteSubtree(doc.NodeByTag(name));
    }
}

// Every node from start on that holds no value and has no child.
std::vector<std::string> EmptyNodesFrom(const TMyXMLNodeList& doc, int start) {
    std::vector<std::string> names;
    for (int i = start; i < doc.Count(); ++i)
        if (doc[i]->Value.empty() && !doc.HasChildren(i)) names.push_back(doc.NodeName(i));
    return names;
}

} // namespace

TCompoundMetrics::TCompoundMetrics() : counters_(Counters().size(), 0) {
    min_.fill(kNoMinimum);
    max_.fill(0);
}

void TCompoundMetrics::NoteLists(const std::string& kindLabel, const std::string& system) {
    if (!kindLabel.empty() && labels_.find(kindLabel) == std::string::npos) labels_ += kindLabel + ",";
    if (!system.empty() && systems_.find(system) == std::string::npos) systems_ += system + ",";
}

bool TCompoundMetrics::AddFile(const std::string& fileName, const std::string& kindLabel, const std::string& system) {
    std::string text;
    const TReadStatus status = TryReadRegularFile(Cp1252ToUtf8(fileName), text);
    if (status == TReadStatus::Missing) return false;
    if (status != TReadStatus::Ok) throw EFileError(ReadFailureMessage(status, fileName));
    auto doc = TMyXMLNodeList::Create();
    doc->Parse(text, true);
    AddDocument(*doc, kindLabel, system);
    return true;
}

void TCompoundMetrics::AddDocument(TMyXMLNodeList& doc, const std::string& kindLabel, const std::string& system) {
    doc.First();
    NoteLists(kindLabel, system);
    const unsigned kind = KindOf(kindLabel);
    if (kind == 0) return;
    ++summed_;
    // The first node of each name, as a search from the first node finds
    // it; a name not there raises the model's own error.
    std::unordered_map<std::string_view, const TMyXMLNode*> first;
    first.reserve(static_cast<size_t>(doc.Count()));
    for (int i = 0; i < doc.Count(); ++i) first.emplace(doc[i]->TagName, doc[i]);
    auto node = [&](const char* tag) {
        const auto it = first.find(tag);
        return it != first.end() ? it->second : doc.NodeByTag(tag);
    };
    auto has = [&](const char* tag) { return first.count(tag) != 0; };
    auto integer = [&](const char* tag) { return node(tag)->AsInteger(); };
    auto real = [&](const char* tag) { return node(tag)->AsFloat(); };
    auto optional = [&](const char* tag) { return has(tag) ? integer(tag) : 0; };

    const auto& table = Counters();
    for (size_t c = 0; c < table.size(); ++c) {
        for (const TSource& s : table[c].sources) {
            if (!(s.kinds & kind)) continue;
            const char* element = s.element ? s.element : table[c].result;
            std::int32_t v = 0;
            if (s.alternative) v = has(element) ? integer(element) : optional(s.alternative);
            else if (s.optional) v = optional(element);
            else v = integer(element);
            counters_[c] = Add32(counters_[c], v);
        }
    }

    if (kind & Code) {
        std::int32_t w = 0;
        if (kind & (P | O)) w = std::max(integer("Nr_Stmts"), 1);
        else if (kind == I) w = std::max(integer("Nr_Interfaces"), 1);
        else w = Add32(Add32(optional("Nr_Tables"), optional("Nr_Records")), optional("Nr_Segments"));
        totalWeight_ = Add32(totalWeight_, w);
        for (size_t k = 0; k < 3; ++k) {
            const TWeighted& x = kWeighted[k];
            const char* element = kind & (P | O) ? x.po : kind == I ? x.i : x.d;
            weighted_[k] += real(element) * w;
        }
    }

    for (size_t k = 0; k < 9; ++k) {
        if (kRanges[k].kind != kind) continue;
        const double v = real(kRanges[k].element);
        min_[k] = std::min(v, min_[k]);
        max_[k] = std::max(v, max_[k]);
    }
}

std::int32_t TCompoundMetrics::Counter(const std::string& element) const {
    const auto& table = Counters();
    for (size_t c = 0; c < table.size(); ++c)
        if (element == table[c].result) return counters_[c];
    return 0;
}

double TCompoundMetrics::Real(const std::string& element) const {
    const double weight = totalWeight_ == 0 ? 1.0 : static_cast<double>(totalWeight_);
    for (size_t k = 0; k < 3; ++k)
        if (element == kWeighted[k].result) return weighted_[k] / weight;
    for (size_t k = 0; k < 9; ++k)
        if (element == kRanges[k].result) {
            const double lo = min_[k] == kNoMinimum ? 0.0 : min_[k];
            return (lo + max_[k]) / 2;
        }
    return 0;
}

std::string TCompoundMetrics::ResultText(const std::string& templateText, const std::string& productName,
                                         const std::string& date) const {
    auto doc = TMyXMLNodeList::CreateFromText(templateText);
    doc->First();
    TMyXMLNode* file = doc->NodeByTag("METRIC_FILE");
    file->SetAttribute("Product", productName);
    file->SetAttribute("Date", date);
    TMyXMLNode* entity = doc->NodeByTag("METRIC_ENTITY");
    entity->SetAttribute("EType", ReplaceStr(",", ", ", WithoutTrailingComma(labels_)));
    entity->SetAttribute("ESystems", ReplaceStr(",", ", ", WithoutTrailingComma(systems_)));
    entity->SetAttribute("ENumOfSummed", std::to_string(summed_));
    const auto& table = Counters();
    for (size_t c = 0; c < table.size(); ++c)
        doc->SetNodeValue(doc->NodeByTag(table[c].result)->Index, std::to_string(counters_[c]));
    for (const char* name : kRealOrder) doc->SetNodeValue(doc->NodeByTag(name)->Index, FloatToStrFixed(Real(name), 2, 2));
    PruneCompoundDocument(*doc);
    return doc->AsText();
}

void PruneCompoundDocument(TMyXMLNodeList& doc) {
    std::vector<std::string> zeros;
    for (int i = 0; i < doc.Count(); ++i)
        if (ReadsZero(*doc[i])) zeros.push_back(doc.NodeName(i));
    DeleteByNames(doc, zeros);
    // Twice: groups emptied by the first pass go too; a group emptied only
    // by the second stays.
    for (int pass = 0; pass < 2; ++pass) {
        doc.First();
        const int start = doc.NodeByTag("Quantity_Metrics")->Index;
        DeleteByNames(doc, EmptyNodesFrom(doc, start));
    }
}

TComprehensiveReport ComprehensiveReportOf(const std::string& compoundText, const std::string& productName,
                                           const std::string& systemName) {
    TComprehensiveReport r;
    auto doc = TMyXMLNodeList::CreateFromText(compoundText);
    r.Title = productName + "_" + systemName + "_" + "Comprehensive_Report";
    doc->First();
    if (doc->HasTag("METRIC_ENTITY")) {
        const TMyXMLNode* entity = doc->NodeByTag("METRIC_ENTITY");
        r.SystemsLabel = entity->GetAttribute("ESystems");
        r.TableLabel = entity->GetAttribute("EType");
    }
    for (int i = 0; i < doc->Count(); ++i) {
        const TMyXMLNode* n = (*doc)[i];
        const std::string caption = n->GetAttribute("Caption");
        if (!caption.empty()) {
            r.Lines.Add(caption + "\t " + n->Text());
            continue;
        }
        const std::string header = n->GetAttribute("Header");
        if (!header.empty()) {
            r.Lines.Add(header + "\t#mainfejlec");
            continue;
        }
        const std::string subHeader = n->GetAttribute("SubHeader");
        if (!subHeader.empty()) r.Lines.Add(subHeader + "\t#subfejlec");
    }
    return r;
}

std::string CompoundDate() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
    return buf;
}

} // namespace pem
