#include "ViewerBaseFrame.h"

#include "Forms.h"
#include "ListingView.h"
#include "MyStatusBar.h"

#include <QMetaObject>
#include <cstdio>

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

void TFrameViewerBase::ShowCaretLine(const TListingView* view, const std::string& fileName) {
    if (!StatusBar || !view) return;
    char buf[64];
    std::snprintf(buf, sizeof buf, "Line %d of %d in ", view->CaretLine() + 1, view->LineCount() + 1);
    StatusBar->ShowInfo(buf + fileName + " ");
}

void TFrameViewerBase::PostCloseRequest() {
    QWidget* w = window();
    if (!dynamic_cast<TForm*>(w) && Application().MainForm()) w = Application().MainForm();
    QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
}

} // namespace pem
