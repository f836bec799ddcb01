#pragma once
// Printing the active result tab or a chosen file. Two roads: a frame that
// prints its own text view (deficiency and test case tabs) prints it
// directly on the current printer; every other listing frame, and a chosen
// file, goes to the hard copy, which the main window connects to the
// hard-copy report form (the viewers do not reach the report forms). The
// hard copy is previewed first when the preview switch is on; the text views
// ignore it.
#include "DialogService.h"
#include "ResultFrames.h"

#include <string>

namespace pem {

class TAction;
class TOpenDialog;
class TListingView;
class IProjectContext;

// One print through the hard copy.
struct THardCopyJob {
    std::string printerName; // the current printer ("" the system's default)
    TFontSpec font;          // the viewer font
    std::string title;       // the file's name without folder
    std::string fileName;    // whose lines are printed
    bool preview = false;    // preview first instead of printing
};

class IHardCopyPrinter {
public:
    virtual ~IHardCopyPrinter() = default;
    virtual void PrintHardCopy(const THardCopyJob& job) = 0;
};

// What printing a tab's frame comes to.
struct TPrintPlan {
    IPrintableFrame::TRoute route = IPrintableFrame::TRoute::None;
    TListingView* view = nullptr; // TextView: the view printed
    std::string title;            // the print job's title
    std::string fileName;         // HardCopy: the file printed
};
// A printable frame as it says; any other listing frame (the simple viewer)
// through the hard copy from its file; anything else (no frame, an XML
// editor) not at all.
TPrintPlan PrintPlanOf(TFrame* frame);

class TPrintDispatch {
public:
    TPrintDispatch(IProjectContext& context, IHardCopyPrinter& hardCopy) : ctx_(context), hardCopy_(hardCopy) {}

    // Prints the active tab's frame (none: nothing happens).
    void PrintCurrent(TFrame* frame, bool preview);
    // Asks for a result file with the window's result-file dialog and
    // prints it through the hard copy; Cancel ends with "Print cancelled".
    void PrintFile(TOpenDialog* dialog, bool preview);

private:
    void HardCopy(const std::string& fileName, const std::string& title, bool preview);
    IProjectContext& ctx_;
    IHardCopyPrinter& hardCopy_;
};

// The caption of a print action with the preview switch on ("Print " becomes
// "Preview ") or off (back again): the first occurrence only, letter case
// kept apart.
std::string PrintActionCaption(const std::string& caption, bool preview);

// Relabels every action of the "Print" category of every form, except the
// switch itself.
void RelabelPrintActions(bool preview, const TAction* except);

} // namespace pem
