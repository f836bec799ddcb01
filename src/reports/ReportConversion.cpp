#include "ReportConversion.h"

#include "BaseFileUtils.h"
#include "CaseInsensitivePath.h"
#include "Exceptions.h"
#include "SafeFiles.h"
#include "StringList.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace pem {

namespace {

struct TFolders {
    std::string report;      // the report folder, ending in "/"
    std::string original;    // its subfolders, each ending in "/"
    std::string exports;
    std::string components;
};

TFolders MakeFolders(const TScannerReportSettings& s) {
    TFolders f;
    f.report = ReportFolder(s, ReportAreaOf(s.DocumentKind));
    f.original = f.report + "Original/";
    f.exports = f.report + "Exports/";
    f.components = f.report + "Components/";
    ForceDirectories(f.report);
    ForceDirectories(f.original);
    ForceDirectories(f.exports);
    ForceDirectories(f.components);
    return f;
}

// The conversion's documents (Original, Exports, Components) are files of
// the output directory's own: each replaces an older one in one step, and a
// link found in its place is replaced, never written through. The editor's
// own save of the report it has open keeps that file's link: the user chose
// that document.
void SaveOwnDocument(const TMyXMLNodeList& doc, const std::string& path) {
    std::string text = doc.IsClean ? doc.ProcessingHeader + doc.DocTypeHeader : std::string();
    text += doc.AsText(-1, false);
    ReplaceOwnFileText(path, text);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

[[noreturn]] void MissingTag(std::string_view tag) {
    throw Exception("Tag \"" + std::string(tag) + "\" doesn't exist");
}

// The first element of that name below parent; the cursor stays where it is.
TMyXMLNode* Inside(TMyXMLNodeList& doc, const TMyXMLNode* parent, std::string_view tag) {
    if (!doc.HasChildren(parent->Index)) MissingTag(tag);
    return doc.NodeByTagFrom(tag, parent->Index + 1);
}

bool HasInside(TMyXMLNodeList& doc, const TMyXMLNode* parent, std::string_view tag) {
    return doc.HasChildren(parent->Index) && doc.HasTagFrom(tag, parent->Index + 1);
}

// Sets an element's text (an element read empty, "<a/>", is written with it).
void SetText(TMyXMLNode* node, const std::string& text) { node->Value = text; }

void CopyText(TMyXMLNodeList& target, std::string_view targetTag, TMyXMLNodeList& source,
              std::string_view sourceTag) {
    TMyXMLNode* from = source.NodeByTag(sourceTag);
    SetText(target.NodeByTag(targetTag), from->Value);
}

void CopyAttributes(TMyXMLNode* target, const TMyXMLNode* source, std::initializer_list<const char*> names) {
    for (const char* name : names) target->SetAttribute(name, source->GetAttribute(name));
}

// METRIC_FILE's Product, System, Version, Date and Source.
void CopyFileAttributes(TMyXMLNodeList& target, TMyXMLNodeList& source) {
    CopyAttributes(target.NodeByTag("METRIC_FILE"), source.NodeByTag("METRIC_FILE"),
                   {"Product", "System", "Version", "Date", "Source"});
}

std::int64_t IntegerOf(TMyXMLNodeList& doc, const std::string& tag) { return doc.NodeByTag(tag)->AsInteger(); }

std::int64_t IntegerSum(TMyXMLNodeList& doc, const std::string& kind, const char* suffix) {
    std::int64_t sum = 0;
    for (const char* role : {"Devl", "Test", "Mngr"}) sum += IntegerOf(doc, kind + "_" + role + "_" + suffix);
    return sum;
}

// The source document of a conversion, and whether the conversion owns it.
struct TSourceDocument {
    std::unique_ptr<TMyXMLNodeList> owned;
    TMyXMLNodeList* doc = nullptr;
    std::string baseName;
};

// A copy of an edited project report with the renames of the run road, so
// that the user's open document stays as it is.
std::unique_ptr<TMyXMLNodeList> FixedUpCopy(TMyXMLNodeList& edited) {
    TStringList lines;
    lines.SetText(edited.AsText());
    for (auto& item : lines.Items()) item.s = ProjectReportFixUps(std::move(item.s));
    auto copy = TMyXMLNodeList::CreateFromText(lines.Text());
    copy->ProcessingHeader = edited.ProcessingHeader;
    copy->DocTypeHeader = edited.DocTypeHeader;
    return copy;
}

// Steps 1 to 4 of every conversion: folders, then the source document.
// Returns false when there is nothing to convert.
bool TakeSource(const TReportConversion& conv, const TReportSource& source, TFolders& folders,
                TSourceDocument& src) {
    const TScannerReportSettings& s = conv.Settings;
    src.baseName = s.SystemName;
    const std::string input = IncludeTrailingSeparator(s.OutputDir, '/') + s.SystemName + ".xml";
    // The scanner's spelling of the name may differ in case.
    const std::string found = source.FromEditor ? std::string() : FindFileIgnoringCase(input);
    if (!source.FromEditor && found.empty()) return false;

    folders = MakeFolders(s);
    const bool projects = s.DocumentKind == kDocumentKindProjects;

    if (!source.FromEditor) {
        TStringList lines;
        lines.LoadFromFile(found);
        const std::string kept = folders.original + s.SystemName + ".xml";
        MoveFileOrCopy(found, kept);
        const std::string companion = WithoutExtension(found) + ".txt";
        const std::string companionFound = FindFileIgnoringCase(companion);
        if (companionFound.empty())
            conv.Problems->Warning("Report text file " + companion + " doesn't exist");
        else
            MoveFileOrCopy(companionFound, folders.report + NameOf(companionFound));
        for (int i = 0; i < 2 && lines.Count() > 0; ++i) lines.Delete(0);
        ReplaceOwnFileText(kept, lines.Text());
        if (projects)
            for (auto& item : lines.Items()) item.s = ProjectReportFixUps(std::move(item.s));
        src.owned = TMyXMLNodeList::CreateFromText(lines.Text());
        src.doc = src.owned.get();
        return true;
    }

    if (!source.Editor) return false;
    const std::string file = source.Editor->ReportFileName();
    if (FolderOf(file) != folders.original) return false;
    src.baseName = WithoutExtension(NameOf(file));
    if (projects) {
        src.owned = FixedUpCopy(source.Editor->ReportDocument());
        src.doc = src.owned.get();
    } else {
        src.doc = &source.Editor->ReportDocument();
    }
    return true;
}

using TKindWork = void (*)(const TReportConversion&, const TFolders&, TSourceDocument&);

void RunConversion(const TReportConversion& conv, const TReportSource& source, TKindWork work) {
    TFolders folders;
    TSourceDocument src;
    if (!TakeSource(conv, source, folders, src)) return;
    src.doc->First();
    try {
        work(conv, folders, src);
    } catch (const std::exception& e) {
        conv.Problems->XmlProcessingError(e.what());
    }
}

// The export document begun from its template: METRIC_FILE's attributes and
// METRIC_ENTITY's Entity, EName and EType from the source.
std::unique_ptr<TMyXMLNodeList> BeginExport(const std::string& templateText, TMyXMLNodeList& src) {
    auto work = TMyXMLNodeList::CreateFromText(templateText);
    CopyFileAttributes(*work, src);
    CopyAttributes(work->NodeByTag("METRIC_ENTITY"), src.NodeByTag("METRIC_ENTITY"), {"Entity", "EName", "EType"});
    return work;
}

// One document per component group after the users' group (a group with an
// empty comp is skipped): the working document refilled from the component
// template, named and filled by copyCounters, saved as base_comp.xml.
template <class CopyCounters>
void WriteComponents(TMyXMLNodeList& src, TMyXMLNodeList& work, const std::string& templateText,
                     std::string_view groupTag, const TFolders& f, const std::string& baseName,
                     CopyCounters copyCounters) {
    work.Parse(templateText);
    CopyFileAttributes(work, src);
    TMyXMLNode* entity = work.NodeByTag("METRIC_ENTITY");
    entity->SetAttribute("Entity", "Component");
    entity->SetAttribute("EType", src.NodeByTag("METRIC_ENTITY")->GetAttribute("EType"));

    src.First();
    if (!src.Locate(groupTag, {"type", "User"})) return;
    while (src.NextSibling()) {
        const TMyXMLNode* group = src.CurrentNode();
        const std::string comp = group->GetAttribute("comp");
        if (comp.empty()) continue;
        work.NodeByTag("METRIC_FILE")->SetAttribute("Component", comp);
        work.NodeByTag("METRIC_ENTITY")->SetAttribute("EName", comp);
        copyCounters(group);
        SaveOwnDocument(work, f.components + baseName + "_" + SafeFileNamePart(comp) + ".xml");
    }
}

// ------------------------------------------------------------------ defects

void DefectWork(const TReportConversion& conv, const TFolders& f, TSourceDocument& s) {
    TMyXMLNodeList& src = *s.doc;
    auto work = BeginExport(conv.Templates.DefiTavrelExport, src);

    struct Kind {
        const char* source;  // kind in the scanner's names
        const char* target;  // kind in the export's names
    };
    static const Kind kKinds[] = {{"Fatal", "Fatal"}, {"Major", "Major"}, {"Media", "Media"},  {"Minor", "Minor"},
                                  {"Unkno", "Unknown"}, {"Total", "Total"}, {"Weigh", "Weighted"}};
    for (const Kind& k : kKinds)
        SetText(work->NodeByTag(std::string(k.target) + "_Self_Defects"),
                std::to_string(IntegerSum(src, k.source, "Defects")));
    for (const Kind& k : kKinds)
        CopyText(*work, std::string(k.target) + "_User_Defects", src, std::string(k.source) + "_User_Defects");
    CopyText(*work, "Completness", src, "Completeness");
    for (const char* q : {"Conformity", "Quality", "Impact"}) CopyText(*work, q, src, q);
    SaveOwnDocument(*work, f.exports + s.baseName + ".xml");

    WriteComponents(src, *work, conv.Templates.DefiComponentRanking, "Defects", f, s.baseName,
                    [&](const TMyXMLNode* group) {
                        for (const Kind& k : kKinds)
                            SetText(work->NodeByTag(std::string(k.target) + "_Self_Defects"),
                                    Inside(src, group, std::string(k.source) + "_Comp_Defects")->Value);
                    });
}

// ------------------------------------------------------------------ changes

const char* const kChangeKinds[] = {"Extend", "Adapt", "Perfect", "Convert", "Integr", "Total"};

void ChangeWork(const TReportConversion& conv, const TFolders& f, TSourceDocument& s) {
    TMyXMLNodeList& src = *s.doc;
    src.CleanNow();
    src.First();
    auto work = BeginExport(conv.Templates.ChngTavrelExport, src);

    for (const char* k : kChangeKinds)
        SetText(work->NodeByTag(std::string(k) + "_Self_Changes"), std::to_string(IntegerSum(src, k, "Changes")));
    double impact = 0;
    for (const char* role : {"Devl", "Test", "Mngr"})
        impact += src.NodeByTag(std::string("Impact_") + role + "_Changes")->AsFloat();
    TMyXMLNode* selfImpact = work->NodeByTag("Impact_Self_Changes");
    selfImpact->SetAsFloat(impact);
    for (const char* k : kChangeKinds) CopyText(*work, std::string(k) + "_User_Changes", src, std::string(k) + "_User_Changes");
    CopyText(*work, "Impact_User_Changes", src, "Impact_User_Changes");
    for (const char* q : {"Completeness", "Quality", "Impact"}) CopyText(*work, q, src, q);
    SaveOwnDocument(*work, f.exports + s.baseName + ".xml");

    WriteComponents(src, *work, conv.Templates.ChngComponentRanking, "Changes", f, s.baseName,
                    [&](const TMyXMLNode* group) {
                        for (const char* k : kChangeKinds)
                            SetText(work->NodeByTag(std::string(k) + "_Self_Changes"),
                                    Inside(src, group, std::string(k) + "_Comp_Changes")->Value);
                        SetText(work->NodeByTag("Impact_Self_Changes"), Inside(src, group, "Impact_Comp_Changes")->Value);
                    });
}

// ----------------------------------------------------------------- projects

// Copies the text and the Unit of the first of the source names the entity
// holds into the target element.
void CopyMeasureWithUnit(TMyXMLNodeList& work, std::string_view target, TMyXMLNodeList& src,
                         const TMyXMLNode* entity, std::string_view preferred, std::string_view fallback) {
    const TMyXMLNode* from =
        HasInside(src, entity, preferred) ? Inside(src, entity, preferred) : Inside(src, entity, fallback);
    TMyXMLNode* to = work.NodeByTag(target);
    SetText(to, from->Value);
    to->SetAttribute("Unit", from->GetAttribute("Unit"));
}

void ProjectWork(const TReportConversion& conv, const TFolders& f, TSourceDocument& s) {
    TMyXMLNodeList& src = *s.doc;
    src.CleanNow();
    SaveOwnDocument(src, f.exports + s.baseName + ".xml");

    auto work = TMyXMLNodeList::CreateFromText(conv.Templates.ProjectStatistics);
    src.First();
    CopyFileAttributes(*work, src);
    work->NodeByTag("METRIC_ENTITY")->SetAttribute("Entity", "Project");

    src.First();
    if (!src.FindChild("METRIC_ENTITY")) return;
    while (src.NextSibling()) {
        const TMyXMLNode* entity = src.CurrentNode();
        const std::string name = entity->GetAttribute("EName");
        const std::string type = entity->GetAttribute("EType");
        if (name.empty()) continue;
        work->NodeByTag("METRIC_FILE")->SetAttribute("Component", name);
        TMyXMLNode* target = work->NodeByTag("METRIC_ENTITY");
        target->SetAttribute("EName", name);
        target->SetAttribute("EType", type);
        for (const char* m : {"StartDate", "EndDate", "HeadCount", "Effort"})
            SetText(work->NodeByTag(m), Inside(src, entity, m)->Value);
        work->NodeByTag("Effort")->SetAttribute("Unit", Inside(src, entity, "Effort")->GetAttribute("Unit"));
        CopyMeasureWithUnit(*work, "ElapsedTime", src, entity, "ElapsedTime", "Time");
        CopyMeasureWithUnit(*work, "Accumulated_Costs", src, entity, "Accumulated_Costs", "Costs");
        SaveOwnDocument(*work, f.components + s.baseName + "_" + SafeFileNamePart(name) + "_" + SafeFileNamePart(type) +
                         ".xml");
    }
}

// Replaces the element name in every start, end and empty tag of that name.
void RenameElement(std::string& line, std::string_view from, std::string_view to) {
    for (const char* open : {"<", "</"}) {
        const std::string pattern = open + std::string(from);
        size_t at = 0;
        while ((at = line.find(pattern, at)) != std::string::npos) {
            const size_t after = at + pattern.size();
            const char next = after < line.size() ? line[after] : '\0';
            if (next == ' ' || next == '>' || next == '/' || next == '\t' || next == '\r' || next == '\n') {
                line.replace(at + std::string_view(open).size(), from.size(), to);
                at += std::string_view(open).size() + to.size();
            } else {
                at = after;
            }
        }
    }
}

void ConvertGuarded(const TReportConversion& conv, const TReportSource& source) {
    if (conv.Settings.ProductKind != kProductKindDocumentScanners) return;
    try {
        ConvertScannerReport(conv, source);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        conv.Problems->Warning("Report conversion failed: " + std::string(e.what()));
    }
}

} // namespace

std::string ProjectReportFixUps(std::string line) {
    for (std::string_view from : {" Organisation =", " Organisation="}) {
        const size_t at = line.find(from);
        if (at != std::string::npos) {
            line.replace(at + 1, std::string_view("Organisation").size(), "System");
            break;
        }
    }
    RenameElement(line, "Time", "ElapsedTime");
    RenameElement(line, "Costs", "Accumulated_Costs");
    return line;
}

std::string SafeFileNamePart(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == '.' && i + 1 < name.size() && name[i + 1] == '.') {
            out += '_';
            ++i;
        } else if (c == '/' || c == '\\' || c < 32 || c == 127) {
            out += '_';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void ConvertDefectReport(const TReportConversion& conv, const TReportSource& source) {
    RunConversion(conv, source, DefectWork);
}

void ConvertChangeReport(const TReportConversion& conv, const TReportSource& source) {
    RunConversion(conv, source, ChangeWork);
}

void ConvertProjectReport(const TReportConversion& conv, const TReportSource& source) {
    RunConversion(conv, source, ProjectWork);
}

void ConvertScannerReport(const TReportConversion& conv, const TReportSource& source) {
    switch (conv.Settings.DocumentKind) {
    case kDocumentKindDefects: ConvertDefectReport(conv, source); break;
    case kDocumentKindChanges: ConvertChangeReport(conv, source); break;
    case kDocumentKindProjects: ConvertProjectReport(conv, source); break;
    default: break;
    }
}

void ConvertReportAfterRun(const TReportConversion& conv) { ConvertGuarded(conv, TReportSource::AfterRun()); }

void ConvertCurrentReport(const TReportConversion& conv, IReportEditor* editor) {
    ConvertGuarded(conv, TReportSource::Saved(editor));
}

// ----------------------------------------------------------- counter sums

namespace {

std::int64_t ChildInteger(TMyXMLNodeList& doc, const TMyXMLNode* group, const std::string& tag) {
    return Inside(doc, group, tag)->AsInteger();
}

void WriteChild(TMyXMLNodeList& doc, const TMyXMLNode* group, const std::string& tag, std::int64_t value) {
    SetText(Inside(doc, group, tag), std::to_string(value));
}

// Walks the counter groups from the document's cursor; sum gets each group
// with its suffix (the name of its first counter after the first "_").
template <class F>
void ForEachCounterGroup(TMyXMLNodeList& doc, std::string_view groupTag, F&& sum) {
    const int cursor = doc.CursorIndex;
    if (!doc.FindChild(groupTag)) return;
    bool first = true;
    do {
        const TMyXMLNode* group = doc.CurrentNode();
        // A group without counters has nothing to add up.
        if (!doc.HasChildren(group->Index)) continue;
        const std::string counter = doc.NodeName(group->Index + 1);
        const size_t underscore = counter.find('_');
        const std::string suffix = underscore == std::string::npos ? counter : counter.substr(underscore + 1);
        sum(group, suffix, first);
        first = false;
    } while (doc.NextSibling());
    doc.SetCursor(cursor);
}

} // namespace

void SumDefectCounters(TMyXMLNodeList& doc) {
    // Scanner reports name the unknown and weighted counts "Unkno" and
    // "Weigh"; export and component documents spell them out.
    std::string unknown = "Unknown", weighted = "Weighted";
    ForEachCounterGroup(doc, "Defects", [&](const TMyXMLNode* group, const std::string& suffix, bool first) {
        if (first && HasInside(doc, group, "Weigh_" + suffix)) {
            unknown = "Unkno";
            weighted = "Weigh";
        }
        const std::int64_t fatal = ChildInteger(doc, group, "Fatal_" + suffix);
        const std::int64_t major = ChildInteger(doc, group, "Major_" + suffix);
        const std::int64_t media = ChildInteger(doc, group, "Media_" + suffix);
        const std::int64_t minor = ChildInteger(doc, group, "Minor_" + suffix);
        const std::int64_t unknownCount = ChildInteger(doc, group, unknown + "_" + suffix);
        WriteChild(doc, group, "Total_" + suffix, fatal + major + media + minor + unknownCount);
        WriteChild(doc, group, weighted + "_" + suffix, 8 * fatal + 4 * major + 2 * media + minor);
    });
}

void SumChangeCounters(TMyXMLNodeList& doc) {
    ForEachCounterGroup(doc, "Changes", [&](const TMyXMLNode* group, const std::string& suffix, bool) {
        std::int64_t total = 0;
        for (const char* k : {"Extend_", "Adapt_", "Perfect_", "Convert_", "Integr_"})
            total += ChildInteger(doc, group, k + suffix);
        WriteChild(doc, group, "Total_" + suffix, total);
    });
}

TCounterSums CounterSumsFor(int documentKind) {
    if (documentKind == kDocumentKindDefects) return SumDefectCounters;
    if (documentKind == kDocumentKindChanges) return SumChangeCounters;
    return nullptr;
}

} // namespace pem
