#pragma once
// One painter for every output of the report layer: the pages of a report
// drawn on a printer, a PDF file, a preview page or a picture, all from the
// same page model.
#include "DialogService.h"
#include "ReportPages.h"

#include <QFont>
#include <QImage>
#include <memory>
#include <string>

class QPainter;
class QPagedPaintDevice;

namespace pem {

// The Qt font of a report font. A family the system lacks is replaced: the
// fixed-pitch families the program names ("Lucida Console", "Courier New" and
// their kind) by the system's fixed font, any other by the system's choice
// for that name. The report keeps the name it asked for.
QFont ReportQFont(const TReportFont& font);
// The screen font of a font chosen in the font dialog: its pixel height
// when it has one, else its point size; a missing family replaced as above.
QFont ViewerQFont(const TFontSpec& spec);
// The report font of a font chosen in the font dialog (its name kept).
TReportFont ReportFontOf(const TFontSpec& spec);

// Draws one page; the painter's device gives the scale (its resolution).
void PaintReportPage(QPainter& painter, const TReportPage& page);

// Draws every page on a paged device (a printer or a PDF writer), a new
// page between them. False when the device could not be painted on.
bool PaintReportDocument(QPagedPaintDevice& device, const TReportDocument& doc);

// Draws pages on a paged device one after another as they come, so that a
// long report is never held whole. The device is opened at the first page.
class TReportPagePainter {
public:
    explicit TReportPagePainter(QPagedPaintDevice& device);
    ~TReportPagePainter();
    // False when the device could not be painted on.
    bool Page(const TReportPage& page);
    // Closes the device (a report without pages gets one empty page).
    bool End();

private:
    QPagedPaintDevice& device_;
    std::unique_ptr<QPainter> painter_;
    bool ok_ = true;
    int pages_ = 0;
};

// The page as a white picture at that resolution (dots per inch).
QImage RenderReportPage(const TReportDocument& doc, int page, double dpi = 96);

} // namespace pem
