#include "ReportPainter.h"

#include "CharSet1252.h"
#include "QtText.h"
#include "ReportLayout.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <mutex>

namespace pem {

namespace {

bool IsFixedPitchName(const std::string& name) {
    static const char* const kFixed[] = {"Lucida Console", "Courier New", "Courier", "Consolas", "Fixedsys",
                                         "Terminal", "Lucida Sans Typewriter"};
    for (const char* f : kFixed)
        if (SameText(name, f)) return true;
    return false;
}

QFont BaseFont(const std::string& name) {
    const QString family = ToQ(name);
    static std::mutex m;
    std::lock_guard<std::mutex> lock(m);
    if (QFontDatabase::hasFamily(family)) return QFont(family);
    if (IsFixedPitchName(name)) return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QFont f(family);
    return f;
}

double MmToDevice(const QPaintDevice* d) { return d->logicalDpiX() / 25.4; }
double MmToDeviceY(const QPaintDevice* d) { return d->logicalDpiY() / 25.4; }

// Widths measured on a resolution-independent scale: points of a font at
// 72 dpi are millimetres times 72 / 25.4.
class QtMeasure : public TTextMeasure {
public:
    double Width(const std::string& text, const TReportFont& font) const override {
        const QFontMetricsF& m = Metrics(font);
        // Every character of a fixed-pitch font is as wide as the others.
        if (fixedAdvance_ > 0) return static_cast<double>(text.size()) * fixedAdvance_ * kPxToMm;
        return m.horizontalAdvance(ToQ(text)) * kPxToMm;
    }
    double LineHeight(const TReportFont& font) const override { return Metrics(font).height() * kPxToMm; }

private:
    // Fonts are measured at ten times their size in pixels of a 96 dpi
    // device and scaled back, so that hinting does not round the widths.
    static constexpr double kScale = 10.0;
    static constexpr double kPxToMm = 25.4 / 96.0 / kScale;
    const QFontMetricsF& Metrics(const TReportFont& font) const {
        if (!cached_ || !(font == cachedFont_)) {
            QFont q = ReportQFont(font);
            q.setPixelSize(std::max(1, static_cast<int>(font.pointSize * 96.0 / 72.0 * kScale + 0.5)));
            q.setHintingPreference(QFont::PreferNoHinting);
            metrics_ = std::make_unique<QFontMetricsF>(q);
            cachedFont_ = font;
            cached_ = true;
            fixedAdvance_ = 0;
            if (QFontInfo(q).fixedPitch() && metrics_->horizontalAdvance(QStringLiteral("W")) ==
                                                 metrics_->horizontalAdvance(QStringLiteral("i")))
                fixedAdvance_ = metrics_->horizontalAdvance(QStringLiteral("0"));
        }
        return *metrics_;
    }
    mutable bool cached_ = false;
    mutable TReportFont cachedFont_;
    mutable std::unique_ptr<QFontMetricsF> metrics_;
    mutable double fixedAdvance_ = 0;
};

} // namespace

namespace {
template <class F>
QFont StyledFont(const F& f) {
    QFont q = BaseFont(f.name);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikeOut);
    return q;
}
} // namespace

QFont ReportQFont(const TReportFont& font) {
    QFont q = StyledFont(font);
    q.setPointSizeF(font.pointSize > 0 ? font.pointSize : 10);
    return q;
}

QFont ViewerQFont(const TFontSpec& spec) {
    QFont q = StyledFont(spec);
    if (spec.height != 0) q.setPixelSize(std::abs(spec.height));
    else q.setPointSize(spec.size > 0 ? spec.size : 10);
    return q;
}

TReportFont ReportFontOf(const TFontSpec& spec) {
    TReportFont f;
    f.name = spec.name;
    if (spec.size > 0) f.pointSize = spec.size;
    else if (spec.height != 0) f.pointSize = std::abs(spec.height) * 72.0 / 96.0;
    else f.pointSize = 10;
    f.bold = spec.bold;
    f.italic = spec.italic;
    f.underline = spec.underline;
    f.strikeOut = spec.strikeOut;
    return f;
}

const TTextMeasure& QtTextMeasure() {
    thread_local QtMeasure measure;
    return measure;
}

void PaintReportPage(QPainter& painter, const TReportPage& page) {
    const QPaintDevice* dev = painter.device();
    const double sx = MmToDevice(dev), sy = MmToDeviceY(dev);
    painter.save();
    // Filled boxes first, so that lines and texts stay on top of them.
    for (const auto& t : page.texts)
        if (t.background >= 0)
            painter.fillRect(QRectF(t.x * sx, t.y * sy, t.w * sx, t.h * sy),
                             QColor::fromRgb(static_cast<QRgb>(t.background)));
    for (const auto& l : page.lines) {
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, l.width * sx));
        painter.setPen(pen);
        painter.drawLine(QPointF(l.x1 * sx, l.y1 * sy), QPointF(l.x2 * sx, l.y2 * sy));
    }
    TReportFont current;
    bool haveFont = false;
    for (const auto& t : page.texts) {
        if (t.text.empty()) continue;
        if (!haveFont || !(t.font == current)) {
            painter.setFont(ReportQFont(t.font));
            current = t.font;
            haveFont = true;
        }
        painter.setPen(QColor::fromRgb(t.color));
        int align = Qt::AlignTop | Qt::TextSingleLine;
        switch (t.align) {
        case TReportAlign::Left: align |= Qt::AlignLeft; break;
        case TReportAlign::Center: align |= Qt::AlignHCenter; break;
        case TReportAlign::Right: align |= Qt::AlignRight; break;
        }
        // A left-aligned text may run past its box rather than be cut; the
        // others keep their box.
        const QRectF box(t.x * sx, t.y * sy, (t.align == TReportAlign::Left ? 1e6 : t.w) * sx, t.h * sy);
        painter.drawText(box, align, ToQ(t.text));
    }
    painter.restore();
}

bool PaintReportDocument(QPagedPaintDevice& device, const TReportDocument& doc) {
    TReportPagePainter painter(device);
    for (const auto& page : doc.pages)
        if (!painter.Page(page)) return false;
    return painter.End();
}

TReportPagePainter::TReportPagePainter(QPagedPaintDevice& device) : device_(device) {}

TReportPagePainter::~TReportPagePainter() {
    if (painter_ && painter_->isActive()) painter_->end();
}

bool TReportPagePainter::Page(const TReportPage& page) {
    if (!ok_) return false;
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        ok_ = painter_->begin(&device_);
    } else {
        ok_ = device_.newPage();
    }
    if (ok_) PaintReportPage(*painter_, page);
    ++pages_;
    return ok_;
}

bool TReportPagePainter::End() {
    if (!painter_ && !Page(TReportPage{})) return false;
    return ok_ && painter_->end();
}

QImage RenderReportPage(const TReportDocument& doc, int page, double dpi) {
    const int w = static_cast<int>(doc.pageWidth / 25.4 * dpi + 0.5);
    const int h = static_cast<int>(doc.pageHeight / 25.4 * dpi + 0.5);
    QImage img(w, h, QImage::Format_RGB32);
    img.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
    img.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    img.fill(Qt::white);
    if (page >= 0 && page < static_cast<int>(doc.pages.size())) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        PaintReportPage(p, doc.pages[static_cast<size_t>(page)]);
    }
    return img;
}

} // namespace pem
