#include "RunPreparation.h"

#include "BaseFileUtils.h"
#include "BaseStrings.h"
#include "CharSet1252.h"
#include "ProcessFilesByMask.h"
#include "SafeFiles.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace pem {

const std::vector<std::string>& ResultFolderNames() {
    static const std::vector<std::string> names = {"Metrics", "Defis",    "Requs",   "Quorra", "Tavrel", "Specs",
                                                   "Comments", "Exports", "Cases",   "Instru", "Tables"};
    return names;
}

const std::vector<std::string>& PBWorkSubfolders() {
    static const std::vector<std::string> names = {"ProcTabs", "InclTabs", "CommTabs",
                                                   "DataTabs", "MaskTabs", "StmtTabs"};
    return names;
}

namespace {

std::string In(const std::string& folder, const std::string& name) {
    return IncludeTrailingSeparator(folder, '/') + name;
}

} // namespace

bool OutputDirectoryUsed(const std::string& outputDir) {
    if (FileExists(In(outputDir, "last.xml"))) return true;
    for (const char* name : {"Metrics", "Specs", "Defis", "Requs", "Comments", "Exports", "Cases", "Instru", "Tables"})
        if (DirectoryExists(In(outputDir, name))) return true;
    return false;
}

std::string FirstUseQuestion(const std::string& outputDir) {
    return "Your current output directory \r\n" + outputDir + "\r\nhasn't been used yet\r\n"
           "do you really want to use this directory for output?";
}

std::string InputTreeFolder(const std::string& outputDir) { return In(outputDir, "workinp"); }

int SweepFolder(const std::string& folder, int depth, const std::string& mask, const std::function<void()>& onFile) {
    // The sweep removes every folder it empties, the one it starts from
    // included; that one is put back as it was.
    const std::string onDisk = Cp1252ToUtf8(folder);
    struct stat before {};
    const bool existed = ::stat(onDisk.c_str(), &before) == 0 && S_ISDIR(before.st_mode);
    TMaskSweep how;
    how.onFile = onFile;
    const int count = ProcessFilesByMask(folder, "", depth, mask, how);
    if (existed && !DirectoryExists(folder)) ::mkdir(onDisk.c_str(), before.st_mode & 07777);
    return count;
}

void MakeFolder(const std::string& folder) {
    if (!ForceDirectories(folder)) throw EFileError("Can not create folder " + folder);
}

void CleanInputTree(const std::string& outputDir, int structureLevel, const std::function<void()>& onFile) {
    const std::string tree = InputTreeFolder(outputDir);
    TMaskSweep how;
    how.onFile = onFile;
    ProcessFilesByMask(tree, "", structureLevel + 1, "SRC####", how);
    MakeFolder(tree);
}

void CleanOutputDirectory(const std::string& outputDir, int structureLevel, const std::function<void()>& step,
                          const std::function<void()>& onFile) {
    SweepFolder(outputDir, 1, "LAST####", onFile);
    if (step) step();
    for (const char* mask : {"SRC####", "MOD####", "COMP####"}) {
        SweepFolder(outputDir, structureLevel + 1, mask, onFile);
        if (step) step();
    }
    MakeFolder(InputTreeFolder(outputDir));
}

void MakeResultFolders(const std::string& outputDir, const std::string& systemName, const std::string& workFolder,
                       bool pbLanguage) {
    for (const std::string& name : ResultFolderNames()) MakeFolder(In(outputDir, name));
    if (!systemName.empty()) MakeFolder(In(outputDir, systemName));
    if (workFolder.empty()) return;
    MakeFolder(workFolder);
    if (pbLanguage)
        for (const std::string& name : PBWorkSubfolders()) MakeFolder(In(workFolder, name));
}

TInputTreePlan PlanInputTree(const TInputTreeEntries& entries, const std::string& outputDir, int productKind) {
    TInputTreePlan plan;
    const std::string instru = In(outputDir, "Instru");
    std::string kind, number;
    for (const TInputTreeEntry& e : entries.Entries()) {
        if (!TInputTreeEntries::SplitKey(e.key, kind, number)) continue;
        kind = AnsiUpperCase(kind);
        if (kind == "FDR") {
            plan.folders.push_back(e.value);
        } else if (kind == "FCDR") {
            if (productKind == 5 || productKind == 6) plan.folders.push_back(In(instru, e.value));
        } else if (kind == "XCPY") {
            plan.copies.push_back({std::stoi(number), e.value});
        }
    }
    return plan;
}

std::string BuildProgressCaption(int position, int count) {
    return "Building input structure, Processing " + std::to_string(position) + " of " + std::to_string(count);
}

// ------------------------------------------------------ per-module documents

namespace {

// The module number of an element line "  <0001@Orig_File_0001>...": the
// digits between "<" and "@"; "" for a line without one.
std::string ModuleOfLine(const std::string& line) {
    const auto lt = line.find('<');
    const auto at = line.find('@');
    if (lt == std::string::npos || at == std::string::npos || at < lt) return {};
    const std::string digits = line.substr(lt + 1, at - lt - 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return {};
    return digits;
}

std::string Trimmed(const std::string& line) { return TrimCharSet(line, csControlAndBlank); }

} // namespace

std::vector<TModuleDocument> SplitDocumentPerModule(const TStringList& document, const TInputTreeEntries& entries) {
    int filesOpen = -1, filesClose = -1;
    for (int i = 0; i < document.Count(); ++i) {
        const std::string t = Trimmed(document[i]);
        if (t == "<Files>" && filesOpen < 0) filesOpen = i;
        else if (t == "</Files>") filesClose = i;
    }
    std::vector<TModuleDocument> out;
    if (filesOpen < 0 || filesClose < filesOpen) return out;

    for (int i = filesOpen + 1; i + 1 < filesClose; i += 2) {
        const std::string first = document[i];
        const std::string module = ModuleOfLine(first);
        if (module.empty()) continue;
        if (out.empty() || out.back().module != module) {
            TModuleDocument doc;
            doc.module = module;
            const std::string* mod = entries.ValueOf("MOD" + module);
            std::string name = mod ? *mod : std::string();
            const auto slash = name.find_last_of('/');
            if (slash != std::string::npos) name = name.substr(slash + 1);
            name = name.substr(0, std::min<std::size_t>(8, name.size()));
            for (int j = 0; j <= filesOpen; ++j) {
                const std::string& line = document[j];
                doc.lines.Add(HasPrefix(Trimmed(line), "SystemName") ? "  SystemName  = \"" + name + "\"" : line);
            }
            out.push_back(std::move(doc));
        }
        // The tags lose the module number: "<0001@Orig_File_0003>" becomes
        // "<Orig_File_0003>", and the closing tag alike.
        std::string line = ReplaceStr("<" + module + "@", "<", first);
        line = ReplaceStr("</" + module + "@", "</", line);
        out.back().lines.Add(line);
        out.back().lines.Add(document[i + 1]);
    }
    for (TModuleDocument& doc : out)
        for (int j = filesClose; j < document.Count(); ++j) doc.lines.Add(document[j]);
    return out;
}

// ------------------------------------------------------ documents and batch

void WriteRunDocuments(const TRunDocuments& run) {
    const std::string lastXml = In(run.outputDir, "last.xml");
    const std::string batchFile = In(run.outputDir, "lastbatch.cmd");
    const TStringList& document = *run.document;
    std::remove(Cp1252ToUtf8(batchFile).c_str());

    if (!run.nameByDirectory) {
        ReplaceOwnFileText(Cp1252ToUtf8(lastXml), document.Text(), lastXml);
        if (run.subProcessorRun) {
            try {
                SaveBatchScript(batchFile, ComposeSubProcessorBatch(*run.batchLines, run.toolFolder));
            } catch (...) {
                std::remove(Cp1252ToUtf8(batchFile).c_str());
                throw;
            }
        }
        return;
    }
    try {
        for (const TModuleDocument& doc : SplitDocumentPerModule(document, *run.entries)) {
            const std::string moduleXml = In(run.outputDir, "last" + doc.module + ".xml");
            ReplaceOwnFileText(Cp1252ToUtf8(moduleXml), doc.lines.Text(), moduleXml);
        }
        std::vector<TBatchLine> batch;
        if (run.subProcessorRun) {
            batch = RebuildBatchByModule(*run.batchLines, run.toolFolder);
            std::remove(Cp1252ToUtf8(lastXml).c_str());
        } else {
            batch.push_back(TBatchLine::EchoOn());
            batch.insert(batch.end(), run.batchLines->begin(), run.batchLines->end());
        }
        SaveBatchScript(batchFile, batch);
    } catch (const Exception&) {
        // The whole document at least, for a look at what the run was to be.
        std::remove(Cp1252ToUtf8(batchFile).c_str());
        std::remove(Cp1252ToUtf8(lastXml).c_str());
        try {
            ReplaceOwnFileText(Cp1252ToUtf8(lastXml), document.Text(), lastXml);
        } catch (const Exception&) {
        }
        throw;
    }
}

std::string DummyTestCaseText() {
    std::string header;
    for (const char* column : {"TestCaseId", "UseCaseId", "TestType", "TestObjects", "Operations", "Inputs",
                               "InputValues", "Outputs", "OutputValues", "TestDate", "Tester", "TestCaseStatus",
                               "ErrorMsgId", "TestCaseDescription"})
        header += std::string("\"") + column + "\";";
    std::string row = "\"Dummy_TC_001\";";
    for (int i = 0; i < 12; ++i) row += " ;";
    return header + "\n" + row + "\n";
}

} // namespace pem
