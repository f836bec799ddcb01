// Fuzz target for test case listings and their companions as the editor
// reads them: the input up to its first NUL byte is a listing, loaded with
// both cleanups; the bytes after it drive the editing (each pair marks lines
// to delete, a byte above 200 undoes a line or a block); the save pass runs
// and its deleted identifiers prune the listing's text taken as a ".CSV" and
// a ".XML" companion, and the count goes into it as a metrics report. Any input
// must end normally or with the program's own exceptions; a crash, a
// sanitizer report or a broken invariant is a finding.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "Exceptions.h"
#include "StringList.h"
#include "TestCaseFiles.h"
#include "TestCaseList.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string tmpl = "/tmp/testcase_fuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data())) std::abort();
        static std::string made = tmpl;
        std::atexit([] { std::filesystem::remove_all(made); });
        return tmpl + "/";
    }();
    return folder;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t nul = text.find('\0');
    const std::string listing = text.substr(0, nul);
    const std::string script = nul == std::string::npos ? std::string() : text.substr(nul + 1);

    pem::TStringList lines;
    lines.SetText(listing);
    std::vector<std::string> working;
    for (const auto& item : lines) working.push_back(item.s);
    pem::TTestCaseList list;
    list.Load(working);
    const int loaded = list.LineCount();
    for (size_t i = 0; i + 1 < script.size(); i += 2) {
        const auto a = static_cast<unsigned char>(script[i]), b = static_cast<unsigned char>(script[i + 1]);
        if (a > 200) {
            if (b & 1) list.UndoBlock();
            else list.Undo();
            continue;
        }
        const int n = list.LineCount();
        const int first = n ? a % n : 0;
        list.Delete(first, first + b % 8);
    }
    // Every deletion is in the undo list: shown and deleted lines add up,
    // and undoing everything gives back the list as loaded.
    Check(list.LineCount() + static_cast<int>(list.UndoList().size()) == loaded);
    const pem::TTestCaseList::TSaved saved = list.Apply();
    Check(static_cast<int>(saved.lines.size()) <= list.LineCount());
    while (list.CanUndo()) list.UndoBlock();
    Check(list.LineCount() == loaded);
    for (int i = 0; i < loaded; ++i) Check(list.Line(i) == list.Working()[static_cast<size_t>(i)]);

    // The listing's text as companions and as a metrics report.
    std::vector<std::string> csv = working, xml = working, met = working;
    const int csvRemoved = pem::PruneTestCaseCsvLines(csv, saved.deleted, list.Width());
    Check(csv.size() + static_cast<size_t>(csvRemoved) == working.size());
    pem::PruneTestCaseXmlLines(xml, saved.deleted, list.Width());
    Check(xml.size() <= working.size());
    pem::ReplaceTestCaseCount(met, pem::CountTestCaseLines(saved.lines));

    // The files road once in a while: reading and writing back keeps the
    // bytes.
    if (size % 64 == 0) {
        try {
            const std::string file = Folder() + "PAY.CSV";
            pem::TTextLines t;
            t.lines = working;
            t.lineBreak = listing.find("\r\n") != std::string::npos ? "\r\n" : "\n";
            pem::WriteTextLines(file, t);
            const pem::TTextLines back = pem::ReadTextLines(file);
            Check(back.lines == t.lines);
        } catch (const pem::Exception&) {
        }
    }
    return 0;
}
