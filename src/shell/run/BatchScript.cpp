#include "BatchScript.h"

#include "CaseInsensitivePath.h"
#include "CharSet1252.h"
#include "Exceptions.h"
#include "SafeFiles.h"

#include <cstdio>

namespace pem {

TBatchLine TBatchLine::EchoOn() {
    TBatchLine l;
    l.kind = TKind::EchoOn;
    return l;
}

TBatchLine TBatchLine::Rename(const std::string& from, const std::string& to) {
    TBatchLine l;
    l.kind = TKind::Rename;
    l.from = from;
    l.to = to;
    return l;
}

TBatchLine TBatchLine::Call(const std::string& program, std::vector<std::string> args) {
    TBatchLine l;
    l.kind = TKind::Call;
    l.program = program;
    l.args = std::move(args);
    return l;
}

std::string ShellQuote(const std::string& word) {
    std::string out = "'";
    for (char c : word) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    out += '\'';
    return out;
}

std::string ResolveBatchProgram(const std::string& program) {
    std::string path = program;
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string found = FindFileIgnoringCase(path);
    if (found.empty() && path.size() > 4 && SameText(path.substr(path.size() - 4), ".exe"))
        found = FindFileIgnoringCase(path.substr(0, path.size() - 4));
    return found.empty() ? path : found;
}

std::string ShellLine(const TBatchLine& line) {
    switch (line.kind) {
    case TBatchLine::TKind::EchoOn: return "set -x";
    case TBatchLine::TKind::Rename: return "mv -f -- " + ShellQuote(line.from) + " " + ShellQuote(line.to);
    case TBatchLine::TKind::Call: break;
    }
    std::string out = ShellQuote(ResolveBatchProgram(line.program));
    for (const std::string& a : line.args) out += " " + ShellQuote(a);
    return out;
}

std::string BatchScriptText(const std::vector<TBatchLine>& lines) {
    std::string text;
    for (const TBatchLine& l : lines) text += ShellLine(l) + "\n";
    // The file system and the tools read UTF-8.
    return Cp1252ToUtf8(text);
}

void SaveBatchScript(const std::string& fileName, const std::vector<TBatchLine>& lines) {
    ReplaceOwnFileText(Cp1252ToUtf8(fileName), BatchScriptText(lines), fileName);
}

TBatchLine AuditCall(const std::string& toolFolder, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", number);
    return TBatchLine::Call(toolFolder + "/WAAAudit.exe", {std::string("last.xml;") + digits});
}

std::vector<TBatchLine> ComposeSubProcessorBatch(const std::vector<TBatchLine>& sourceLines,
                                                 const std::string& toolFolder) {
    std::vector<TBatchLine> out;
    out.reserve(sourceLines.size() + 3);
    out.push_back(TBatchLine::EchoOn());
    out.push_back(AuditCall(toolFolder, 0));
    out.insert(out.end(), sourceLines.begin(), sourceLines.end());
    out.push_back(AuditCall(toolFolder, 9999));
    return out;
}

std::vector<TBatchLine> RebuildBatchByModule(const std::vector<TBatchLine>& sourceLines,
                                             const std::string& toolFolder) {
    std::vector<TBatchLine> out = sourceLines;
    out.push_back(AuditCall(toolFolder, 9999));
    // From the end: each module's first line gets the opening lines before
    // it, and its last line (the closing audit call) the renaming back.
    size_t end = out.size();
    for (size_t i = out.size(); i-- > 0;) {
        if (out[i].moduleMarker.empty()) continue;
        const std::string m = out[i].moduleMarker;
        out[i].moduleMarker.clear();
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(end), TBatchLine::Rename("last.xml", "last" + m + ".xml"));
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(i),
                   {AuditCall(toolFolder, 9999), TBatchLine::Rename("last" + m + ".xml", "last.xml"),
                    AuditCall(toolFolder, 0)});
        end = i + 1;
    }
    if (!out.empty()) out[0] = TBatchLine::EchoOn();
    return out;
}

} // namespace pem
