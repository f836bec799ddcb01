#include "ResultFrames.h"

#include "SimpleViewerFrame.h"

namespace pem {

TResultFrameKind FrameKindOf(const TFrame* frame) {
    if (auto* r = dynamic_cast<const IResultFrame*>(frame)) return r->FrameKind();
    if (dynamic_cast<const TFrameSimpleViewer*>(frame)) return TResultFrameKind::SimpleViewer;
    return TResultFrameKind::Other;
}

TListingView* SearchViewOf(TFrame* frame) {
    if (auto* r = dynamic_cast<IResultFrame*>(frame)) return r->SearchView();
    if (auto* s = dynamic_cast<TFrameSimpleViewer*>(frame)) return s->RichEditSourceView;
    return nullptr;
}

} // namespace pem
