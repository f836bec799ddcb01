// Fuzz target for the texts the shell reads from outside: the product INI
// file (settings, language definitions and switches, limits) and the head of
// a job file. Any input must be read or refused with the program's own
// exception; a crash, a hang or a sanitizer report is a finding.
#include <cstdint>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "JobFile.h"
#include "LanguageSelection.h"
#include "ProductIni.h"
#include "StringList.h"

namespace {

template <class F>
void Guarded(F&& f) {
    try {
        f();
    } catch (const pem::Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    pem::TStringList lines;
    lines.SetText(text);

    // Product INI text.
    pem::TIniEnvironment env;
    env.locateDOSBox = [](bool use) { return use; };
    std::vector<pem::TIniProblem> problems;
    Guarded([&] { pem::ReadIniSettings(lines, env, problems); });
    for (const auto& p : problems) (void)p.Message();
    Guarded([&] {
        pem::TStringList copy = lines;
        unsigned char style = 0;
        pem::EnsureFileViewStyle(copy, 200000, style);
    });
    Guarded([&] { pem::LimitsBlock(lines); });
    Guarded([&] {
        pem::TStringList copy = lines;
        pem::StampDateWritten(copy, "01.02.2026 03:04:05");
    });
    Guarded([&] { pem::NumParamRows(lines); });

    // Every line read as a language definition, with its switches and
    // companion lines.
    for (int i = 0; i < lines.Count() && i < 64; ++i) {
        const std::string name = lines.Names(i);
        pem::TLanguageDefinition def;
        bool ok = false;
        Guarded([&] { ok = pem::ParseLanguageDefinition(name, lines.ValueFromIndex(i), def); });
        if (!ok) continue;
        std::vector<pem::TIniProblem> extraProblems;
        Guarded([&] { pem::ReadLanguageExtras(lines, def.Code, extraProblems); });
        Guarded([&] { pem::ReadLanguageCompanions(lines, def.Code); });
        Guarded([&] {
            std::vector<std::string> loops;
            pem::SubProcessorCodes(lines, def.Code, &loops);
        });
        Guarded([&] { pem::WordScanObjectTypes(lines, def.Code); });
        Guarded([&] { pem::CaptionOverrides(pem::IniValue(lines, def.Code + ".Captions")); });
        Guarded([&] { pem::SearchKeyNames(pem::IniValue(lines, def.Code + ".SearchKeys")); });
    }
    Guarded([&] { pem::CheckNumParamText(text.substr(0, 16)); });

    // Job file head, and what is written back from it reads the same.
    Guarded([&] {
        pem::TStringList limits;
        pem::TJobHead head = pem::ParseJobHead(lines, &limits);
        pem::TStringList out;
        pem::ComposeJobHead(head, out);
        pem::TJobHead again = pem::ParseJobHead(out, nullptr);
        if (again.MaxDirDepth != head.MaxDirDepth || again.SourceLinesInJob != head.SourceLinesInJob)
            __builtin_trap();
    });
    return 0;
}
