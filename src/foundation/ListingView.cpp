#include "ListingView.h"

#include "DesktopServices.h"
#include "ListingText.h"
#include "QtText.h"
#include "ReportLayout.h"
#include "ReportPainter.h"
#include "ReportPrinter.h"

#include <QTextBlock>
#include <algorithm>
#include <QTextCursor>
#include <QTextDocument>


namespace pem {

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
}

void TListingView::Load(const std::function<bool(const TListingPieceProc&)>& decode) {
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

std::string TListingView::Text8() const { return FromQ(toPlainText()); }

void TListingView::Clear() { SetText8({}); }

int TListingView::LineCount() const {
    // The document always has one block; a view without text has no line.
    return empty_ ? 0 : document()->blockCount();
}

std::string TListingView::Line(int i) const {
    QTextBlock b = document()->findBlockByNumber(i);
    return b.isValid() ? FromQ(b.text()) : std::string();
}

TStringList TListingView::Lines() const {
    TStringList list;
    const int n = LineCount();
    QTextBlock b = document()->begin();
    for (int i = 0; i < n && b.isValid(); ++i, b = b.next()) list.Add(FromQ(b.text()));
    return list;
}

int TListingView::CaretLine() const { return textCursor().blockNumber(); }

int TListingView::SelStart() const { return textCursor().selectionStart(); }

int TListingView::SelLength() const {
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TListingView::SetSelection(int start, int length) {
    QTextCursor c(document());
    const int end = document()->characterCount() - 1;
    c.setPosition(std::clamp(start, 0, end));
    c.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

int TListingView::LineStart(int i) const {
    QTextBlock b = document()->findBlockByNumber(i);
    return b.isValid() ? b.position() : -1;
}

void TListingView::RemoveLines(std::vector<int> lines) {
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
    // Case is ignored unless asked for; the search walks the blocks, so a
    // large text is not copied.
    const QTextCursor hit = document()->find(ToQ(text), std::max(0, from));
    return hit.isNull() ? -1 : hit.selectionStart();
}

bool TListingView::ShowLine(int i, int linesAbove) {
    if (i < 0 || i >= LineCount()) return false;
    return MemoGotoLine(this, i, linesAbove);
}

void TListingView::AddMark(int start, int length, const QColor& color) {
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
    const TReportFont f = ReportFontOf(font);
    const TTextMeasure& m = QtTextMeasure();
    const TPageSetup setup;
    PrintReportPages(TextPagesHead(title, f, m, setup), [&](const TPageSink& sink) {
        TBandFlow flow(setup, title, {}, sink);
        const int n = LineCount();
        QTextBlock b = document()->begin();
        for (int i = 0; i < n && b.isValid(); ++i, b = b.next()) AddTextLine(flow, FromQ(b.text()), f, setup.Width(), m);
        flow.Finish();
    });
}

} // namespace pem
