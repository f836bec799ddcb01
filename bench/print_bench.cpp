// Times printing a long listing through the hard-copy report to PDF against
// enscript and ps2pdf on the same text in the same run, and saving an edited
// test case list:
//
//   print_bench [--megabytes M] [--runs R] [--cases N]
//
// Printing: a listing of M megabytes (default 50, about 9,000 pages) is made
// under $TMPDIR (or /tmp). Each side runs as a fresh process on a warm page
// cache, R times (default 3) alternated:
//   the hard copy    this program again with --hardcopy: the lines loaded into
//                    the hard-copy form in the viewer's default font, printed
//                    with no printer installed, so the PDF is written page by
//                    page as the program does it
//   the reference    enscript -B -M A4 -f Courier8 -p - FILE | ps2pdf - OUT
//                    (the same point size and paper as the hard copy)
// and min, median and max are printed with the ratio of the medians. Both
// PDFs must hold the same text: pdftotext reads each back and the lines,
// blanks collapsed, must be the listing's lines in order.
//
// Saving: a list of N test cases (default 100,000, with their page heads)
// with its ".CSV" and ".XML" companions and the metrics report; half the
// test cases are deleted in the editor frame, two lines at a time, then the
// save (listing, companions, count, the list shown anew) is timed, R times
// on fresh copies.
//
// Goals, judged on the medians with the load average beside them: the hard
// copy within 1.5x of the reference; the save under 1 s. The deleting is
// shown as information.
#include "BaseFileUtils.h"
#include "ListingView.h"
#include "MyStatusBar.h"
#include "PF_HardCopy.h"
#include "ProjectContext.h"
#include "ReportPrinter.h"
#include "SafeFiles.h"
#include "TestCaseViewerFrame.h"

#include "BenchVerdict.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace pem;

namespace {

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Seconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return Since(start);
}

struct Times {
    std::vector<double> t;
    double Median() {
        std::sort(t.begin(), t.end());
        return t[t.size() / 2];
    }
    void Print(const char* what) {
        const double m = Median();
        std::printf("%-24s min %8.3f s  median %8.3f s  max %8.3f s\n", what, t.front(), m, t.back());
    }
};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// ---- printing

// The hard-copy side, in its own process: the lines into the form, printed
// where no printer is installed (the PDF goes into the folder).
int HardCopyTo(const std::string& file, const std::string& folder) {
    int argc = 1;
    char name[] = "print_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    SetPrinterNamesProvider([] { return std::vector<std::string>{}; });
    SetReportEnvironment({[folder] { return folder; }, {}});
    TQRfrm_HardCopy form;
    form.Font = {"Lucida Console", 1, 8, -11}; // the viewer's default font
    form.ReportTitle = ExtractFileName(file);
    form.Items.SetText(ReadRegularFile(file));
    form.Print();
    return 0;
}

void MakeListing(const std::string& file, long bytes) {
    std::string text;
    text.reserve(static_cast<size_t>(bytes) + 200);
    for (long n = 1; static_cast<long>(text.size()) < bytes; ++n) {
        char line[128];
        std::snprintf(line, sizeof line, "%06ld       MOVE WS-FIELD-%06ld TO OUT-RECORD-FIELD-%06ld.     PAY%05ld\n",
                      n, n, n % 99991, n / 6000);
        text += line;
    }
    std::ofstream(file, std::ios::binary) << text;
}

// The lines of a text, blanks collapsed and empty lines left out.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::string out;
        bool blank = true;
        for (char c : line) {
            if (c == ' ' || c == '\t' || c == '\f' || c == '\r') {
                blank = true;
                continue;
            }
            if (blank && !out.empty()) out += ' ';
            blank = false;
            out += c;
        }
        if (out.empty()) continue;
        lines.push_back(out);
    }
    return lines;
}

std::vector<std::string> PdfWords(const std::string& pdf, const std::string& dir) {
    const std::string txt = dir + "/back.txt";
    Seconds("pdftotext -layout " + Quote(pdf) + " " + Quote(txt));
    std::ifstream in(txt, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return Words(s.str());
}

int PdfPages(const std::string& pdf) {
    const std::string cmd = "pdfinfo " + Quote(pdf) + " 2>/dev/null | awk '/^Pages:/ {print $2}'";
    FILE* p = ::popen(cmd.c_str(), "r");
    int pages = 0;
    if (p) {
        if (std::fscanf(p, "%d", &pages) != 1) pages = 0;
        ::pclose(p);
    }
    return pages;
}

void BenchPrinting(const std::string& self, const fs::path& dir, long megabytes, int runs) {
    if (std::system("command -v enscript >/dev/null && command -v ps2pdf >/dev/null && command -v pdftotext >/dev/null") != 0) {
        std::printf("printing: enscript, ps2pdf or pdftotext missing (scripts/deps installs them); skipped\n");
        return;
    }
    const std::string listing = (dir / "LISTING.TXT").string();
    const std::string ours = (dir / "LISTING.TXT.pdf").string();
    const std::string theirs = (dir / "reference.pdf").string();
    MakeListing(listing, megabytes * 1000 * 1000);
    const std::string ourCommand = Quote(self) + " --hardcopy " + Quote(listing) + " " + Quote(dir.string());
    // Both sides set 8-point monospaced type on A4 pages.
    const std::string refCommand =
        "enscript -q -B -M A4 -f Courier8 -p - " + Quote(listing) + " | ps2pdf -sPAPERSIZE=a4 - " + Quote(theirs);
    Seconds(ourCommand);
    Seconds(refCommand);
    Times a, b;
    for (int r = 0; r < runs; ++r) {
        a.t.push_back(Seconds(ourCommand));
        b.t.push_back(Seconds(refCommand));
    }
    std::ifstream in(listing, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::vector<std::string> expected = Words(s.str());
    const bool same = PdfWords(ours, dir.string()) == expected && PdfWords(theirs, dir.string()) == expected;
    std::printf("printing a %ld MB listing (%zu lines) to PDF\n", megabytes, expected.size());
    a.Print("hard copy");
    b.Print("enscript | ps2pdf");
    std::printf("%-24s %d and %d pages, %s\n", "", PdfPages(ours), PdfPages(theirs),
                same ? "the same text" : "DIFFERENT TEXT");
    if (!same) std::exit(1); // no verdict on different results
    JudgeFigure("hard copy, ratio of medians to enscript | ps2pdf", a.Median() / b.Median(), "x", 1.5);
    std::printf("\n");
}

// ---- saving a test case list

class BenchContext : public IProjectContext {
public:
    explicit BenchContext(std::string out) : out_(std::move(out)) {}
    std::string OutputDirectory() override { return out_; }
    std::string ProjectLanguageCode() override { return "TCS"; }
    bool ProjectLanguageInList(const std::string&) override { return false; }
    int ProjectProductKind() override { return 7; }
    int ProjectRunMode() override { return 4; }
    std::string ProjectSystemName() override { return "PAY"; }
    std::string ProjectTestToolLog() override { return {}; }
    int ProjectFileViewStyle() override { return 0; }
    TFontSpec& ProjectViewerFont() override { return font_; }
    std::string ProjectEditorProgram() override { return {}; }
    TMyStatusBar* ProjectStatusBar() override { return nullptr; }

private:
    std::string out_;
    TFontSpec font_{"Lucida Console", 1, 8, -11};
};

void MakeCases(const fs::path& out, int count) {
    fs::create_directories(out / "Cases");
    fs::create_directories(out / "Metrics");
    const std::string sep(82, '-');
    const std::string head = sep + "\r\nTestCase-Id  BaseType Requirement/Section/Use Case Title       Relation TestType\r\n" +
                             sep + "\r\n";
    std::string txt, csv = "\"Id\";\"Type\";\"Requirement\";\"Title\"\r\n", xml = "<TestFaelle>\r\n";
    int cases = 0;
    for (; cases < count; ++cases) {
        if (cases % 60 == 0) txt += head;
        char id[16], line[160];
        std::snprintf(id, sizeof id, "TC%06d", cases + 1);
        std::snprintf(line, sizeof line, "%-13sFunc     REQ-%d Case %d of the requirement            1:1      Positive\r\n",
                      id, cases / 7, cases);
        txt += line;
        csv += std::string("\"") + id + "\";\"Func\";\"REQ\";\"Case\"\r\n";
        xml += std::string("     <TestFall Id = \"") + id + "\">\r\n        <Titel>Case</Titel>\r\n     </TestFall>\r\n";
    }
    xml += "</TestFaelle>\r\n";
    std::ofstream(out / "Cases/PAY.txt", std::ios::binary) << txt;
    std::ofstream(out / "Cases/PAY.CSV", std::ios::binary) << csv;
    std::ofstream(out / "Cases/PAY.XML", std::ios::binary) << xml;
    std::ofstream(out / "Metrics/PAY.met", std::ios::binary)
        << "|       Number of Test Cases extracted           =======>" << cases << "     |\r\n";
}

void BenchSaving(const fs::path& dir, int cases, int runs) {
    int argc = 1;
    char name[] = "print_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Times save, del;
    int deleted = 0, left = 0, lines = 0;
    for (int r = 0; r < runs; ++r) {
        const fs::path out = dir / ("cases" + std::to_string(r));
        MakeCases(out, cases);
        BenchContext ctx(out.string());
        QWidget host;
        TFrameCreateArgs args{nullptr, &host, &ctx.ProjectViewerFont(), (out / "Cases/PAY.txt").string(), &ctx};
        TFrameTestCaseViewer* frame = TFrameTestCaseViewer::CreateForFile(args, {});
        lines = frame->List().LineCount();
        // Two lines selected in the view and deleted, two kept, from the end
        // up, until half the test cases are gone: 25,000 deletions. The
        // delete takes what the view shows selected.
        TListingView* view = frame->RichEditSourceView;
        auto start = std::chrono::steady_clock::now();
        for (int i = frame->List().LineCount() - 1; i > 0 && static_cast<int>(frame->List().UndoList().size()) < cases / 2;
             i -= 4) {
            const int from = view->LineStart(i - 1), to = view->LineStart(i + 1);
            view->SetSelection(from, (to < 0 ? view->document()->characterCount() - 1 : to) - from);
            frame->ActDeleteExecute(nullptr);
        }
        del.t.push_back(Since(start));
        deleted = static_cast<int>(frame->List().UndoList().size());
        start = std::chrono::steady_clock::now();
        frame->ActApplyExecute(frame->ActApply);
        save.t.push_back(Since(start));
        left = frame->List().LineCount();
        delete frame;
    }
    std::printf("saving a list of %d test cases (%d lines) after deleting %d of them (%d lines left)\n", cases,
                lines, deleted, left);
    del.Print("deleting in the frame");
    save.Print("saving with companions");
    // The save is judged only on the list it was meant to save.
    if (deleted < cases / 2) {
        std::printf("only %d of %d test cases were deleted: no verdict\n", deleted, cases / 2);
        std::exit(1);
    }
    ShowFigure("deleting in the frame, median", del.Median(), " s");
    JudgeFigure("saving with companions, median", save.Median(), " s", 1);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--hardcopy") == 0) return HardCopyTo(argv[2], argv[3]);
    long megabytes = 50;
    int runs = 3, cases = 100000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--megabytes") == 0) megabytes = std::atol(argv[i + 1]);
        else if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--cases") == 0) cases = std::atoi(argv[i + 1]);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/print_bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path dir = pattern;
    BenchSaving(dir, cases, runs);
    BenchPrinting(fs::canonical("/proc/self/exe").string(), dir, megabytes, runs);
    fs::remove_all(dir);
    return 0;
}
