#include "ViewerBaseFrame.h"

#include "Forms.h"
#include "ListingView.h"
#include "MyStatusBar.h"

#include "ButtonRows.h"

#include <QAbstractButton>
#include <QMetaObject>
#include <algorithm>
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

const TFontSpec& TFrameViewerBase::FontForPrinting() const {
    static const TFontSpec defaultFont{"Lucida Console", 1, 8, -11};
    return ViewerFont ? *ViewerFont : defaultFont;
}

void TFrameViewerBase::ShowCaretLine(const TListingView* view, const std::string& fileName) {
    if (!StatusBar || !view) return;
    char buf[64];
    std::snprintf(buf, sizeof buf, "Line %d of %d in ", view->CaretLine() + 1, view->LineCount() + 1);
    StatusBar->ShowInfo(buf + fileName + " ");
}

void TFrameViewerBase::ArrangeButtonPanel(QWidget* panel, QWidget* label) {
    ArrangeButtonsRightAligned(panel);
    int h = 0, left = panel->width();
    for (auto* b : panel->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        if (b->isHidden()) continue;
        h = std::max(h, b->y() + b->height() + 4);
        left = std::min(left, b->x());
    }
    if (h > 0) panel->setFixedHeight(h);
    if (label) label->setGeometry(4, 0, std::max(0, left - 8), panel->height());
}

void TFrameViewerBase::PostCloseRequest() {
    QWidget* w = window();
    if (!dynamic_cast<TForm*>(w) && Application().MainForm()) w = Application().MainForm();
    QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
}

} // namespace pem
