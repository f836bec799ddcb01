#pragma once
// A read-only view of a plain listing held as one text with an index of its
// line starts: it paints only the lines in sight, so taking in a listing of
// tens of megabytes costs little more than decoding it. It keeps a caret and
// a selection (keyboard, mouse, select all, copy); positions count the
// characters from the start of the text, a line break counting one.
#include <QAbstractScrollArea>
#include <QString>
#include <functional>
#include <vector>

namespace pem {

class TListingPane : public QAbstractScrollArea {
public:
    explicit TListingPane(QWidget* parent);

    // Appends decoded text ('\n' between lines); Shown makes it visible.
    void Append(const QString& piece);
    void Shown();
    void Clear();
    // Room for that many characters, so that appending never copies.
    void Reserve(qsizetype characters) { text_.reserve(characters); }

    const QString& Text() const { return text_; }
    // One more than the line breaks (a text with no character has one line).
    int LineCount() const { return static_cast<int>(starts_.size()); }
    int LineStart(int i) const { return starts_[static_cast<size_t>(i)]; }
    // Line i without its break.
    QString Line(int i) const;
    int LineOf(int position) const;

    int Caret() const { return caret_; }
    int Anchor() const { return anchor_; }
    // Moves the caret (keeping the anchor when asked) and brings it in sight.
    void SetCaret(int position, bool keepAnchor);
    void SetSelection(int anchor, int caret);
    // Scrolls so that line i is the first one in sight (as far as it goes).
    void ScrollToLine(int i);
    int FirstVisibleLine() const;
    void SetTabDistance(double distance);

    // A key given to the view the pane covers; one the pane has no use for
    // stays ignored, so it goes on to the windows around.
    void KeyPress(QKeyEvent* e) { keyPressEvent(e); }

    // After every move of the caret.
    std::function<void()> OnCaretMoved;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int LineLength(int i) const;
    int VisibleLines() const;
    int PositionAt(const QPoint& p) const;
    void EnsureCaretVisible();
    void Copy() const;
    void SelectAll();
    void UpdateScrollBars();

    QString text_;
    std::vector<int> starts_{0};
    int longest_ = 0; // characters of the longest line
    int caret_ = 0, anchor_ = 0;
    double tabDistance_ = 80;
};

} // namespace pem
