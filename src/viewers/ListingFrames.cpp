#include "ListingFrames.h"

#include "DefiFrame.h"
#include "ResultTabs.h"
#include "SpecsFrame.h"
#include "SpecsFrameGer.h"
#include "SpecsFrameObj.h"

namespace pem {

void RegisterListingFrames(TResultTabs& tabs) {
    tabs.RegisterFrame(TResultFrameKind::Defi, [](const TFrameCreateArgs& a) { return TFrameDefi::CreateForFile(a); });
    tabs.RegisterFrame(TResultFrameKind::SpecsObj,
                       [](const TFrameCreateArgs& a) { return TFrameSpecsObj::CreateForFile(a); });
    tabs.RegisterFrame(TResultFrameKind::Specs,
                       [](const TFrameCreateArgs& a) { return TFrameSpecs::CreateForFile(a); });
    tabs.RegisterFrame(TResultFrameKind::SpecsGer,
                       [](const TFrameCreateArgs& a) { return TFrameSpecsGer::CreateForFile(a); });
}

} // namespace pem
