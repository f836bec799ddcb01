// The print dispatch with fake frames of each kind, a recording hard copy
// and the report layer's print hook: which road each frame takes, the file
// dialog of printing a file, and the relabelling of the print actions.
#include "Forms.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "PrintDispatch.h"
#include "ProjectContext.h"
#include "QtTestSupport.h"
#include "ReportPrinter.h"
#include "ResultTabRules.h"
#include "SimpleViewerFrame.h"
#include "ViewerTestContext.h"

#include <gtest/gtest.h>

using namespace pem;

namespace {

// The context of a COBOL job with its output in /work/out.
class Context : public pemtest::FakeProjectContext {
public:
    Context() {
        out = "/work/out";
        lang = "COB";
        fileViewStyle = 2;
        font = {"DejaVu Sans Mono", 1, 9, -12};
    }
};

class RecordingHardCopy : public IHardCopyPrinter {
public:
    void PrintHardCopy(const THardCopyJob& job) override { jobs.push_back(job); }
    std::vector<THardCopyJob> jobs;
};

using pemtest::RecordingDialogs;

// A frame printing its own text (deficiency, test case), a listing frame
// showing a file other than the one it opened (a specification tab on a
// source), and an editor that prints nothing.
class PrintableFrame : public TFrameViewerBase, public IPrintableFrame {
public:
    PrintableFrame(QWidget* parent, TRoute route, std::string shown)
        : TFrameViewerBase(nullptr, parent, "Fake"), route_(route), shown_(std::move(shown)) {
        view = new TListingView(this, this, "RichEditSourceView");
        view->SetText8("first line\nsecond line");
        FileName = "/work/out/Specs/A.txt";
    }
    TRoute PrintRoute() const override { return route_; }
    TListingView* PrintView() override { return view; }
    std::string PrintTitle() const override { return "A.def"; }
    std::string PrintFile() const override { return shown_; }
    TListingView* view;

private:
    TRoute route_;
    std::string shown_;
};

class PrintDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        SetDialogService(&dialogs);
        host = std::make_unique<TForm>("frmPrintHost");
        ctx.bar = new TMyStatusBar(host.get(), host.get(), "MyStB");
        SetReportPrintHook([this](const TReportDocument& d, const std::string& printer) {
            printed.push_back(d);
            printers.push_back(printer);
        });
        SetCurrentPrinterName("Laser");
    }
    void TearDown() override {
        SetCurrentPrinterName("");
        SetReportPrintHook(nullptr);
        host.reset();
        SetDialogService(nullptr);
    }
    Context ctx;
    RecordingHardCopy hardCopy;
    RecordingDialogs dialogs;
    pemtest::StatusRecorder recorder;
    std::unique_ptr<TForm> host;
    std::vector<TReportDocument> printed;
    std::vector<std::string> printers;
};

TEST_F(PrintDispatchTest, EachFrameTakesItsRoad) {
    pemtest::TempDir dir;
    pemtest::WriteFile(dir / "PAY.log", "log line\r\n");
    auto* simple = TFrameSimpleViewer::CreateForFile(nullptr, host->Client(), &ctx.font, dir / "PAY.log");
    auto* text = new PrintableFrame(host->Client(), IPrintableFrame::TRoute::TextView, "");
    auto* source = new PrintableFrame(host->Client(), IPrintableFrame::TRoute::HardCopy, "/work/src/A.COB");
    auto* editor = new PrintableFrame(host->Client(), IPrintableFrame::TRoute::None, "");
    auto* other = new TFrame(nullptr, host->Client(), "Other");
    struct Case {
        const char* what;
        TFrame* frame;
        bool preview;
        std::string hardCopyFile, hardCopyTitle; // "" none
        std::string textTitle;                  // "" none
    } cases[] = {
        {"no tab", nullptr, false, "", "", ""},
        {"simple viewer: its file", simple, true, dir / "PAY.log", "PAY.log", ""},
        {"tree frame on a source: the source", source, false, "/work/src/A.COB", "A.COB", ""},
        {"own text view: printed directly, preview ignored", text, true, "", "", "A.def"},
        {"XML editor: nothing", editor, true, "", "", ""},
        {"a frame of no listing: nothing", other, false, "", "", ""},
    };
    TPrintDispatch dispatch(ctx, hardCopy);
    for (const auto& c : cases) {
        hardCopy.jobs.clear();
        printed.clear();
        printers.clear();
        dispatch.PrintCurrent(c.frame, c.preview);
        if (c.hardCopyFile.empty()) {
            EXPECT_TRUE(hardCopy.jobs.empty()) << c.what;
        } else {
            ASSERT_EQ(hardCopy.jobs.size(), 1u) << c.what;
            const THardCopyJob& job = hardCopy.jobs[0];
            EXPECT_EQ(job.fileName, c.hardCopyFile) << c.what;
            EXPECT_EQ(job.title, c.hardCopyTitle) << c.what;
            EXPECT_EQ(job.preview, c.preview) << c.what;
            EXPECT_EQ(job.printerName, "Laser") << c.what;
            EXPECT_EQ(job.font.name, "DejaVu Sans Mono") << c.what;
        }
        if (c.textTitle.empty()) {
            EXPECT_TRUE(printed.empty()) << c.what;
        } else {
            ASSERT_EQ(printed.size(), 1u) << c.what;
            EXPECT_EQ(printed[0].title, c.textTitle);
            EXPECT_EQ(printers[0], "Laser");
            EXPECT_EQ(ReportPagesAsText(printed[0]), "first line\nsecond line\n");
        }
    }
}

TEST_F(PrintDispatchTest, PrintingAFileAsksWithTheResultFileDialog) {
    TOpenDialog dialog(host.get(), "OpenDialogWork");
    dialog.FileName = "left over";
    TPrintDispatch dispatch(ctx, hardCopy);
    dialogs.AnswerFiles({"/work/out/Defis/A.def"});
    EXPECT_TRUE(RunGuarded([&] { dispatch.PrintFile(&dialog, true); }));
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const TOpenDialogRequest& req = dialogs.openRequests[0];
    EXPECT_EQ(req.title, "Print a file");
    EXPECT_EQ(req.okCaption, "&Print file");
    EXPECT_EQ(req.cancelCaption, "&No, Dismiss");
    EXPECT_EQ(req.initialDir, "/work/out");
    EXPECT_EQ(req.fileName, "");
    EXPECT_TRUE(req.mustExist);
    const TResultDialogSetup general = ResultDialogSetup(TViewerDialog::General, "COB", 0);
    EXPECT_EQ(DialogFilterString(req.filters), general.filter);
    EXPECT_EQ(req.filterIndex, general.filterIndex);
    ASSERT_EQ(hardCopy.jobs.size(), 1u);
    EXPECT_EQ(hardCopy.jobs[0].fileName, "/work/out/Defis/A.def");
    EXPECT_EQ(hardCopy.jobs[0].title, "A.def");
    EXPECT_TRUE(hardCopy.jobs[0].preview);
    // Cancel ends the action on the status bar, and prints nothing.
    EXPECT_FALSE(RunGuarded([&] { dispatch.PrintFile(&dialog, false); }));
    EXPECT_TRUE(recorder.Has(TStatusRecord::Error, "Print cancelled"));
    EXPECT_EQ(hardCopy.jobs.size(), 1u);
}

TEST(PrintRelabel, CaptionsWithThePreviewSwitch) {
    struct Case {
        const char* caption;
        bool preview;
        const char* result;
    } cases[] = {
        {"&Print ", true, "&Preview "},
        {"Print a file(s)", true, "Preview a file(s)"},
        {"Select printer", true, "Select printer"},
        {"&Preview ", true, "&Preview "}, // on twice: unchanged
        {"&Preview ", false, "&Print "},
        {"Preview a file(s)", false, "Print a file(s)"},
        {"&Print ", false, "&Print "},
        {"Print Print ", true, "Preview Print "}, // the first only
        {"print this ", true, "print this "},     // letter case counts
        {"Print", true, "Print"},                 // "Print " with its blank
    };
    for (const auto& c : cases) EXPECT_EQ(PrintActionCaption(c.caption, c.preview), c.result) << c.caption;
}

TEST(PrintRelabel, EveryFormsPrintActionsButTheSwitch) {
    pemtest::EnsureQApp();
    TForm main("frmRelabelMain"), other("frmRelabelOther");
    auto* list = new TActionList(&main, "ActionListMain");
    auto* current = new TAction(list, "ActPrintCurrent", "&Print ", "Print");
    auto* file = new TAction(list, "ActPrintFile", "Print a file(s)", "Print");
    auto* printer = new TAction(list, "ActSelectPrinter", "Select printer", "Print");
    auto* toggle = new TAction(list, "ActPreviewBeforePrinting", "Print preview first ", "Print");
    auto* view = new TAction(list, "ActViewGeneral", "Print the general viewer ", "Viewer");
    // An action list further down, on a frame of the other form.
    auto* frame = new TFrame(&other, other.Client(), "FrameOther");
    auto* elsewhere = new TAction(new TActionList(frame, "ActionListFrame"), "ActPrintHere", "Print here", "Print");
    RelabelPrintActions(true, toggle);
    EXPECT_EQ(current->Caption(), "&Preview ");
    EXPECT_EQ(file->Caption(), "Preview a file(s)");
    EXPECT_EQ(printer->Caption(), "Select printer");
    EXPECT_EQ(toggle->Caption(), "Print preview first ");
    EXPECT_EQ(view->Caption(), "Print the general viewer ");
    EXPECT_EQ(elsewhere->Caption(), "Preview here");
    RelabelPrintActions(false, toggle);
    EXPECT_EQ(current->Caption(), "&Print ");
    EXPECT_EQ(elsewhere->Caption(), "Print here");
}

} // namespace
