// The demo installation's stand-in for every analysis tool of the package:
//
//   demo_tool last.xml[;NNNN] [> Console.log]
//
// It keeps the tools' contract with the shell: reads the parameter document
// and the input tree, prints "Orig Source File = <path>" per source, writes
// its results into the result folders under input-tree names (the shell
// gives them their source names back), logs into "<system>.log", and stops
// when an empty "Semaphore.xml" appears.
//
// Its analysis is a small look at COBOL-like sources: comment lines,
// statements, paragraphs, decisions, calls, data items and a handful of
// rules. From it, it writes what a real analysis writes, in the formats the
// shell reads:
//   Metrics/SRCnnnn.met and .xml   a metrics report per source and its
//                                  metric document (MODnnnn/COMPnnnn: sums)
//   Metrics/<system>.met           the system's report with its test cases
//   Specs/SRCnnnn.inf .prc .dec .dat .use and .<language>
//                                  post-documentation listings, native and joined
//                                  (assembler, COBOL, PL/I, RPG)
//   Specs/SRCnnnn.<language>       the module specification listing (every
//                                  other language): includes, classes,
//                                  methods, the calls they make, fields and
//                                  conditions of a C-like source
//   Defis/SRCnnnn.def              the deficiency listing
//   Tavrel/<system>.xml            the system's metric document for the evaluation
//
// Started as a language's word scanner, it writes the word list instead:
//   functab.wrl                    the words the shell gave, then the classes,
//                                  fields and data items as nouns and the
//                                  functions, paragraphs and programs called
//                                  as control words
#include "ToolContract.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace pemtool;

namespace {

std::string Format(const char* fmt, auto... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool StartsWith(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }

// A line of a boxed listing: "|" + text padded to the width + "|".
std::string Boxed(const std::string& text, size_t width = 78) {
    std::string t = text.substr(0, width);
    return "|" + t + std::string(width - t.size(), ' ') + "|";
}
const std::string kRule = "+" + std::string(78, '-') + "+";

struct TRuleHit {
    int kind; // 1 problem, 2 deficiency, 3 warning
    std::string rule;
    int line;
    std::string text;
};

struct TParagraph {
    std::string name;
    int line;
    std::vector<std::string> inputs, predicates, outputs;
};

struct TDecision {
    int level, line;
    std::string name, text;
};

// What one source holds, as far as the demo looks.
struct TAnalysis {
    std::string name; // the source's file name
    std::vector<std::string> lines;
    int comments = 0, statements = 0, codeLines = 0;
    std::vector<TParagraph> paragraphs;
    std::vector<TDecision> decisions;
    std::vector<std::pair<int, std::string>> calls, copies;
    std::vector<std::pair<int, std::string>> data; // level-01/05 items
    std::vector<TRuleHit> hits;

    int Count(int kind) const {
        return int(std::count_if(hits.begin(), hits.end(), [&](const TRuleHit& h) { return h.kind == kind; }));
    }
    double Complexity() const { return std::min(1.0, (decisions.size() + calls.size() + 1) / 5.0); }
    double Quality() const {
        return std::max(0.0, 1.0 - 0.2 * Count(1) - 0.1 * Count(2) - 0.05 * Count(3));
    }
    double Conformity() const { return hits.empty() ? 1.0 : std::max(0.0, 1.0 - 0.1 * hits.size()); }
};

bool IsComment(const std::string& l) { return l.size() > 6 && (l[6] == '*' || l[6] == '/'); }

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> w;
    for (std::string x; in >> x;) {
        while (!x.empty() && (x.back() == '.' || x.back() == ',')) x.pop_back();
        if (!x.empty()) w.push_back(x);
    }
    return w;
}

TAnalysis Analyse(const std::string& path, const std::string& name) {
    TAnalysis a;
    a.name = name;
    std::ifstream in(path, std::ios::binary);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        a.lines.push_back(l);
    }
    bool procedure = false;
    int depth = 0;
    for (size_t i = 0; i < a.lines.size(); ++i) {
        const std::string& l = a.lines[i];
        const int n = int(i) + 1;
        const std::string t = Trim(l.size() > 7 ? l.substr(7) : "");
        if (IsComment(l)) {
            ++a.comments;
            continue;
        }
        if (t.empty()) continue;
        ++a.codeLines;
        const std::vector<std::string> w = Words(t);
        if (StartsWith(t, "PROCEDURE DIVISION")) {
            procedure = true;
            continue;
        }
        if (l.size() > 72) a.hits.push_back({3, "05 Line beyond column 72", n, t});
        if (w.size() >= 2 && w[0] == "COPY") a.copies.push_back({n, w[1]});
        if (!procedure && w.size() >= 2 && (w[0] == "01" || w[0] == "05")) a.data.push_back({n, w[1]});
        if (!procedure) continue;
        // A paragraph: one word ending in "." in area A.
        if (w.size() == 1 && t.back() == '.' && l.find_first_not_of(' ') == 7) {
            a.paragraphs.push_back({w[0], n, {}, {}, {}});
            if (i == 0 || !IsComment(a.lines[i - 1]))
                a.hits.push_back({3, "03 Paragraph without comment", n, t});
            continue;
        }
        ++a.statements;
        if (a.paragraphs.empty()) a.paragraphs.push_back({"MAIN", n, {}, {}, {}});
        TParagraph& p = a.paragraphs.back();
        if (w[0] == "IF" || w[0] == "EVALUATE") {
            a.decisions.push_back({depth, n, w[0] + "-" + std::to_string(n), t.substr(w[0].size() + 1)});
            p.predicates.push_back(t.substr(w[0].size() + 1));
            ++depth;
        } else if (w[0] == "END-IF" || w[0] == "END-EVALUATE") {
            depth = std::max(0, depth - 1);
        } else if (w[0] == "CALL" && w.size() >= 2) {
            std::string callee = w[1];
            callee.erase(std::remove(callee.begin(), callee.end(), '\''), callee.end());
            a.calls.push_back({n, callee});
        } else if ((w[0] == "MOVE" || w[0] == "ADD") && w.size() >= 4 && w[2] == "TO") {
            p.inputs.push_back(w[1]);
            p.outputs.push_back(w[3]);
            if (w[1].front() == '\'') a.hits.push_back({2, "21 Literal in procedure code", n, t});
        } else if (w[0] == "GO") {
            a.hits.push_back({2, "07 GO TO used", n, t});
        }
    }
    if (a.comments == 0) a.hits.insert(a.hits.begin(), {1, "12 Missing comment block", 1, Trim(a.lines.empty() ? "" : a.lines[0])});
    return a;
}

// Sums over several sources: a module, a component, the system.
struct TTotals {
    int sources = 0, lines = 0, codeLines = 0, comments = 0, statements = 0, paragraphs = 0, data = 0;
    int major = 0, medium = 0, minor = 0;
    double complexity = 0, quality = 0, conformity = 0; // weighted by statements
    void Add(const TAnalysis& a) {
        const int w = std::max(a.statements, 1);
        complexity = (complexity * Weight() + a.Complexity() * w) / (Weight() + w);
        quality = (quality * Weight() + a.Quality() * w) / (Weight() + w);
        conformity = (conformity * Weight() + a.Conformity() * w) / (Weight() + w);
        ++sources;
        lines += int(a.lines.size());
        codeLines += a.codeLines;
        comments += a.comments;
        statements += a.statements;
        paragraphs += int(a.paragraphs.size());
        data += int(a.data.size());
        major += a.Count(1);
        medium += a.Count(2);
        minor += a.Count(3);
        weight += w;
    }
    int Weight() const { return weight; }
    int weight = 0;
};

std::string Today() {
    const std::time_t t = std::time(nullptr);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", std::localtime(&t));
    return buf;
}

// The metrics report: one measure per line, "=======>" before its value;
// the size, complexity and quality lines in this order.
std::string MetricsReport(const TParameterDocument& doc, const std::string& what, const TTotals& t,
                          int testCases = -1) {
    std::string r = kRule + "\n" + Boxed("       KORVEX METRICS REPORT   System: " + doc.systemName + "   Version: " +
                                         doc.version) +
                    "\n" + Boxed("       " + what) + "\n" + kRule + "\n";
    auto line = [&](const char* name, const std::string& value) {
        r += Format("|       %-41s=======>%9s     |\n", name, value.c_str());
    };
    line("Number of Source Members", std::to_string(t.sources));
    line("Number of Source Lines", std::to_string(t.lines));
    line("Number of Comment Lines", std::to_string(t.comments));
    line("Number of Paragraphs", std::to_string(t.paragraphs));
    line("Number of Data Items declared", std::to_string(t.data));
    line("Number of major Rule Violations", std::to_string(t.major));
    line("Number of medium Rule Violations", std::to_string(t.medium));
    line("Number of minor Rule Violations", std::to_string(t.minor));
    if (testCases >= 0) line("Number of Test Cases extracted", std::to_string(testCases));
    line("Number of Statements", std::to_string(t.statements));
    line("Program Complexity", Format("%.3f", t.complexity));
    line("Program Quality", Format("%.3f", t.quality));
    return r + kRule + "\n";
}

// A code metric document (CMETRICS) with every measure the evaluation reads.
std::string MetricDocument(const TParameterDocument& doc, const std::string& entity, const std::string& name,
                           const TTotals& t) {
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<!--DOCTYPE CMETRICS SYSTEM \"Cmetrics.xsd\"-->\n"
                    "<CMETRICS>\n";
    x += "  <METRIC_FILE Product=\"" + doc.productName + "\" System=\"" + doc.systemName + "\" Version=\"" +
         doc.version + "\" Date=\"" + Today() + "\" Source=\"" + doc.language + "Audit\"/>\n";
    x += "  <METRIC_ENTITY Entity=\"" + entity + "\" EName=\"" + name + "\" EType=\"" + doc.language + "\">\n";
    auto group = [&](const char* tag, std::vector<std::pair<const char*, std::string>> v) {
        x += std::string("    <") + tag + ">\n";
        for (auto& [k, val] : v) x += std::string("      <") + k + ">" + val + "</" + k + ">\n";
        x += std::string("    </") + tag + ">\n";
    };
    auto i = [](int n) { return std::to_string(n); };
    group("Quantity_Metrics", {{"Nr_Sources", i(t.sources)},
                               {"Nr_Modules", i(t.sources)},
                               {"Nr_Lines", i(t.lines)},
                               {"Nr_Code_Lines", i(t.codeLines)},
                               {"Nr_Comment_Lines", i(t.comments)},
                               {"Nr_Stmts", i(t.statements)},
                               {"Nr_Data_Definitions", i(t.data)},
                               {"Nr_TestCases", i(t.paragraphs)}});
    group("Size_Metrics", {{"Nr_Data_Points", i(t.data * 2)}, {"Nr_Func_Points", i(t.paragraphs * 3)}});
    group("Deficiency_Metrics",
          {{"Nr_Major_Defis", i(t.major)}, {"Nr_Media_Defis", i(t.medium)}, {"Nr_Minor_Defis", i(t.minor)}});
    group("Complexity_Metrics", {{"Program_Complexity", Format("%.3f", t.complexity)}});
    group("Quality_Metrics",
          {{"Conformity", Format("%.3f", t.conformity)}, {"Program_Quality", Format("%.3f", t.quality)}});
    return x + "  </METRIC_ENTITY>\n</CMETRICS>\n";
}

// The deficiency listing of one source.
std::string DeficiencyListing(const TParameterDocument& doc, const TAnalysis& a) {
    std::string r = "/ KORVEX DEFICIENCY LISTING OF SYSTEM " + doc.systemName + "\n";
    r += Boxed("   SOURCE: " + a.name + std::string(std::max<int>(1, 50 - int(a.name.size())), ' ') +
               "PAGE:    1", 110) + "\n";
    static const char* kinds[] = {"", "| PROB | ", "| DEFI | ", "| WARN | "};
    for (const TRuleHit& h : a.hits) {
        r += kinds[h.kind] + Format("%-60s|", h.rule.c_str()) + "\n";
        r += Format("|%6d | %-100.100s|", h.line, h.text.c_str()) + "\n";
    }
    const std::string stats[] = {
        Format("   Number of major Rule Violations = %5d", a.Count(1)),
        Format("   Number of medium Rule Violations = %5d", a.Count(2)),
        Format("   Number of minor Rule Violations = %5d", a.Count(3)),
        Format("   Lines of code                    = %5d", a.codeLines),
        Format("   Comment lines                    = %5d", a.comments),
        Format("   Paragraphs                       = %5d", int(a.paragraphs.size())),
        "", "", "", ""};
    for (const std::string& s : stats) r += Boxed(s, 110) + "\n";
    return r;
}

// The post-documentation listings of one source, by structure extension.
std::map<std::string, std::string> PostDocumentation(const TAnalysis& a) {
    const std::string head = "/ Post Documentation of Program: " + a.name + "    Date: " + Today() + "\n\n";
    auto header = [&](const char* title, std::vector<std::string> descr, const std::string& columns) {
        std::string r = head + Boxed(std::string(" ") + title + " " + a.name + ": page 1") + "\n";
        for (const auto& d : descr) r += Boxed(" " + d) + "\n";
        // The data flow structure has no column heading.
        return r + kRule + "\n" + (columns.empty() ? "" : Boxed(columns) + "\n" + kRule + "\n");
    };
    std::map<std::string, std::string> out;

    std::string inf = header("Interface  Structure", {"Programs called and copy books shared", "with the callers."},
                             "Line | Kind  | Direction | Name");
    for (const auto& [n, c] : a.copies) inf += kRule + "\n" + Boxed(Format("%5d | COPY  | IN        | %s", n, c.c_str())) + "\n";
    for (const auto& [n, c] : a.calls) inf += kRule + "\n" + Boxed(Format("%5d | CALL  | OUT       | %s", n, c.c_str())) + "\n";
    out[".inf"] = inf + kRule + "\n";

    std::string prc = header("Procedural Structure", {"Paragraphs and their first statement."},
                             "Line | Paragraph | Statement");
    for (const TParagraph& p : a.paragraphs) {
        const std::string first = p.line < int(a.lines.size()) ? Trim(a.lines[p.line]) : "";
        prc += kRule + "\n" + Boxed(Format("%5d    %-9.9s %s", p.line, p.name.c_str(), first.c_str())) + "\n";
    }
    out[".prc"] = prc + kRule + "\n";

    std::string dec = header("Decisional Structure", {"Decisions and their nesting."}, "Lvl  Line Decision");
    for (const TDecision& d : a.decisions)
        dec += kRule + "\n" + Format("%3d %5d %-8.8s %s", d.level, d.line, d.name.c_str(), d.text.c_str()) + "\n";
    out[".dec"] = dec + kRule + "\n";

    std::string dat = header("Data Flow  Structure", {"What each paragraph reads, tests and writes."}, "");
    for (const TParagraph& p : a.paragraphs) {
        dat += kRule + "\n| Data flow of paragraph: " + p.name + "\nINPUTS\nPRED\nOUTPUTS\n";
        const size_t rows = std::max({p.inputs.size(), p.predicates.size(), p.outputs.size()});
        for (size_t i = 0; i < rows; ++i) {
            auto at = [&](const std::vector<std::string>& v) { return i < v.size() ? v[i] : std::string(); };
            dat += Format("%-32.32s%-29.29s%-32.32s", at(p.inputs).c_str(), at(p.predicates).c_str(),
                          at(p.outputs).c_str()) + "\n";
        }
    }
    dat += kRule + "\n";
    dat += Format("  Paragraphs: %d\n  Inputs and outputs traced\n  Decisions: %d\n  End of data flow\n",
                  int(a.paragraphs.size()), int(a.decisions.size()));
    out[".dat"] = dat;

    std::string use = header("Used Data  Structure", {"Data items and the lines that use them."}, "Name        Lines");
    for (const auto& [n, item] : a.data) {
        std::string where;
        for (size_t i = 0; i < a.lines.size(); ++i)
            if (a.lines[i].find(item) != std::string::npos) where += " " + std::to_string(i + 1);
        use += Format("%-11s%s", item.c_str(), where.c_str()) + "\n";
    }
    out[".use"] = use;
    return out;
}

// What the module specification lists of a C-like source (Java, C): the
// lines that bring other sources in, the classes, the methods with the
// calls each makes, the fields and the conditions.
struct TMethod {
    int line;
    std::string head; // name and parameters
    std::vector<std::pair<int, std::string>> calls;
};
struct TModuleLook {
    std::vector<std::pair<int, std::string>> includes, classes, fields, conditions;
    std::vector<TMethod> methods;
};

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool IsKeyword(const std::string& w) {
    for (const char* k : {"if", "for", "while", "switch", "catch", "return", "synchronized", "sizeof"})
        if (w == k) return true;
    return false;
}

TModuleLook LookAtModule(const std::vector<std::string>& lines) {
    TModuleLook m;
    int depth = 0;
    int body = -1; // the depth a method's body is opened at, -1 outside one
    for (size_t i = 0; i < lines.size(); ++i) {
        const int n = int(i) + 1;
        const std::string t = Trim(lines[i]);
        const int before = depth;
        for (char c : t) depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        if (body >= 0 && before <= body) body = -1; // the method has ended
        if (t.empty() || StartsWith(t, "//") || StartsWith(t, "/*") || StartsWith(t, "*") || t[0] == '}') continue;
        if (StartsWith(t, "package ") || StartsWith(t, "import ") || StartsWith(t, "#include")) {
            m.includes.push_back({n, t});
            continue;
        }
        if (t[0] == '#') continue;
        const size_t open = t.find('(');
        if (body < 0) {
            const std::string word = " " + t;
            if (word.find(" class ") != std::string::npos || word.find(" interface ") != std::string::npos) {
                m.classes.push_back({n, t});
                continue;
            }
            if (open != std::string::npos && t.back() == '{') {
                // A method's head: the identifier before "(" and the parameters.
                size_t b = open;
                while (b > 0 && IsIdentChar(t[b - 1])) --b;
                const std::string name = t.substr(b, open - b);
                if (!name.empty() && !IsKeyword(name)) {
                    m.methods.push_back({n, name + t.substr(open, t.find(')', open) - open + 1), {}});
                    body = before;
                }
                continue;
            }
            // A field: a declaration outside any method (a declared function is none).
            if (t.back() == ';' && (open == std::string::npos || t.find('=') < open)) m.fields.push_back({n, t});
            continue;
        }
        const std::string first = t.substr(0, t.find_first_of(" (;"));
        if (first == "if" || first == "for" || first == "while" || first == "switch" || first == "else")
            m.conditions.push_back({n, t});
        // The calls: an identifier before "(", not a keyword, not a constructor.
        for (size_t at = open; at != std::string::npos; at = t.find('(', at + 1)) {
            size_t b = at;
            while (b > 0 && IsIdentChar(t[b - 1])) --b;
            const std::string name = t.substr(b, at - b);
            const bool constructed = b >= 4 && t.compare(b - 4, 4, "new ") == 0;
            if (!name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) && !IsKeyword(name) && !constructed)
                m.methods.back().calls.push_back({n, name});
        }
    }
    return m;
}

// The module specification listing of one source: a page header naming
// the source, then a box per section; each content line carries its source
// line number, entries are set off by a dashed row.
std::string ModuleSpecification(const TParameterDocument& doc, const TAnalysis& a, const std::string& origPath,
                                 const std::string& component, const std::string& module) {
    const size_t width = 118;
    const std::string border = "+" + std::string(width, '-') + "+";
    const std::string entry = "      :+----------------------------------------";
    auto box = [&](const std::string& text) { return Boxed(text, width) + "\n"; };
    auto numbered = [&](int line, const std::string& text) { return box(Format(" %5d:", line) + text); };
    // The source named with the folder it is in.
    const size_t slash = origPath.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? "" : origPath.substr(0, slash);
    folder = folder.substr(folder.find_last_of("/\\") == std::string::npos ? 0 : folder.find_last_of("/\\") + 1);
    std::string r = "/ KORVEX MODULE SPECIFICATION OF SYSTEM " + doc.systemName + "\n\n" + border + "\n";
    r += box("          P E M A R I S   M O D U L E   S P E C I F I C A T I O N");
    r += box("");
    r += box(Format(" SYSTEM: %-19s VERSION: %s", doc.systemName.c_str(), doc.version.c_str()));
    r += box(Format(" PRODUCT: %-18s PAGE: 1", doc.productName.c_str()));
    r += box(Format(" COMPONENT: %-16s MODULE: %s", component.c_str(), module.c_str()));
    r += box(" LANGUAGE: " + doc.language);
    r += box("   SOURCE NAME:   " + (folder.empty() ? "" : folder + "\\") + a.name + "   DATE: " + Today());
    const TModuleLook m = LookAtModule(a.lines);
    auto section = [&](const char* title, const std::string& body) {
        if (body.empty()) return;
        r += border + "\n" + box(std::string("        ") + title) + border + "\n" + body + box("");
    };
    auto plain = [&](const std::vector<std::pair<int, std::string>>& v) {
        std::string b;
        for (const auto& [n, t] : v) b += numbered(n, t);
        return b;
    };
    auto entries = [&](const std::vector<std::pair<int, std::string>>& v) {
        std::string b;
        for (const auto& [n, t] : v) b += box(entry) + numbered(n, t);
        return b;
    };
    std::vector<std::pair<int, std::string>> heads;
    std::string references;
    for (const TMethod& f : m.methods) {
        heads.push_back({f.line, f.head});
        if (f.calls.empty()) continue;
        references += box(entry) + numbered(f.line, f.head.substr(0, f.head.find('(')));
        for (const auto& [n, name] : f.calls) references += numbered(n, name);
    }
    section("INCLUDES", plain(m.includes));
    section("CLASSES", plain(m.classes));
    section("METHODS/PROCEDURES", entries(heads));
    // The references close with a dashed row of their own.
    section("FUNCTION REFERENCES", references.empty() ? references : references + box(entry));
    section("DATA ATTRIBUTES", entries(m.fields));
    section("CONDITION LOGIC", plain(m.conditions));
    return r + border + "\n";
}

// Assembler, COBOL, PL/I and RPG are post-documented; every other language
// gets a module specification.
bool PostDocumented(const std::string& language) {
    for (const char* l : {"ASM", "COB", "PLI", "RPG"})
        if (language == l) return true;
    return false;
}

std::string FileName(const std::string& path) {
    const size_t s = path.find_last_of("/\\");
    return s == std::string::npos ? path : path.substr(s + 1);
}

// The language this tool serves: its program is named by the language code
// and the short tool name ("COBAudit", "PLIReDoc", ...).
std::string LanguageCode(const char* program) {
    std::string name = FileName(program);
    name = name.substr(0, name.find('.'));
    for (const char* tool : {"Audit", "Anal", "ReDoc", "Scan", "Inst"}) {
        const size_t at = name.rfind(tool);
        if (at != std::string::npos && at > 0 && at + std::string(tool).size() == name.size()) return name.substr(0, at);
    }
    return name;
}

// A language's word scanner lives beside its analysis tool under a name
// of its own ("JAVScan" in "JAVAudit"); a tool named like its folder is an
// analysis, a document scanner ("DEFIScan") too.
bool IsWordScanner(const char* program) {
    const std::string path = program;
    const std::string stem = FileName(path).substr(0, FileName(path).find('.'));
    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : FileName(path.substr(0, slash));
    return stem.size() > 4 && stem.compare(stem.size() - 4, 4, "Scan") == 0 && !folder.empty() && folder != stem;
}

// The last identifier of a declaration before its "=" or ";" ("prices" of
// "private List<Integer> prices = ...;").
std::string DeclaredName(const std::string& declaration) {
    size_t end = std::min(declaration.find('='), declaration.find(';'));
    if (end == std::string::npos) end = declaration.size();
    while (end > 0 && !IsIdentChar(declaration[end - 1])) --end;
    size_t begin = end;
    while (begin > 0 && IsIdentChar(declaration[begin - 1])) --begin;
    return declaration.substr(begin, end - begin);
}

// The word after "class", "interface" or "struct" in a line.
std::string ClassName(const std::string& line) {
    const std::vector<std::string> w = Words(" " + line);
    for (size_t i = 0; i + 1 < w.size(); ++i)
        if (w[i] == "class" || w[i] == "interface" || w[i] == "struct") return DeclaredName(w[i + 1]);
    return "";
}

// The words a scan finds in a source: the nouns (classes, fields, data
// items) and the control words with their type code (functions FUNC,
// paragraphs PROC, programs called LINK).
struct TWordList {
    std::vector<std::string> nouns;
    std::vector<std::pair<std::string, std::string>> controls; // code, word

    void AddNoun(const std::string& w) {
        if (!w.empty() && std::find(nouns.begin(), nouns.end(), w) == nouns.end()) nouns.push_back(w);
    }
    void AddControl(const std::string& code, const std::string& w) {
        if (w.empty()) return;
        for (const auto& c : controls)
            if (c.second == w) return;
        controls.push_back({code, w});
    }
};

void ScanWords(const TAnalysis& a, const std::string& language, TWordList& words) {
    if (PostDocumented(language)) {
        for (const auto& [n, item] : a.data) words.AddNoun(item);
        for (const TParagraph& p : a.paragraphs) words.AddControl("PROC", p.name);
        for (const auto& [n, callee] : a.calls) words.AddControl("LINK", callee);
        return;
    }
    const TModuleLook m = LookAtModule(a.lines);
    for (const auto& [n, line] : m.classes) words.AddNoun(ClassName(line));
    for (const auto& [n, field] : m.fields) words.AddNoun(DeclaredName(field));
    for (const TMethod& f : m.methods) words.AddControl("FUNC", f.head.substr(0, f.head.find('(')));
}

// The word list as the shell reads it: the control words, then the nouns,
// each "number length code word". The words the shell gave the run come
// first and stay.
std::string WordListText(const std::string& given, const TWordList& found) {
    TWordList all;
    std::istringstream in(given);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (l.size() < 14) continue;
        const std::string code = Trim(l.substr(8, 4)), word = l.substr(13);
        if (code == "NOUN") all.AddNoun(word);
        else all.AddControl(code, word);
    }
    for (const auto& c : found.controls) all.AddControl(c.first, c.second);
    for (const auto& n : found.nouns) all.AddNoun(n);
    std::string text;
    int number = 0;
    for (const auto& [code, word] : all.controls)
        text += Format("%4.4d %2.2d %-4.4s %s\n", ++number, int(word.size()), code.c_str(), word.c_str());
    for (const auto& noun : all.nouns) text += Format("%4.4d %2.2d NOUN %s\n", ++number, int(noun.size()), noun.c_str());
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const TToolArguments args = ParseToolArguments(argc, argv);
    if (!args.consoleFile.empty() && !RedirectConsole(args.consoleFile)) return 4;
    TParameterDocument doc;
    std::string error;
    if (!ReadParameterDocument(args.document, doc, error)) {
        std::printf("demo tool: %s\n", error.c_str());
        return 2;
    }
    // The parameter document names the language version; the listings are
    // named by the language code.
    doc.language = LanguageCode(argv[0]);
    std::ofstream log(doc.systemName + ".log", std::ios::binary | std::ios::app);
    log << "Demo analysis of " << doc.productName << " / " << doc.systemName << " " << doc.version << "\n";
    const bool wordScan = IsWordScanner(argv[0]);
    TWordList words;
    std::map<std::string, TTotals> modules, components;
    TTotals system;
    int done = 0, missing = 0;
    for (const TSourceEntry& s : doc.sources) {
        if (args.sourceNumber >= 0 && std::stoi(s.number) != args.sourceNumber) continue;
        if (StopRequested(doc.outputDir)) {
            log << "Stop requested, " << done << " sources analysed\n";
            std::printf("Stop requested\n");
            return 3;
        }
        const std::string input = doc.inputDir + "/" + s.treePath;
        if (CountLines(input) < 0) {
            log << "Input missing: " << s.treePath << "\n";
            ++missing;
            continue;
        }
        ReportSource(s.origPath, false);
        const TAnalysis a = Analyse(input, FileName(s.origPath));
        if (wordScan) {
            ScanWords(a, doc.language, words);
            ++done;
            continue;
        }
        TTotals one;
        one.Add(a);
        const std::string tree = TreeName(s.treePath);
        WriteResult(doc.outputDir, "Metrics", tree + ".met", MetricsReport(doc, "Source: " + a.name, one));
        WriteResult(doc.outputDir, "Metrics", tree + ".xml", MetricDocument(doc, "Module", a.name, one));
        WriteResult(doc.outputDir, "Defis", tree + ".def", DeficiencyListing(doc, a));
        if (PostDocumented(doc.language)) {
            // The native listings, and the joined one that holds them in order.
            const auto post = PostDocumentation(a);
            std::string joined;
            for (const char* ext : {".inf", ".prc", ".dec", ".dat", ".use"}) {
                WriteResult(doc.outputDir, "Specs", tree + ext, post.at(ext));
                joined += post.at(ext);
            }
            WriteResult(doc.outputDir, "Specs", tree + "." + doc.language, joined);
        } else {
            WriteResult(doc.outputDir, "Specs", tree + "." + doc.language,
                        ModuleSpecification(doc, a, s.origPath, TreeComponent(s.treePath), TreeModule(s.treePath)));
        }
        log << s.origPath << ": " << a.statements << " statements, " << a.hits.size() << " rule violations\n";
        ++done;
        system.Add(a);
        for (auto [map, key] : {std::pair{&modules, TreeModule(s.treePath)}, {&components, TreeComponent(s.treePath)}})
            if (!key.empty()) (*map)[key].Add(a);
    }
    if (wordScan) {
        // The list the shell wrote for the run comes back with the words found.
        std::ifstream givenFile(doc.outputDir + "/functab.wrl", std::ios::binary);
        std::ostringstream given;
        given << givenFile.rdbuf();
        givenFile.close();
        WriteResult(doc.outputDir, "", "functab.wrl", WordListText(given.str(), words));
        log << done << " sources scanned: " << words.controls.size() << " control words, " << words.nouns.size()
            << " nouns, " << missing << " missing\n";
        std::printf("%d sources scanned\n", done);
        return missing ? 1 : 0;
    }
    for (const auto& [what, map] : {std::pair{"Module", &modules}, {"Component", &components}})
        for (const auto& [name, totals] : *map) {
            WriteResult(doc.outputDir, "Metrics", name + ".met", MetricsReport(doc, std::string(what) + " " + name, totals));
            WriteResult(doc.outputDir, "Metrics", name + ".xml", MetricDocument(doc, what, name, totals));
        }
    if (done) {
        WriteResult(doc.outputDir, "Metrics", doc.systemName + ".met",
                    MetricsReport(doc, "System " + doc.systemName, system, system.paragraphs));
        WriteResult(doc.outputDir, "Tavrel", doc.systemName + ".xml", MetricDocument(doc, "System", doc.systemName, system));
    }
    log << done << " sources analysed, " << missing << " missing\n";
    std::printf("%d sources analysed\n", done);
    return missing ? 1 : 0;
}
