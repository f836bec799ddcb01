#include "ResultTabRules.h"

#include "SharedRoutinesCommon.h"

namespace pem {

namespace {

const char* const kResultFolders[] = {"Metrics", "Specs", "Defis", "Requs", "Comments", "Exports", "Cases"};

std::string Join(const std::string& folder, const std::string& name) {
    return IncludeTrailingSeparator(folder, '/') + name;
}

std::string SpecsFilter(const std::string& l, int& index) {
    index = 1;
    if (LanguageInList(l, "GER,ENG")) {
        std::string text = "Spec's files(*." + l;
        for (const char* ext : {".txt", ".use", ".xml"}) text += std::string(";*") + ext;
        std::string filter = text + ")|*." + l;
        for (const char* ext : {".txt", ".use", ".xml"}) filter += std::string(";*") + ext;
        return filter + "|All files(*.*)|*.*";
    }
    std::string filter = l == "CSS" ? std::string("Spec's(*.css,*.cs)|*.css;*.cs") : "Spec's(*." + l + ")|*." + l;
    if (LanguageInList(l, "ASM,COB,PLI,RPG")) {
        filter += "|Native (not joined) Spec files|";
        for (const char* ext : {".inf", ".prc", ".dec", ".dat", ".use"}) filter += std::string(";*") + ext;
        index = 2;
    }
    return filter;
}

} // namespace

std::string ResultTabCaption(const std::string& fileName, const std::string& outputDir) {
    if (outputDir.empty()) return fileName;
    const std::string prefix = IncludeTrailingSeparator(outputDir, '/');
    if (fileName.size() > prefix.size() && fileName.compare(0, prefix.size(), prefix) == 0)
        return fileName.substr(prefix.size());
    return fileName;
}

bool IsResultFolder(const std::string& name) {
    for (const char* f : kResultFolders)
        if (name == f) return true;
    return false;
}

std::optional<std::string> FindResultFile(const std::string& caption, const std::string& outputDir,
                                          const std::string& folder, const TDirExists& dirExists) {
    if (caption.empty() || PathIsAbsolute(caption)) return std::nullopt;
    if (!IsResultFolder(StrBeforeFirst(caption, "/"))) return std::nullopt;
    const std::string path = Join(Join(outputDir, folder), StrAfterFirst(caption, "/"));
    if (!dirExists(ExtractFilePath(path))) return std::nullopt;
    return path;
}

TResultDialogSetup ResultDialogSetup(TViewerDialog dialog, const std::string& l, int productKind) {
    TResultDialogSetup s;
    switch (dialog) {
    case TViewerDialog::General:
        s.title = "Open a result file";
        if (productKind == 7) {
            s.filter = "Result files|*.txt;*.xml;*.clc;*.csv;*.def;*.met;*.log;*.rep;*.pro;*.trc;*.cov;*." + l +
                       "|Harnox files (*.pro,*.trc,*.cov)|*.pro;*.trc;*.cov;" + "|All files(*.*)|*.*";
            s.filterIndex = 3;
        } else {
            s.filter = "Result files from analysis|*.txt;*.xml;*.clc;*.csv;*.def;*.met;*.log;*.rep;*." + l +
                       "|All files(*.*)|*.*";
            s.filterIndex = 2;
        }
        break;
    case TViewerDialog::Defis:
        s = {"Open a deficiency report", "Deficiency reports(*.def)|*.def", 1, "def", "Defis", ".def"};
        break;
    case TViewerDialog::Metrics:
        s = {"Open metrics reports",
             "Metrics files(*.met)|*.met|Metrics files in XML format(*.xml)|*.xml|All Metrics files in "
             "(*.met,*.xml)|*.met;*.xml",
             3, "met", "Metrics", ".MET"};
        break;
    case TViewerDialog::Specs:
        s.title = "Open a Spec's report";
        s.filter = SpecsFilter(l, s.filterIndex);
        s.folder = "Specs";
        s.preselectExt = "." + l;
        break;
    case TViewerDialog::TestCases:
        s = {"Open a Test Case report",
             std::string("Editable Test Case reports(*.txt)|*.txt") +
                 "|Test Case reports(*.txt.*.xml,*.csv)|*.txt;*.xml;*.csv",
             2, "txt", "Cases", ".TXT"};
        break;
    }
    return s;
}

TDialogStart ResultDialogStart(const TResultDialogSetup& setup, const std::string& outputDir,
                               const std::optional<std::string>& activeCaption, const TDirExists& dirExists) {
    TDialogStart start;
    if (setup.folder.empty()) {
        start.initialDir = outputDir;
        if (activeCaption) {
            // A caption outside the output directory is already a full path.
            const std::string p = PathIsAbsolute(*activeCaption) ? *activeCaption : Join(outputDir, *activeCaption);
            start.initialDir = ExtractFilePath(p);
            start.fileName = ExtractFileName(p);
        }
        return start;
    }
    start.initialDir = Join(outputDir, setup.folder);
    std::optional<std::string> path;
    if (activeCaption) path = FindResultFile(*activeCaption, outputDir, setup.folder, dirExists);
    if (path) {
        start.initialDir = ExtractFilePath(*path);
        start.fileName = ChangeFileExt(ExtractFileName(*path), setup.preselectExt);
    } else if (!dirExists(start.initialDir)) {
        start.initialDir = outputDir;
        start.missingFolderMessage = "Directory for " + setup.folder + " has not been created yet!";
    }
    return start;
}

TResultFrameKind FrameKindFor(TOpenKind kind, const std::function<bool(const std::string&)>& inList) {
    switch (kind) {
    case TOpenKind::Simple: return TResultFrameKind::SimpleViewer;
    case TOpenKind::TestCase: return TResultFrameKind::TestCase;
    case TOpenKind::Defi: return inList("GER,ENG,UML,TCS") ? TResultFrameKind::SimpleViewer : TResultFrameKind::Defi;
    case TOpenKind::Specs:
        if (inList("DLI,SQL")) return TResultFrameKind::SimpleViewer;
        if (inList("GER,ENG")) return TResultFrameKind::SpecsGer;
        if (inList("ASM,COB,PLI,RPG")) return TResultFrameKind::Specs;
        return TResultFrameKind::SpecsObj;
    }
    return TResultFrameKind::SimpleViewer;
}

std::string FrameNameSuffix(TOpenKind kind) {
    switch (kind) {
    case TOpenKind::Defi: return "FrameDefi";
    case TOpenKind::Specs: return "FrameSpecs";
    default: return "FrameSimpleViewer";
    }
}

bool CountsAsSameFile(TOpenKind kind, const std::string& newCaption, const std::string& tabCaption,
                      TResultFrameKind tabFrame) {
    switch (kind) {
    case TOpenKind::Simple: return newCaption == tabCaption && tabFrame == TResultFrameKind::SimpleViewer;
    case TOpenKind::TestCase: return newCaption == tabCaption && tabFrame == TResultFrameKind::TestCase;
    case TOpenKind::Defi: return newCaption == tabCaption;
    case TOpenKind::Specs:
        return newCaption == tabCaption ||
               (tabFrame != TResultFrameKind::SpecsGer && ChangeFileExt(newCaption, "") == ChangeFileExt(tabCaption, ""));
    }
    return false;
}

TReloadDecision ReloadDecision(TOpenKind kind, TResultFrameKind tabFrame, TDateTime stored, TDateTime current,
                               const std::string& fileName) {
    const std::string changed = "Module " + fileName + "'s date/time changed. Reload?";
    switch (kind) {
    case TOpenKind::Simple:
    case TOpenKind::TestCase:
        if (stored == current) return {};
        if (AsciiLowerCase(ExtractFileExt(fileName)) == ".log") return {TReloadAction::Reload, ""};
        return {TReloadAction::Ask, changed};
    case TOpenKind::Defi:
        if ((tabFrame == TResultFrameKind::Defi || tabFrame == TResultFrameKind::SimpleViewer) && stored != current)
            return {TReloadAction::Ask, changed};
        return {};
    case TOpenKind::Specs: return {TReloadAction::Ask, "Module " + fileName + " is already loaded. Reload?"};
    }
    return {};
}

std::string RunLogFile(TLogKind kind, int runMode, const std::string& outputDir, const std::string& systemName,
                       const std::string& testToolLog) {
    const std::string dir = IncludeTrailingSeparator(outputDir, '/');
    switch (kind) {
    case TLogKind::ConsoleLog: return dir + "Console.log";
    case TLogKind::Parameters: return dir + "last.xml";
    case TLogKind::ProductLog:
        switch (runMode) {
        case 1:
        case 3:
        case 4: return dir + systemName + ".log";
        case 2: return dir + "Exports/" + systemName + ".log";
        case 5: return testToolLog.empty() ? std::string() : dir + testToolLog;
        case 6: return dir + "Search.txt";
        default: return std::string();
        }
    }
    return std::string();
}

bool LanguageInList(const std::string& code, const std::string& list) {
    if (list.empty()) return false;
    return (AsciiUpperCase(list) + ",").find(code + ",") != std::string::npos;
}

std::vector<std::string> EditorCommand(const std::string& editorField, const TEnvLookup& env,
                                       const TProgramLookup& findProgram) {
    std::vector<std::string> cmd;
    const std::string field = TrimCharSet(editorField, csControlAndBlank);
    if (!field.empty() && !SameText(field, "NOTEPAD.EXE")) {
        cmd.push_back(field);
        return cmd;
    }
    for (const char* var : {"VISUAL", "EDITOR"}) {
        for (const auto& part : SplitByChar(env(var), ' '))
            if (!part.empty()) cmd.push_back(part);
        if (!cmd.empty()) return cmd;
    }
    for (const char* editor : {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma", "xed",
                               "featherpad", "leafpad", "geany"}) {
        std::string path = findProgram(editor);
        if (!path.empty()) return {path};
    }
    return cmd;
}

} // namespace pem
