// Fuzz target for what the report conversion and the statistics read from
// report text besides the XML parser itself: the project renames, the names
// made safe for files, the report dates, and the counter sums over any
// document. Any input must end normally or with the program's own
// exceptions; a crash, a sanitizer report or an unsafe file name is a
// finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Exceptions.h"
#include "MindraStatistics.h"
#include "ReportConversion.h"
#include "TessalyXML.h"

namespace {

void SumAll(const std::string& text) {
    try {
        auto doc = pem::TMyXMLNodeList::CreateFromText(text);
        try {
            pem::SumDefectCounters(*doc);
        } catch (const pem::Exception&) {
        }
        try {
            pem::SumChangeCounters(*doc);
        } catch (const pem::Exception&) {
        }
        // What the sums wrote must read back.
        auto again = pem::TMyXMLNodeList::CreateFromText(doc->AsText());
        (void)again;
    } catch (const pem::Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string safe = pem::SafeFileNamePart(text);
    for (size_t i = 0; i < safe.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(safe[i]);
        if (c == '/' || c == '\\' || c < 32 || c == 127) std::abort();
        if (c == '.' && i + 1 < safe.size() && safe[i + 1] == '.') std::abort();
    }

    try {
        pem::ParseReportDate(text.substr(0, 64));
    } catch (const pem::EConvertError&) {
    }

    SumAll(text);
    SumAll(pem::ProjectReportFixUps(text));
    return 0;
}
