#include "ViewerBaseFrame.h"

namespace pem {

TFrameViewerBase::TFrameViewerBase(TComponent* owner, QWidget* parent, const std::string& name,
                                   const char* className)
    : TFrame(owner, parent, name, className) {}

void TFrameViewerBase::SetFileName(const std::string& name) {
    FileName = name;
    FileDate = FileDateTime(name);
}

void TFrameViewerBase::SetViewerFont(const TFontSpec* font) { ViewerFont = font; }

void TFrameViewerBase::Print() {}

} // namespace pem
