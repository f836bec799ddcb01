// Fuzz target for the text the rankings and the test plan read from the
// tools' results: a metrics report ranked, a deficiency listing counted and
// its report written, and a template filled from a use case listing and a
// test case listing. The input is cut into three parts at the first two NUL
// bytes. Any input must end normally or with the program's own exceptions;
// a crash or a sanitizer report is a finding.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "DefiRanking.h"
#include "Exceptions.h"
#include "ModuleRanking.h"
#include "RankingText.h"
#include "StringList.h"
#include "TestPlan.h"

namespace {

// A private folder for the files the routines read.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string tmpl = "/tmp/ranking_fuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data()) || ::mkdir((tmpl + "/sub").c_str(), 0700) != 0) std::abort();
        static std::string made = tmpl;
        std::atexit([] { std::filesystem::remove_all(made); });
        return tmpl + "/";
    }();
    return folder;
}

std::string Write(const std::string& name, const std::string& text) {
    const std::string path = Folder() + name;
    pem::WriteLinesLF(path, {text});
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t a = text.find('\0');
    const size_t b = a == std::string::npos ? std::string::npos : text.find('\0', a + 1);
    const std::string first = text.substr(0, a);
    const std::string second = a == std::string::npos ? std::string() : text.substr(a + 1, b - a - 1);
    const std::string third = b == std::string::npos ? std::string() : text.substr(b + 1);

    // The whole input as a metrics report and as a deficiency listing.
    try {
        const std::string report = Write("sub/report.met", text);
        pem::RankModules(Folder(), {report}, {});
    } catch (const pem::Exception&) {
    }
    pem::TDefiRanking ranking;
    ranking.CountListing(text);
    try {
        (void)ranking.ReportLines();
    } catch (const pem::EConvertError&) {
        std::abort();  // keys without two leading digits give the name layout, never a conversion error
    }

    // The parts as a template, a use case listing and a test case listing.
    try {
        pem::TStringList metrics;
        metrics.SetText(first);
        const pem::TTestPlanFigures figures = pem::TestPlanFigures(metrics);
        pem::TTestPlanJob job{Folder(), "product", "system", "template", {first.substr(0, 40)}};
        std::istringstream templ(first);
        std::ostringstream out;
        pem::WriteTestPlan(templ, out, job, figures, Write("system.use", second), Write("system.txt", third));
    } catch (const pem::Exception&) {
    }
    return 0;
}
