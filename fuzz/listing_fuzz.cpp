// Fuzz target for the listing readers of the tree viewers: any text read as
// a module specification listing, a post-documentation listing, a
// deficiency listing (both duplicate rules) and a plain listing, with every
// section's and structure's entries and every grouping derived. Any input
// must end normally; a crash, a hang or a sanitizer report is a finding.
#include <cstdint>
#include <string>

#include "DefiListing.h"
#include "PostDocListing.h"
#include "SpecsListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = pem::SplitListingLines(text);

    const pem::TSpecsObjListing specs = pem::ReadSpecsObjListing(lines);
    (void)pem::SpecsObjSectionTree(specs);
    for (size_t d = 0; d < specs.descriptors.size(); ++d) {
        const auto memo = pem::SpecsObjSectionMemo(specs, static_cast<int>(d));
        (void)pem::FunctionReferenceNodes(memo);
        (void)pem::SectionEntryNodes(memo, specs.descriptors[d].kind);
        for (const auto& line : memo) {
            (void)pem::MemoSourceLine(line);
            (void)pem::FindReferenceInLine(line, line);
        }
    }
    (void)pem::PlainListingObjects(text);

    const pem::TPostDocListing post = pem::ReadPostDocListing(lines);
    (void)pem::PostDocStructureTree(post);
    for (size_t d = 0; d < post.descriptors.size(); ++d) {
        const auto memo = pem::PostDocStructureMemo(post, static_cast<int>(d));
        for (bool compressed : {false, true}) (void)pem::PostDocEntryNodes(memo, post.descriptors[d].kind, compressed);
        for (const auto& line : memo) (void)pem::PostDocEntrySourceLine(line, post.descriptors[d].kind);
    }

    for (bool refuse : {false, true}) {
        pem::TDefiListing defi = pem::ReadDefiListing(text, refuse);
        for (auto g : {pem::TDefiGrouping::BySource, pem::TDefiGrouping::ByLevel, pem::TDefiGrouping::ByRuleName})
            (void)pem::GroupDefis(defi, g);
        std::string stats;
        for (size_t s = 0; s < defi.sourceNames.size(); ++s)
            (void)pem::DefiStatistics(defi, static_cast<int>(s), stats);
    }
    return 0;
}
