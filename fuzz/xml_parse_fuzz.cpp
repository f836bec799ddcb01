// Fuzz target for the XML parser and writer. Any input must either parse or
// raise one of the parser's own exceptions; a crash, a hang, a sanitizer
// report, a level past the nesting limit or a disagreement between the
// one-pass clean parse and parse-then-clean is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Exceptions.h"
#include "TessalyXML.h"

namespace {

struct Outcome {
    bool ok = true;
    std::string message;
};

Outcome ParseInto(pem::TMyXMLNodeList& l, std::string_view text, bool clean) {
    Outcome o;
    try {
        l.Parse(text, clean);
    } catch (const pem::Exception& e) {
        o.ok = false;
        o.message = e.Message();
    }
    return o;
}

// A failed check names its line before aborting, so a finding says which
// property broke.
void CheckAt(bool condition, int line) {
    if (condition) return;
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}
#define Check(condition) CheckAt((condition), __LINE__)

// Walks, searches and edits driven by a few input bytes.
void Exercise(pem::TMyXMLNodeList& l, const uint8_t* data, size_t size) {
    if (l.Count() == 0) return;
    auto pick = [&](size_t k) { return size ? static_cast<int>(data[k % size]) : 0; };
    const int n = l.Count();
    const int at = pick(1) % n;
    pem::TMyXMLNode* node = l.NodeAt(at);
    (void)node->Text();
    (void)node->AttributePart();
    (void)l.NodeAttributes(at);
    (void)l.NodeRawTag(at);
    std::string attr = node->TagName.substr(0, 3);
    (void)node->GetAttribute(attr);
    (void)node->AttributeValues();
    try {
        (void)node->AsInteger();
    } catch (const pem::EConvertError&) {
    }
    try {
        (void)node->AsFloat();
    } catch (const pem::EConvertError&) {
    }

    l.SetCursor(pick(2) % n);
    (void)l.FindChild(node->Name());
    (void)l.NextSibling();
    (void)l.Next();
    (void)l.HasTag("*");
    (void)l.Locate("*", {attr, "x"});
    (void)l.Locate(node->Name(), {});
    (void)node->Locate("*", {});
    (void)l.AsText(at, pick(3) & 1);

    node->SetAttribute("k", "v\"<&");
    Check(node->GetAttribute("k") == "v\"<&");
    if (pick(4) & 1) l.SetUpperCaseMode(true);
    l.NamespaceMode = pick(5) & 1;
    (void)l.AsText(-1, true);
    if (l.IsClean) {
        l.SetCursor(pick(6) % n);
        auto sub = l.ExtractSubtree(at);
        Check(sub->Count() >= 1 && sub->NodeLevel(0) == 0);
        Check(l.Count() == 0 || (l.CursorIndex >= 0 && l.CursorIndex < l.Count()));
        (void)sub->AsText(-1, false);
        (void)l.AsText(-1, false);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    pem::TMyXMLNodeList raw, fused;
    Outcome r = ParseInto(raw, text, false);
    Outcome f = ParseInto(fused, text, true);
    Check(r.ok == f.ok && r.message == f.message);
    if (!r.ok) {
        Check(r.message.rfind("No matching tag found for ", 0) == 0 ||
              r.message.rfind("Elements nested deeper than ", 0) == 0 ||
              (r.message.rfind("Attribute \"", 0) == 0 && r.message.find("has no quoted value at line ") != std::string::npos));
        Check(raw.Count() == fused.Count());
        return 0;
    }
    for (int i = 0; i < raw.Count(); ++i) {
        // Elements stay within the limit; text inside the deepest is one below.
        const int limit = raw.NodeAt(i)->TagName.empty() ? pem::kMaxXMLDepth : pem::kMaxXMLDepth - 1;
        Check(raw.NodeLevel(i) <= limit);
    }

    // Both layouts of the raw list, then the clean pass against the one-pass parse.
    (void)raw.AsText(-1, true);
    std::string rawText = raw.AsText(-1, false);
    raw.CleanNow();
    Check(raw.Count() == fused.Count());
    Check(raw.AsText(-1, false) == fused.AsText(-1, false));
    for (int i = 0; i < fused.Count(); ++i) {
        const pem::TMyXMLNode& a = *raw.NodeAt(i);
        const pem::TMyXMLNode& b = *fused.NodeAt(i);
        Check(a.RawText == b.RawText && a.Value == b.Value && a.Level == b.Level && a.IsEmpty == b.IsEmpty &&
              a.Folded == b.Folded);
    }
    for (int i = 0; i < fused.Count(); ++i) Check(!fused.NodeAt(i)->TagName.empty() && fused.NodeAt(i)->Index == i);

    // What the writer wrote reads again (the raw layout keeps well-formed input well-formed).
    pem::TMyXMLNodeList again;
    Outcome a = ParseInto(again, rawText, false);
    (void)a;

    Exercise(fused, data, size);
    return 0;
}
