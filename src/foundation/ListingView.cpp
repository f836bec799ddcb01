#include "ListingView.h"

#include "CharSet1252.h"
#include "DesktopServices.h"
#include "Exceptions.h"
#include "HandlerGuard.h"
#include "ListingPane.h"
#include "ListingText.h"
#include "QtText.h"
#include "ReportLayout.h"
#include "ReportPainter.h"
#include "ReportPrinter.h"
#include "SafeFiles.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace pem {

namespace {
// One turn of a fill: long enough that the view's own work between turns
// costs little, short enough that input and painting go on smoothly.
constexpr int kFillTurnMs = 30;
// Each read; small, so that a turn ends close to its time.
constexpr size_t kFillPiece = 64 * 1024;
} // namespace

// The state of a fill: the open file and the decoder between two turns.
struct TListingView::TFill {
    std::string fileName;
    int fd = -1;
    TListingDecoder decoder;
    std::string buffer = std::string(kFillPiece, '\0');
    QString piece;
    ~TFill() {
        if (fd >= 0) ::close(fd);
    }
};

ssize_t (*TListingView::ReadPiece)(int fd, void* buffer, size_t size) = ::read;

TListingView::TListingView(TComponent* owner, QWidget* parent, const std::string& name)
    : QPlainTextEdit(parent), TControl(this, owner, name, "TListingView") {
    AddToParentLayout(parent, this);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    // Keeps the caret visible and movable in the read-only text.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QObject::connect(this, &QPlainTextEdit::cursorPositionChanged, this,
                     [this] { FireEvent(OnSelectionChange, this); });
    fillTimer_ = new QTimer(this);
    fillTimer_->setInterval(0);
    QObject::connect(fillTimer_, &QTimer::timeout, this, [this] {
        RunGuarded([this] {
            if (fill_) FillTurn(kFillTurnMs);
        });
    });
}

// The fill's file closes with the view, whenever it is closed.
TListingView::~TListingView() = default;

void TListingView::StartLoadTextFile(const std::string& fileName) {
    if (HasUtf16LeMark(ReadFileHead(fileName, 2))) {
        SetText8(Utf16LeToAnsi(ReadFileBytes(fileName)));
        return;
    }
    StopFill();
    marks_.clear();
    setExtraSelections({});
    {
        const QSignalBlocker block(this);
        clear();
    }
    empty_ = true;
    ShowPane();
    auto fill = std::make_unique<TFill>();
    fill->fileName = fileName;
    fill->fd = OpenRegularFileOrRaise(Cp1252ToUtf8(fileName), fileName);
    // A byte gives at most one character; beyond a few hundred megabytes the
    // text grows as it comes instead.
    struct stat st {};
    if (::fstat(fill->fd, &st) == 0 && st.st_size > 0)
        pane_->Reserve(static_cast<qsizetype>(std::min<off_t>(st.st_size, off_t{256} << 20)));
    fill_ = std::move(fill);
    // The first piece now, a few screens of lines, so the tab opens with
    // text; a file that cannot be read at all raises to the caller from here.
    FillTurn(0);
    {
        const QSignalBlocker block(this);
        setTextCursor(QTextCursor(document()));
    }
    if (fill_) fillTimer_->start();
}

void TListingView::FinishFill() const {
    if (fill_) const_cast<TListingView*>(this)->FillTurn(-1);
}

void TListingView::StopFill() {
    fillTimer_->stop();
    fill_.reset();
}

void TListingView::FillTurn(int milliseconds) {
    TFill& f = *fill_;
    QElapsedTimer clock;
    clock.start();
    bool atEnd = false, failed = false;
    {
        const QSignalBlocker block(this);
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.beginEditBlock();
        do {
            const ssize_t n = ReadPiece(f.fd, f.buffer.data(), f.buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0) {
                f.decoder.Finish(f.piece);
                atEnd = true;
            } else {
                f.decoder.Decode(std::string_view(f.buffer.data(), static_cast<size_t>(n)), f.piece);
            }
            if (f.piece.isEmpty()) continue;
            if (pane_) pane_->Append(f.piece);
            else end.insertText(f.piece);
        } while (!atEnd && (milliseconds < 0 || clock.elapsed() < milliseconds));
        end.endEditBlock();
        if (pane_) pane_->Shown();
        if (f.decoder.AnyInput()) empty_ = false;
        // Text given to the view is its text as loaded, not a change of it.
        document()->setModified(false);
    }
    if (failed) {
        // What was read stays shown; the rest of the file is not.
        const std::string name = f.fileName;
        StopFill();
        throw EFileError("Can not read file " + name);
    }
    if (atEnd) {
        StopFill();
        FireEvent(OnFillDone, this);
    }
}

void TListingView::ShowPane() {
    if (pane_) {
        pane_->Clear();
        return;
    }
    pane_ = new TListingPane(this);
    pane_->setGeometry(rect());
    pane_->SetTabDistance(tabStopDistance());
    pane_->OnCaretMoved = [this] { FireEvent(OnSelectionChange, this); };
    const bool focused = hasFocus();
    setFocusProxy(pane_);
    pane_->show();
    pane_->raise();
    if (focused) pane_->setFocus();
}

void TListingView::HidePane() {
    if (!pane_) return;
    const bool focused = pane_->hasFocus();
    setFocusProxy(nullptr);
    delete pane_;
    pane_ = nullptr;
    if (focused) setFocus();
}

void TListingView::IntoDocument() {
    if (!pane_) return;
    FinishFill();
    const QString text = pane_->Text();
    const int anchor = pane_->Anchor(), caret = pane_->Caret();
    HidePane();
    const QSignalBlocker block(this);
    QTextCursor c(document());
    c.beginEditBlock();
    c.insertText(text);
    c.endEditBlock();
    document()->setModified(false);
    c.setPosition(anchor);
    c.setPosition(caret, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TListingView::resizeEvent(QResizeEvent* e) {
    QPlainTextEdit::resizeEvent(e);
    if (pane_) pane_->setGeometry(rect());
}

void TListingView::keyPressEvent(QKeyEvent* e) {
    // Keys given to the view itself (its focus goes to the pane) move the
    // pane's caret. Handled here, not sent on: a key the pane ignores comes
    // back to the view, its parent, and goes on from here.
    if (pane_) pane_->KeyPress(e);
    else QPlainTextEdit::keyPressEvent(e);
}

void TListingView::SetTabDistance(double distance) {
    setTabStopDistance(distance);
    if (pane_) pane_->SetTabDistance(distance);
}

void TListingView::Load(const std::function<bool(const TListingPieceProc&)>& decode) {
    StopFill();
    HidePane();
    marks_.clear();
    setExtraSelections({});
    const QSignalBlocker block(this);
    clear();
    QTextCursor end(document());
    end.beginEditBlock();
    empty_ = !decode([&end](const QString& piece) { end.insertText(piece); });
    end.endEditBlock();
    // Text given to the view is its text as loaded, not a change of it.
    document()->setModified(false);
    setTextCursor(QTextCursor(document()));
}

void TListingView::SetText8(std::string_view text) {
    Load([text](const TListingPieceProc& onPiece) { return DecodeListingText(text, onPiece); });
}

void TListingView::LoadFromFile(const std::string& fileName) {
    Load([&fileName](const TListingPieceProc& onPiece) { return ReadListingFile(fileName, onPiece); });
}

void TListingView::LoadTextFile(const std::string& fileName) {
    if (HasUtf16LeMark(ReadFileHead(fileName, 2))) SetText8(Utf16LeToAnsi(ReadFileBytes(fileName)));
    else LoadFromFile(fileName);
}

std::string TListingView::Text8() const {
    FinishFill();
    return FromQ(pane_ ? pane_->Text() : toPlainText());
}

void TListingView::Clear() { SetText8({}); }

int TListingView::LineCount() const {
    // The document always has one block; a view without text has no line.
    return empty_ ? 0 : pane_ ? pane_->LineCount() : document()->blockCount();
}

std::string TListingView::Line(int i) const {
    FinishFill();
    if (pane_) return FromQ(pane_->Line(i));
    QTextBlock b = document()->findBlockByNumber(i);
    return b.isValid() ? FromQ(b.text()) : std::string();
}

TStringList TListingView::Lines() const {
    FinishFill();
    TStringList list;
    const int n = LineCount();
    if (pane_) {
        for (int i = 0; i < n; ++i) list.Add(FromQ(pane_->Line(i)));
        return list;
    }
    QTextBlock b = document()->begin();
    for (int i = 0; i < n && b.isValid(); ++i, b = b.next()) list.Add(FromQ(b.text()));
    return list;
}

int TListingView::CaretLine() const {
    return pane_ ? pane_->LineOf(pane_->Caret()) : textCursor().blockNumber();
}

int TListingView::SelStart() const {
    return pane_ ? std::min(pane_->Caret(), pane_->Anchor()) : textCursor().selectionStart();
}

int TListingView::SelLength() const {
    if (pane_) return std::abs(pane_->Caret() - pane_->Anchor());
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TListingView::SetSelection(int start, int length) {
    FinishFill();
    if (pane_) {
        pane_->SetSelection(start, start + length); // clamped to the text
        return;
    }
    QTextCursor c(document());
    const int end = document()->characterCount() - 1;
    c.setPosition(std::clamp(start, 0, end));
    c.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

int TListingView::LineStart(int i) const {
    FinishFill();
    if (pane_) return i >= 0 && i < pane_->LineCount() ? pane_->LineStart(i) : -1;
    QTextBlock b = document()->findBlockByNumber(i);
    return b.isValid() ? b.position() : -1;
}

void TListingView::RemoveLines(std::vector<int> lines) {
    FinishFill();
    IntoDocument();
    std::sort(lines.begin(), lines.end(), std::greater<int>());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    if (lines.empty() || empty_) return;
    QTextCursor c(document());
    c.beginEditBlock();
    // From the back, a run of neighbouring lines at a time: the lines before
    // a run keep their places.
    for (size_t i = 0; i < lines.size();) {
        const int last = lines[i];
        int first = last;
        for (++i; i < lines.size() && lines[i] == first - 1; ++i) --first;
        const QTextBlock a = document()->findBlockByNumber(first);
        const QTextBlock b = document()->findBlockByNumber(last);
        if (!a.isValid() || !b.isValid()) continue;
        if (b.next().isValid()) {
            c.setPosition(a.position());
            c.setPosition(b.next().position(), QTextCursor::KeepAnchor);
        } else if (first > 0) {
            c.setPosition(a.position() - 1); // the line break before the run
            c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
        } else {
            c.select(QTextCursor::Document);
            empty_ = true;
        }
        c.removeSelectedText();
    }
    c.endEditBlock();
}

void TListingView::InsertLines(const std::vector<std::pair<int, std::string>>& lines) {
    if (lines.empty()) return;
    FinishFill();
    IntoDocument();
    QTextCursor c(document());
    c.beginEditBlock();
    for (const auto& [line, text] : lines) {
        const QString q = ListingToQString(text);
        if (empty_) {
            c.setPosition(0);
            c.insertText(q);
            empty_ = false;
        } else if (const QTextBlock b = document()->findBlockByNumber(line); b.isValid() && line >= 0) {
            c.setPosition(b.position());
            c.insertText(q + QChar('\n'));
        } else {
            c.movePosition(QTextCursor::End);
            c.insertText(QChar('\n') + q);
        }
    }
    c.endEditBlock();
}

int TListingView::FindText(const std::string& text, int from) const {
    if (text.empty()) return -1;
    FinishFill();
    if (pane_) return static_cast<int>(pane_->Text().indexOf(ToQ(text), std::max(0, from), Qt::CaseInsensitive));
    // Case is ignored unless asked for; the search walks the blocks, so a
    // large text is not copied.
    const QTextCursor hit = document()->find(ToQ(text), std::max(0, from));
    return hit.isNull() ? -1 : hit.selectionStart();
}

bool TListingView::ShowLine(int i, int linesAbove) {
    FinishFill();
    if (i < 0 || i >= LineCount()) return false;
    if (pane_) {
        // To the start of the next line; the last line, having none, to its end.
        const int end = i + 1 < pane_->LineCount() ? pane_->LineStart(i + 1)
                                                    : static_cast<int>(pane_->Text().size());
        pane_->SetSelection(pane_->LineStart(i), end);
        pane_->ScrollToLine(std::max(0, i - linesAbove));
        return true;
    }
    return MemoGotoLine(this, i, linesAbove);
}

void TListingView::AddMark(int start, int length, const QColor& color) {
    FinishFill();
    IntoDocument();
    QTextEdit::ExtraSelection sel;
    sel.cursor = QTextCursor(document());
    sel.cursor.setPosition(start);
    sel.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    sel.format.setForeground(color);
    marks_.append(sel);
    setExtraSelections(marks_);
}

void TListingView::ClearMarks() {
    marks_.clear();
    setExtraSelections({});
}

bool TListingView::SetViewerFont(const TFontSpec& font) {
    const QFont f = ViewerQFont(font);
    if (f == this->font()) return false;
    setFont(f);
    return true;
}

void TListingView::Print(const std::string& title, const TFontSpec& font) const {
    // Page by page straight from the text: a long listing is never copied
    // whole, nor held as pages.
    FinishFill();
    const TReportFont f = ReportFontOf(font);
    const TTextMeasure& m = QtTextMeasure();
    const TPageSetup setup;
    PrintReportPages(TextPagesHead(title, f, m, setup), [&](const TPageSink& sink) {
        TBandFlow flow(setup, title, {}, sink);
        const int n = LineCount();
        if (pane_) {
            for (int i = 0; i < n; ++i) AddTextLine(flow, FromQ(pane_->Line(i)), f, setup.Width(), m);
        } else {
            QTextBlock b = document()->begin();
            for (int i = 0; i < n && b.isValid(); ++i, b = b.next())
                AddTextLine(flow, FromQ(b.text()), f, setup.Width(), m);
        }
        flow.Finish();
    });
}

} // namespace pem
