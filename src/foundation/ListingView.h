#pragma once
// The read-only text view of every listing viewer: one QPlainTextEdit that
// holds files of tens of megabytes, with the operations the viewers use of
// their text control (lines, caret line, selection, search, showing a line,
// coloured marks) and printing. Marks are extra selections, so they never
// change the text.
//
// A plain file can also be filled in the background (StartLoadTextFile):
// its first part shows at once and the rest follows in event-loop turns of a
// few tens of milliseconds, so a big listing never freezes the window. What
// needs the whole text (its lines, search, selections by position, printing,
// changes) finishes the fill first; the caret, the selection and the line
// count describe the text shown so far. Such a file is held as one text with
// an index of its lines and shown by a pane that paints only the lines in
// sight (the document stays empty); an operation that changes or marks the
// text moves it into the document first.
#include "Controls.h"
#include "DialogService.h"
#include "ListingText.h"

#include <QColor>
#include <QPlainTextEdit>
#include <QTimer>
#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace pem {

class TListingPane;

class TListingView : public QPlainTextEdit, public TControl {
public:
    TListingView(TComponent* owner, QWidget* parent, const std::string& name);
    ~TListingView() override;

    // Replaces the text (8-bit; any line end). Clears marks and selection.
    void SetText8(std::string_view text);
    // Reads the file piece by piece into the view; raises EFileError.
    void LoadFromFile(const std::string& fileName);
    // The same, except that a file beginning with the UTF-16LE byte-order
    // mark is read whole and shown as 8-bit text (Utf16LeToAnsi).
    void LoadTextFile(const std::string& fileName);
    // The same, except that a plain file is read in event-loop turns after
    // its first part: the file cannot be opened or its first read fails
    // raises EFileError here; a read that fails later stops the fill with
    // the text read so far and raises EFileError in the turn (or in the
    // reader that finishes the fill).
    void StartLoadTextFile(const std::string& fileName);
    // Whether a fill is still reading the file.
    bool Filling() const { return fill_ != nullptr; }
    // Reads the rest of the file at once; nothing without a fill.
    void FinishFill() const;
    // After the last part of a fill was shown (not after a read error).
    TNotifyEvent OnFillDone;
    // The read every fill uses; tests stand a failing disk in.
    static ssize_t (*ReadPiece)(int fd, void* buffer, size_t size);
    std::string Text8() const;
    void Clear();

    // Lines as the view holds them; a view with no text has none. While a
    // fill runs: the lines shown so far.
    int LineCount() const;
    std::string Line(int i) const;
    TStringList Lines() const;

    // The caret's line (0-based), and the selection in characters from the
    // start of the text (a line break counts one).
    int CaretLine() const;
    int SelStart() const;
    int SelLength() const;
    void SetSelection(int start, int length);
    // The first character of line i (0-based), -1 when there is none.
    int LineStart(int i) const;

    // Removes the lines (0-based, numbered as before the call, any order)
    // with their line breaks, in one edit.
    void RemoveLines(std::vector<int> lines);
    // Inserts 8-bit lines, each given with the number it has once all are
    // in (rising numbers), in one edit.
    void InsertLines(const std::vector<std::pair<int, std::string>>& lines);

    // Position of text between from and the end, ignoring case; -1 none.
    int FindText(const std::string& text, int from) const;

    // Selects line i (0-based) to the start of the next one (the last line
    // to its end) and scrolls it to linesAbove lines below the top. False
    // when the line does not exist.
    bool ShowLine(int i, int linesAbove);

    // Colours the characters; ClearMarks removes every mark.
    void AddMark(int start, int length, const QColor& color);
    void ClearMarks();

    // The font from the font dialog; true when it changed.
    bool SetViewerFont(const TFontSpec& font);

    // Sets tab stops every `distance` pixels.
    void SetTabDistance(double distance);

    // Prints the text with that title on the current printer in the font.
    void Print(const std::string& title, const TFontSpec& font) const;

    TNotifyEvent OnSelectionChange;

    // The pane that shows a listing filled by StartLoadTextFile; none while
    // the text is in the document.
    TListingPane* Pane() const { return pane_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ShowPane();
    void HidePane();
    // Moves a pane's text into the document, keeping caret and selection.
    void IntoDocument();
    struct TFill;
    // Fills the view with the decoded pieces.
    void Load(const std::function<bool(const TListingPieceProc&)>& decode);
    // Reads and shows pieces of the fill until the time is up (one piece
    // for 0, no limit when negative) or the file ends; ends the fill at the end or on a
    // read error, which it raises.
    void FillTurn(int milliseconds);
    void StopFill();
    std::unique_ptr<TFill> fill_;
    QTimer* fillTimer_ = nullptr;
    TListingPane* pane_ = nullptr;
    QList<QTextEdit::ExtraSelection> marks_;
    bool empty_ = true;
};

} // namespace pem
