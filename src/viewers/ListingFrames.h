#pragma once
// The listing frames plug into the result tabs here: deficiency listings,
// module specification listings, post-documentation listings and plain
// (requirement text) listings.
namespace pem {

class TResultTabs;

void RegisterListingFrames(TResultTabs& tabs);

} // namespace pem
