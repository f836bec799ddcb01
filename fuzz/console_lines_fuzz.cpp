// Fuzz target for the console line assembly: the input is a tool's output,
// cut into chunks at the places its first bytes choose. Whatever the cut,
// the lines and the whole text must be those of the output read at once;
// no line and no carried part may pass the cut length, and the whole text
// must be the output with CR LF read as LF and every line ended. A crash, a
// sanitizer report or a failed check is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ToolOutputReader.h"

namespace {

using pem::TLineAssembler;

void Check(bool ok) {
    if (!ok) std::abort();
}

struct TResult {
    std::vector<std::string> lines;
    std::string whole;
};

TResult Assemble(std::string_view text, const std::vector<size_t>& cuts) {
    TLineAssembler a;
    TResult r;
    size_t at = 0;
    for (size_t cut : cuts) {
        const size_t end = std::min(text.size(), at + cut);
        a.Feed(text.substr(at, end - at), r.lines, &r.whole);
        Check(a.CarriedBytes() <= TLineAssembler::kMaxLineBytes);
        at = end;
    }
    a.Feed(text.substr(at), r.lines, &r.whole);
    std::string last;
    if (a.Finish(last, &r.whole)) r.lines.push_back(std::move(last));
    Check(!a.HasPartial() && a.CarriedBytes() == 0);
    return r;
}

// The whole text as the rules read: CR LF and LF end a line, a CR at the
// very end is dropped, a last line without end gets one.
std::string Expected(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' && i + 1 == text.size()) break;
        out += text[i];
    }
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte tells how many cut lengths follow (two bytes each).
    size_t at = 0;
    std::vector<size_t> cuts;
    if (size > 0) {
        const size_t n = data[0] % 16;
        at = 1;
        for (size_t i = 0; i < n && at + 2 <= size; ++i, at += 2) cuts.push_back(data[at] | (data[at + 1] << 8));
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + at, size - at);
    const TResult once = Assemble(text, {});
    const TResult cut = Assemble(text, cuts);
    Check(once.lines == cut.lines);
    Check(once.whole == cut.whole);
    Check(once.whole == Expected(text));
    for (const auto& l : once.lines) Check(l.size() <= TLineAssembler::kMaxLineBytes);
    return 0;
}
