#pragma once
// The layout pass of the report layer: bands of a given height flow down
// the pages between the margins, a page header band (when there is one)
// opens every page, and a band that does not fit starts a new page. What a
// band holds is decided by the report form from its item index alone; the
// flow keeps no state of the form's. Text widths come from a measure, so the
// pass is a pure function of the items and the fonts.
#include "ReportPages.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

// Text widths and line heights in millimetres.
class TTextMeasure {
public:
    virtual ~TTextMeasure() = default;
    virtual double Width(const std::string& text, const TReportFont& font) const = 0;
    virtual double LineHeight(const TReportFont& font) const = 0;
};

// The measure of the fonts as the painter draws them (needs the GUI
// application object).
const TTextMeasure& QtTextMeasure();

struct TPageSetup {
    double pageWidth = 210, pageHeight = 297; // A4 portrait
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    bool frame = false; // a frame line around the area inside the margins

    double Left() const { return marginLeft; }
    double Right() const { return pageWidth - marginRight; }
    double Width() const { return Right() - Left(); }
    double Top() const { return marginTop; }
    double Bottom() const { return pageHeight - marginBottom; }
};

// One printed band: its height and what it shows. Positions are relative to
// the band's top (y) and to the page's left margin (x).
struct TBand {
    double height = 0;
    std::vector<TReportText> texts;
    std::vector<TReportLine> lines;
    // A heading: it goes to a new page with the band after it rather than
    // stand alone at the foot of a page.
    bool keepWithNext = false;
};

// Gives the page header band of a page (1-based page number); the page
// count is not known yet.
using TPageHeaderProc = std::function<TBand(int pageNumber)>;

// Receives each page as soon as it is complete; a flow with a sink keeps no
// page it has handed over, so a report of any length passes through one
// page at a time.
using TPageSink = std::function<void(const TReportPage& page)>;

class TBandFlow {
public:
    TBandFlow(const TPageSetup& setup, std::string title, TPageHeaderProc header = {}, TPageSink sink = {});

    // Places the band on the current page, or on a new one when it does not
    // fit below what is there (a band taller than a page gets a page of its
    // own and is cut at the bottom margin). A band kept with the next waits
    // for it; both start a new page when they do not fit together.
    void Add(const TBand& band);
    // Starts a new page now; the bands after it print there (a waiting
    // heading ends the page it was given for).
    void NewPage();
    // Pixels at 96 dots per inch in millimetres.
    static double Px(double pixels) { return pixels * 25.4 / 96.0; }

    int PageCount() const { return pageCount_; }
    // The document; with a sink, the last page goes to the sink and the
    // document comes back without pages.
    TReportDocument Finish();

private:
    void StartPage();
    void HandOver();
    void Place(const TBand& band, double top);
    void Put(const TBand& band);
    void PutWaiting();

    TPageSetup setup_;
    TPageHeaderProc header_;
    TPageSink sink_;
    TReportDocument doc_;
    int pageCount_ = 0;
    double y_ = 0;         // where the next band goes
    bool pageEmpty_ = true; // no band below the header yet
    std::vector<TBand> waiting_; // headings kept with the band to come
};

// The text with each TAB replaced by blanks up to the next multiple of
// eight columns.
std::string ExpandTabs(const std::string& text, int tabSize = 8);

// The text cut into lines no wider than width: at the last blank that
// fits, else (a word too long) at the last character that fits; at least one
// character per line. An empty text gives one empty line.
std::vector<std::string> WrapText(const std::string& text, double width, const TReportFont& font,
                                  const TTextMeasure& measure);

// A label of a band: one line of text in its box at (x, y) with the given
// width, as high as the font's line.
TReportText ReportLabel(double x, double y, double w, const std::string& text, const TReportFont& font,
                        const TTextMeasure& measure, TReportAlign align = TReportAlign::Left);

// A band holding one line of text across the width, as tall as the font's
// line.
TBand TextLineBand(std::string text, const TReportFont& font, double width, const TTextMeasure& measure);

// One line of text as bands: TABs expanded, wrapped to the width.
void AddTextLine(TBandFlow& flow, const std::string& line, const TReportFont& font, double width,
                 const TTextMeasure& measure);
// The pages of text lines, the text export's columns one character wide.
TReportDocument FinishTextPages(TBandFlow& flow, const TReportFont& font, const TTextMeasure& measure);
// The document of text pages without its pages: title, page size and the
// text export's columns, as FinishTextPages gives them.
TReportDocument TextPagesHead(const std::string& title, const TReportFont& font, const TTextMeasure& measure,
                              const TPageSetup& setup = {});

// Plain text lines as pages: TABs expanded, long lines wrapped, no header;
// what printing a text view gives.
TReportDocument LayoutPlainText(const std::vector<std::string>& lines, const TReportFont& font,
                                const std::string& title, const TTextMeasure& measure,
                                const TPageSetup& setup = {});

} // namespace pem
