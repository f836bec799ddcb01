#pragma once
// The read-only text view of every listing viewer: one QPlainTextEdit that
// holds files of tens of megabytes, with the operations the viewers use of
// their text control (lines, caret line, selection, search, showing a line,
// coloured marks) and printing. Marks are extra selections, so they never
// change the text.
#include "Controls.h"
#include "DialogService.h"
#include "ListingText.h"

#include <QColor>
#include <QPlainTextEdit>
#include <string>
#include <utility>
#include <vector>

namespace pem {

class TListingView : public QPlainTextEdit, public TControl {
public:
    TListingView(TComponent* owner, QWidget* parent, const std::string& name);

    // Replaces the text (8-bit; any line end). Clears marks and selection.
    void SetText8(std::string_view text);
    // Reads the file piece by piece into the view; raises EFileError.
    void LoadFromFile(const std::string& fileName);
    // The same, except that a file beginning with the UTF-16LE byte-order
    // mark is read whole and shown as 8-bit text (Utf16LeToAnsi).
    void LoadTextFile(const std::string& fileName);
    std::string Text8() const;
    void Clear();

    // Lines as the view holds them; a view with no text has none.
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
    void SetTabDistance(double distance) { setTabStopDistance(distance); }

    // Prints the text with that title on the current printer in the font.
    void Print(const std::string& title, const TFontSpec& font) const;

    TNotifyEvent OnSelectionChange;

private:
    // Fills the view with the decoded pieces.
    void Load(const std::function<bool(const TListingPieceProc&)>& decode);
    QList<QTextEdit::ExtraSelection> marks_;
    bool empty_ = true;
};

} // namespace pem
