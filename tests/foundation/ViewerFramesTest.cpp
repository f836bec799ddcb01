// The listing text roads, the simple viewer and the about box.
#include "AboutBoxDlg.h"
#include "CharSet1252.h"
#include "DragPlayer.h"
#include "Exceptions.h"
#include "FileFaults.h"
#include "Forms.h"
#include "ListingPane.h"
#include "ListingText.h"
#include "MyStatusBar.h"
#include "OleTimers.h"
#include "QtTestSupport.h"
#include "ReportPages.h"
#include "ReportPrinter.h"
#include "SharedRoutinesCommon.h"
#include "SimpleViewerFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace pem;

namespace {

std::string Utf16Le(const std::u16string& s, bool odd = false) {
    std::string b = "\xFF\xFE";
    for (char16_t c : s) {
        b += static_cast<char>(c & 0xFF);
        b += static_cast<char>(c >> 8);
    }
    if (odd) b += 'X'; // a stray last byte
    return b;
}

TEST(ListingText, LineEndsAndLineCountsWholeAndInPieces) {
    struct Case {
        const char* text;
        const char* shown;
        int lines;
    } cases[] = {
        {"", "", 0},
        {"a", "a", 1},
        {"a\r\nb\r\n", "a\nb", 2},
        {"a\nb", "a\nb", 2},
        {"a\rb\r", "a\nb", 2},
        {"a\r\n\r\n", "a\n", 2},
        {"\r\n", "", 1},
        {"a\r\r\nb", "a\n\nb", 3},
        {"caf\xE9 \x80", "caf\u00E9 \u20AC", 1},
    };
    pemtest::EnsureQApp();
    TListingView view(nullptr, nullptr, "RichEditSourceView");
    for (const auto& c : cases) {
        EXPECT_EQ(ListingToQString(c.text), QString::fromUtf8(c.shown)) << c.text;
        // Piece by piece, one byte at a time: a CR LF split between two
        // pieces is still one line end.
        TListingDecoder decoder;
        QString all, piece;
        for (const char* p = c.text; *p; ++p) {
            decoder.Decode(std::string_view(p, 1), piece);
            all += piece;
        }
        decoder.Finish(piece);
        EXPECT_EQ(all + piece, QString::fromUtf8(c.shown)) << c.text;
        view.SetText8(c.text);
        EXPECT_EQ(view.LineCount(), c.lines) << c.text;
        EXPECT_EQ(view.Text8(), Utf8ToCp1252(c.shown));
    }
}

TEST(ListingText, Utf16LeRoad) {
    struct Case {
        std::string bytes;
        std::string text;
    } cases[] = {
        {Utf16Le(u"Hello\r\nWorld"), "Hello\r\nWorld"},
        {Utf16Le(u"Hello", true), "Hello"},              // an odd byte count leaves no stray character
        {Utf16Le(u"caf\u00E9 \u20AC"), "caf\xE9 \x80"},   // Windows-1252 holds both
        {Utf16Le(u"\u0100\U0001F600!"), "?" "?!"},          // outside the code page: "?" (a pair counts once)
        {Utf16Le(u"\u00C3\u00A9"), "\xE9"},                // UTF-8 carried in 8-bit units folds
        {"\xFF\xFE", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf16LeToAnsi(c.bytes), c.text);
    EXPECT_TRUE(HasUtf16LeMark("\xFF\xFEx"));
    EXPECT_FALSE(HasUtf16LeMark("\xFE\xFFx"));
    EXPECT_THROW(ReadFileBytes("/nonexistent/file.txt"), EFileError);
}

// Every road that reads a listing refuses what is not a regular file at
// once, with its file error: nothing waits for the writer of a FIFO.
TEST(ListingText, OddFilesAreRefusedWithoutWaiting) {
    pemtest::EnsureQApp();
    pemtest::TempDir dir;
    TListingView view(nullptr, nullptr, "RichEditSourceView");
    const struct {
        const char* what;
        std::function<void(const std::string&)> read;
    } roads[] = {
        {"bytes", [](const std::string& f) { ReadFileBytes(f); }},
        {"head", [](const std::string& f) { ReadFileHead(f, 2); }},
        {"pieces", [](const std::string& f) { ReadListingFile(f, [](const QString&) {}); }},
        {"view", [&view](const std::string& f) { view.LoadTextFile(f); }},
        {"view filled in turns", [&view](const std::string& f) { view.StartLoadTextFile(f); }},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.what);
        pemtest::FifoPlant fifo(dir / "listing.lst");
        ASSERT_TRUE(fifo.Made());
        for (const std::string& odd : {dir / "listing.lst", dir.Path()})
            EXPECT_EQ(pemtest::MessageOf<EFileError>([&] { road.read(odd); }),
                      "Can not open file " + odd + ": not a regular file");
        EXPECT_FALSE(fifo.Done()) << "the read waited on the FIFO";
        std::filesystem::remove(dir / "listing.lst");
    }
}

class SimpleViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        host = std::make_unique<TFrame>(nullptr, nullptr, "host");
        host->resize(600, 400);
        bar = new TMyStatusBar(host.get(), host.get(), "MyStB");
    }
    TFrameSimpleViewer* Open(const std::string& name, const std::string& content) {
        pemtest::WriteFile(dir / name, content);
        auto* v = TFrameSimpleViewer::CreateForFile(host.get(), host.get(), &font, dir / name);
        v->StatusBar = bar;
        return v;
    }
    pemtest::TempDir dir;
    pemtest::StatusRecorder recorder;
    std::unique_ptr<TFrame> host;
    TMyStatusBar* bar = nullptr;
    TFontSpec font{"Lucida Console", 1, 8, -11};
};

TEST_F(SimpleViewerTest, Utf16LeFileShowsAsEightBitText) {
    auto* v = Open("u.txt", Utf16Le(u"line one\r\nline \u00E9\r\n", true));
    EXPECT_EQ(v->RichEditSourceView->Text8(), "line one\nline \xE9");
    EXPECT_EQ(v->RichEditSourceView->LineCount(), 2);
    EXPECT_EQ(v->FileName, dir / "u.txt");
    EXPECT_NE(v->FileDate, 0);
}

TEST_F(SimpleViewerTest, XmlIsIndentedWithTabStopsOtherFilesStayAsTheyAre) {
    const std::string xml = "<a>\r\n<b x=\"1\">text</b>\r\n<c/>\r\n</a>\r\n";
    auto* x = Open("doc.XML", xml);
    EXPECT_EQ(x->RichEditSourceView->Lines()[1].substr(0, 1), "\t");
    EXPECT_GT(x->RichEditSourceView->tabStopDistance(), 0);
    EXPECT_EQ(x->RichEditSourceView->Text8().find("\t<b x=\"1\">"), x->RichEditSourceView->Text8().find('\t'));
    auto* t = Open("doc.txt", xml);
    EXPECT_EQ(t->RichEditSourceView->Text8(), "<a>\n<b x=\"1\">text</b>\n<c/>\n</a>");
    // A file that does not parse raises after its plain text was shown; a
    // missing file raises the file error.
    auto* bad = new TFrameSimpleViewer(host.get(), host.get(), "bad");
    pemtest::WriteFile(dir / "bad.wsdl", "<a>\r\n</b>\r\n");
    EXPECT_ANY_THROW(bad->LoadFile(dir / "bad.wsdl"));
    EXPECT_EQ(bad->RichEditSourceView->Text8(), "<a>\n</b>");
    EXPECT_THROW(bad->LoadFile(dir / "none.txt"), EFileError);
}

TEST_F(SimpleViewerTest, CaretLineOnTheStatusBar) {
    std::string ten;
    for (int i = 1; i <= 10; ++i) ten += "line " + std::to_string(i) + "\r\n";
    auto* v = Open("ten.txt", ten);
    v->RichEditSourceView->SetSelection(v->RichEditSourceView->LineStart(2) + 1, 0);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "Line 3 of 11 in " + dir / "ten.txt" + " "));
}

TEST_F(SimpleViewerTest, CaretLineWhileABigListingFillsCountsTheLinesShownThenAll) {
    std::string big;
    char buf[80];
    for (int i = 0; i < 100000; ++i) {
        std::snprintf(buf, sizeof buf, "%06d   MOVE WS-A TO WS-B.   *> a line of a big listing %08d\r\n", i, i);
        big += buf;
    }
    auto* v = Open("big.txt", big);
    TListingView* view = v->RichEditSourceView;
    ASSERT_TRUE(view->Filling());
    // The caret moved by the keyboard, as the user does while the text comes in.
    for (int i = 0; i < 2; ++i) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(view, &down);
    }
    const int shown = view->LineCount();
    ASSERT_LT(shown, 100000);
    const std::string file = dir / "big.txt";
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "Line 3 of " + std::to_string(shown + 1) + " in " + file + " "));
    for (int i = 0; i < 6000 && view->Filling(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(view->Filling());
    // Once all is in, the status line gives the whole count.
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "Line 3 of 100001 in " + file + " "));
    EXPECT_EQ(view->CaretLine(), 2);
}

namespace {
void Key(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(to, &press);
}
void Mouse(QWidget* to, QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, to->mapToGlobal(at), button, held, mods);
    QApplication::sendEvent(to, &e);
}
} // namespace

// A plain listing is shown by the pane that paints the lines in sight: the
// user reads it with the mouse and the keys, the status bar follows, and
// copying and printing take the text the pane holds.
TEST_F(SimpleViewerTest, APlainListingIsReadWithMouseAndKeysCopiedAndPrinted) {
    std::string text;
    for (int i = 1; i <= 200; ++i) text += (i == 4 ? std::string("short") : "line " + std::to_string(i) + " caf\xE9 text") + "\r\n";
    host->show();
    auto* v = Open("many.txt", text);
    v->resize(500, 300);
    TListingView* view = v->RichEditSourceView;
    for (int i = 0; i < 100 && view->Filling(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(view->Filling());
    TListingPane* pane = view->Pane();
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->geometry(), view->rect());
    QWidget* area = pane->viewport();
    const int h = QFontMetrics(pane->font()).lineSpacing();
    const std::string file = dir / "many.txt";

    // A click on the third line puts the caret there; shift+End selects to
    // its end, and the copy takes the selected text.
    Mouse(area, QEvent::MouseButtonPress, {6, 4 + 2 * h + h / 2});
    Mouse(area, QEvent::MouseButtonRelease, {6, 4 + 2 * h + h / 2});
    EXPECT_EQ(view->CaretLine(), 2);
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "Line 3 of 201 in " + file + " "));
    Key(view, Qt::Key_Home);
    Key(view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view->SelStart(), view->LineStart(2));
    EXPECT_EQ(view->SelLength(), static_cast<int>(view->Line(2).size()));
    Key(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("line 3 caf\u00E9 text"));
    // Keys the pane has no use for go on to the windows around it.
    Key(pane, Qt::Key_Escape);
    Key(view, Qt::Key_F5);
    EXPECT_EQ(view->SelLength(), static_cast<int>(view->Line(2).size()));
    // Down keeps the column as far as a shorter line reaches.
    Key(view, Qt::Key_Down);
    EXPECT_EQ(view->SelLength(), 0);
    EXPECT_EQ(view->SelStart(), view->LineStart(3) + 5);
    // A drag with the mouse selects from the press to where it is let go.
    Mouse(area, QEvent::MouseButtonPress, {4, 4 + h / 2});
    Mouse(area, QEvent::MouseMove, {4, 4 + 3 * h + h / 2});
    Mouse(area, QEvent::MouseButtonRelease, {4, 4 + 3 * h + h / 2});
    EXPECT_EQ(view->SelStart(), 0);
    EXPECT_EQ(view->SelLength(), view->LineStart(3));
    // A double click selects the word; the context menu selects all.
    const int x = 4 + QFontMetrics(pane->font()).horizontalAdvance("line 1 ca");
    Mouse(area, QEvent::MouseButtonPress, {x, 4 + h / 2});
    Mouse(area, QEvent::MouseButtonRelease, {x, 4 + h / 2});
    Mouse(area, QEvent::MouseButtonDblClick, {x, 4 + h / 2});
    EXPECT_EQ(view->SelStart(), 7);
    EXPECT_EQ(view->SelLength(), 4);
    QContextMenuEvent menuAt(QContextMenuEvent::Mouse, {x, 4}, area->mapToGlobal(QPoint(x, 4)));
    QApplication::sendEvent(area, &menuAt);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* all = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == "Select All") all = a;
    ASSERT_NE(all, nullptr);
    all->trigger();
    menu->close();
    EXPECT_EQ(view->SelLength(), static_cast<int>(view->Text8().size()));
    // The end of the text scrolls it into sight, the start back.
    QScrollBar* bar = pane->verticalScrollBar();
    Key(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->CaretLine(), 199);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(recorder.Has(TStatusRecord::Info, "Line 200 of 201 in " + file + " "));
    Key(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
    // A line shown from a search lands below the top, selected.
    ASSERT_TRUE(view->ShowLine(150, 3));
    EXPECT_EQ(bar->value(), 147);
    EXPECT_EQ(view->SelStart(), view->LineStart(150));
    EXPECT_EQ(view->SelLength(), view->LineStart(151) - view->LineStart(150));

    // Printing takes every line.
    std::vector<TReportDocument> printed;
    SetReportPrintHook([&](const TReportDocument& d, const std::string&) { printed.push_back(d); });
    v->BitBtnPrint->click();
    SetReportPrintHook(nullptr);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].title, "many.txt");
    std::string expected = text;
    expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
    std::string pages = ReportPagesAsText(printed[0]);
    EXPECT_EQ(std::count(pages.begin(), pages.end(), '\f'), 2); // three pages
    pages.erase(std::remove(pages.begin(), pages.end(), '\f'), pages.end());
    EXPECT_EQ(pages, expected);
}

// Marking or changing a text the pane holds moves it into the document
// with caret and selection, so nothing of it is lost.
TEST_F(SimpleViewerTest, MarkingAListingThePaneHoldsMovesItIntoTheDocument) {
    auto* v = Open("m.txt", "alpha\r\nbeta\r\ngamma\r\n");
    TListingView* view = v->RichEditSourceView;
    ASSERT_NE(view->Pane(), nullptr);
    view->SetSelection(7, 3);
    view->AddMark(0, 5, QColor(Qt::red));
    EXPECT_EQ(view->Pane(), nullptr);
    EXPECT_EQ(view->Text8(), "alpha\nbeta\ngamma");
    EXPECT_EQ(view->LineCount(), 3);
    EXPECT_EQ(view->SelStart(), 7);
    EXPECT_EQ(view->SelLength(), 3);
    EXPECT_EQ(view->CaretLine(), 1);
    EXPECT_FALSE(view->document()->isModified());
    view->RemoveLines({0});
    EXPECT_EQ(view->Text8(), "beta\ngamma");
    // The next plain file is held by a pane again.
    v->LoadFile(dir / "m.txt");
    ASSERT_NE(view->Pane(), nullptr);
    EXPECT_EQ(view->Text8(), "alpha\nbeta\ngamma");
}

TEST_F(SimpleViewerTest, FontIsTakenOnlyWhenItDiffersAndCloseAsksTheWindow) {
    auto* v = Open("a.txt", "a\r\n");
    EXPECT_EQ(v->RichEditSourceView->font().pixelSize(), 11);
    TFontSpec other{"Courier New", 1, 12, -16};
    v->SetViewerFont(&other);
    EXPECT_EQ(v->RichEditSourceView->font().pixelSize(), 16);
    EXPECT_EQ(v->ViewerFont, &other);
    // The close button asks the window to close once the click is over.
    TForm window("frmW");
    auto* inWindow = TFrameSimpleViewer::CreateForFile(&window, window.Client(), &font, dir / "a.txt");
    bool asked = false;
    window.OnCloseQuery = [&](TComponent*, bool& canClose) {
        asked = true;
        canClose = false;
    };
    window.show();
    inWindow->BitBtnClose->click();
    EXPECT_FALSE(asked);
    QApplication::processEvents();
    EXPECT_TRUE(asked);
}

// A press on the button panel, then a move away once 200 ms have passed:
// the viewed file is dragged into a file manager's folder.
TEST_F(SimpleViewerTest, ThePanelDragsTheViewedFileOut) {
    TFakeClock clock;
    pemtest::ScopedDialogs dialogs;
    host->show();
    // On disk the name is UTF-8; the program holds it in Windows-1252.
    pemtest::WriteFile(dir / "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC.txt", "text\r\n");
    const std::string name = dir / "Gr\xFC\xDF" "e \x80.txt";
    auto* v = TFrameSimpleViewer::CreateForFile(host.get(), host.get(), &font, name);
    v->resize(400, 300);
    QApplication::processEvents();
    pemtest::FileManagerStandIn folder;
    pemtest::LoopbackDrags loop(&folder);
    std::vector<TDragResult> results;
    v->DropFileSourceKorvex->OnAfterDrop = [&](TCustomDropSource*, TDragResult r, bool) { results.push_back(r); };
    TPanel* panel = v->PanelSimpleViewer;
    auto mouse = [panel](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, panel->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(panel, &e);
    };
    auto pressAndMove = [&] {
        QTimer::singleShot(0, [&] {
            clock.Advance(250);
            mouse(QEvent::MouseMove, {60, 10}, Qt::LeftButton);
        });
        mouse(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, {60, 10}, Qt::NoButton);
    };

    pressAndMove();
    EXPECT_EQ(results, std::vector<TDragResult>{drDropCopy});
    ASSERT_EQ(folder.dropped.size(), 1u);
    EXPECT_EQ(folder.dropped[0],
              QUrl::fromLocalFile(QString::fromStdString(Cp1252ToUtf8(name))).toEncoded() + "\r\n");
    EXPECT_EQ(loop.supported, Qt::CopyAction);
    EXPECT_EQ(loop.pixmap, panel->size()); // a picture of the panel, not of the text
    EXPECT_TRUE(dialogs->Messages().empty());

    // A modified text is to be saved first: a warning with the bare name,
    // and no drag.
    v->RichEditSourceView->document()->setModified(true);
    pressAndMove();
    EXPECT_EQ(dialogs->Messages(),
              std::vector<std::string>{"Gr\xFC\xDF" "e \x80.txt was modified, you have to save it before copying! "});
    EXPECT_EQ(loop.drags, 1);
    EXPECT_EQ(folder.dropped.size(), 1u);
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        pemtest::EnsureQApp();
        SetDialogService(&dialogs);
        dialogs.modalHook = [this](QDialog* d) {
            auto* f = dynamic_cast<TfrmAbout*>(d);
            ASSERT_NE(f, nullptr);
            memoShown = !f->Memo1->isHidden();
            memo = f->Memo1->Text();
            memoHeight = f->Memo1->height();
            left = f->Memo1->document()->defaultTextOption().alignment() == Qt::AlignLeft;
            title = f->windowTitle().toStdString();
            pgmTitle = f->lblPgmTitle->Caption();
            version = f->lblFileVer->Caption();
            built = f->lblBuildDateTime->Caption();
            centred = std::abs(f->pnlPgmTitle->x() + f->pnlPgmTitle->width() / 2 - f->width() / 2) <= 1 &&
                      f->pnlPgmTitle->width() == f->lblPgmTitle->width() + 10;
            if (pressOk) f->btnOK->click();
        };
    }
    void TearDown() override { SetDialogService(nullptr); }
    ScriptedDialogService dialogs;
    bool pressOk = true, memoShown = false, left = false, centred = false;
    std::string memo, title, pgmTitle, version, built;
    int memoHeight = 0;
};

TEST_F(AboutBoxTest, ContentHeadingAndTitle) {
    TAboutBoxDlg about(nullptr, "AboutBoxDlg1");
    struct Case {
        std::string content;
        bool shown, left;
        std::string text;
        int height;
    } cases[] = {
        {"", false, false, "", 0},
        {"Tool root directory : \r\n/opt/tools", true, false, "Tool root directory : \r\n/opt/tools\r\n", 38},
        {"@left aligned text@", true, true, "left aligned text\r\n", 19},
    };
    for (const auto& c : cases) {
        about.MemoContent = c.content;
        EXPECT_TRUE(about.Execute());
        EXPECT_EQ(memoShown, c.shown) << c.content;
        if (!c.shown) continue;
        EXPECT_EQ(memo, c.text);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(memoHeight, c.height);
    }
    EXPECT_EQ(version, "File Version: " + GetVersionInfoValue("FileVersion"));
    EXPECT_EQ(pgmTitle, GetVersionInfoValue("ProductName"));
    EXPECT_EQ(built.rfind("Built on: ", 0), 0u);
    EXPECT_TRUE(centred);
    about.Heading = "About the shell";
    about.PgmTitle = "Korvex";
    pressOk = false;
    dialogs.AnswerModal(mrCancel);
    EXPECT_FALSE(about.Execute());
    EXPECT_EQ(title, "About the shell");
    EXPECT_EQ(pgmTitle, "Korvex");
}

TEST(AboutBox, BuildDateUsesEnglishNamesWhateverTheLocale) {
    const char* old = std::setlocale(LC_TIME, nullptr);
    std::string saved = old ? old : "C";
    std::setlocale(LC_TIME, "de_DE.UTF-8"); // may be missing; the names must not depend on it
    std::tm tm{};
    tm.tm_year = 2024 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 5;
    tm.tm_hour = 14;
    tm.tm_min = 3;
    tm.tm_sec = 9;
    tm.tm_isdst = -1;
    EXPECT_EQ(FormatBuildDateTime(std::mktime(&tm)), "2024 March 05,Tuesday 14:03:09");
    std::setlocale(LC_TIME, saved.c_str());
}

} // namespace
