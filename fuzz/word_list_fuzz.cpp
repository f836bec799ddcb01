// Fuzz target for the word lists and dictionaries the shell reads from
// outside: a ".wrl" file, and a dictionary whose three files (".tdfall",
// ".exceptions", ".tdfc") are the input's parts between NUL bytes. Any input
// must be read or refused with the program's own exception; a crash, a hang
// or a sanitizer report is a finding.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "DictionaryTerms.h"
#include "Exceptions.h"
#include "StringList.h"
#include "WordListFile.h"

namespace {

// A private folder for the dictionary's files, removed when the run ends.
const std::string& Folder() {
    // Never destroyed: the removal at exit still needs the name.
    static const std::string* dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "word_list_fuzz-XXXXXX").string();
        auto* made = new std::string(::mkdtemp(tmpl.data()) ? tmpl : std::string());
        std::atexit([] {
            std::error_code ec;
            if (!Folder().empty()) std::filesystem::remove_all(Folder(), ec);
        });
        return made;
    }();
    return *dir;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    pem::TStringList lines;
    lines.SetText(text);
    const pem::TWordListEntries e = pem::ParseWordListLines(lines, {"INPT", "OTPT", "PROC", "????"});
    pem::FormatWordListLines(e.controlTags, e.nouns);

    std::vector<std::string> parts(3);
    size_t part = 0;
    for (char c : text) {
        if (c == '\0' && part < 2) ++part;
        else parts[part] += c;
    }
    const std::string base = Folder() + "/dict";
    Write(base + ".tdfall", parts[0]);
    Write(base + ".exceptions", parts[1]);
    Write(base + ".tdfc", parts[2]);
    std::vector<std::string> ticked;
    for (const std::string& c : e.controlTags) ticked.push_back(c);
    ticked.push_back("INPT data_base");
    try {
        pem::TDictionaryTerms d;
        d.ReadControlWords(base, ticked);
        for (const auto& t : d.SingleTerms()) d.FindSingleTerm(t.term);
    } catch (const pem::Exception&) {
    }
    return 0;
}
