#include "JobrinDocument.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "FileFilter.h"
#include "SharedRoutinesFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pem {

void TJobrinWriter::OpenJobrinElement(const std::string& name) {
    lines_.Add(Indent() + "<" + name + ">");
    open_.push_back(name);
    ++depth_;
}

void TJobrinWriter::WriteJobrinElement(const std::string& name, const std::string& value) {
    lines_.Add(Indent() + "<" + name + ">" + value + "</" + name + ">");
}

void TJobrinWriter::CloseJobrinElement() {
    if (open_.empty()) return;
    --depth_;
    lines_.Add(Indent() + "</" + open_.back() + ">");
    open_.pop_back();
}

namespace {
std::string Padded(std::string line, std::size_t width) {
    if (line.size() < width) line.append(width - line.size(), ' ');
    return line;
}
std::string Number4(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4.4d", i);
    return buf;
}
} // namespace

TJobrinDocument ComposeJobrinParameters(const TJobrinInput& in) {
    TJobrinDocument doc;
    TStringList& l = doc.lines;
    l.Add(Padded("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>", 56));
    l.Add(Padded("<!--DOCTYPE PEMARIS SYSTEM \"Pemaris.dtd\"-->", 56));
    l.Add(Padded("<JOBRIN>", 55));
    l.Add(Padded(" <Names", 56));
    l.Add("  Version = \"" + in.version + "\"");
    l.Add("  ProductName = \"" + in.productName + "\"");
    l.Add("  SystemName  = \"" + in.systemName + "\"");
    l.Add(" />");
    TJobrinWriter w(l, 1);
    w.OpenJobrinElement("Directories");
    w.WriteJobrinElement("Output_Dir", ".");
    w.WriteJobrinElement("Work_Dir", "work");
    w.CloseJobrinElement();
    w.OpenJobrinElement("Files");
    std::string base = in.exportsFolder;
    if (!base.empty() && base.back() != '/') base += '/';
    for (std::size_t i = 0; i < in.exports.size(); ++i) {
        const std::string& path = in.exports[i];
        const std::string rel = path.compare(0, base.size(), base) == 0 ? path.substr(base.size()) : path;
        const std::string n = Number4(static_cast<int>(i));
        const std::string csx = "csx" + n + ".csx";
        w.WriteJobrinElement("Orig_File_" + n, rel);
        w.WriteJobrinElement("File_" + n, csx);
        doc.names.emplace_back(csx, path);
    }
    w.CloseJobrinElement();
    l.Add("</JOBRIN>");
    return doc;
}

int ListCsxExports(const std::string& exportsFolder, const TNewFileNames& names, TSourceMessages& messages) {
    TStringList found;
    FindFilesRecursive(exportsFolder, "", ".csx;", found);
    int moved = 0;
    for (const auto& item : found) {
        const std::string target = names.Lookup(ExtractFileName(item.s));
        if (target.empty()) continue;
        // rename replaces the export in one step: it is never gone while the
        // translation has not yet taken its place.
        if (std::rename(Cp1252ToUtf8(item.s).c_str(), Cp1252ToUtf8(target).c_str()) == 0) {
            ++moved;
        } else {
            messages.push_back({TSourceMessage::Warning, "The translation " + item.s + " could not replace " + target +
                                                             ": " + std::strerror(errno)});
        }
    }
    return moved;
}

} // namespace pem
