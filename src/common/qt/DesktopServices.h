#pragma once
// Small services on windows and controls: the busy cursor, the view style of
// file dialogs, keeping a window inside the work area, jumping to a line of a
// multi-line edit, and text widths with the margin buttons need.
#include <QCursor>
#include <QFont>
#include <QString>
#include <string>

class QFileDialog;
class QWidget;

namespace pem {

// The busy cursor. Animated cursor files do not exist here; the resource
// name only says which one the caller had in mind.
QCursor LoadAnimatedCursor(const std::string& resourceName);

// Style index 0 large icons, 1 list, 2 details, 3 thumbnails, 4 tiles.
// List and details switch the dialog's view mode and give true; the other
// styles have no counterpart and give false, as does a null dialog.
bool SetFileDialogViewStyle(QFileDialog* dialog, int style);

// Limits the form's maximum size to the work area (right and bottom edges of
// its screen's available area) and moves or shrinks it so that at least 50
// pixels stay inside.
void FitFormToWorkArea(QWidget* form);

// Selects line `line` (0-based) of a QPlainTextEdit or QTextEdit up to the
// start of the next line (the last line: to its end), scrolls it
// into view and then so that it stands linesAbove lines below the top.
// False, changing nothing, when the line does not exist or the widget is no
// multi-line edit.
bool MemoGotoLine(QWidget* edit, int line, int linesAbove);

// The width a window needs for the title bar to show its whole caption: the
// caption in the bold title font, the window icon and three title-bar
// buttons (minimise, maximise, close) as a window manager draws them, and
// the bar's margins.
int CaptionFitWidth(const QWidget* window);

// The text's width in the font plus four one-pixel borders. The 8-bit form
// takes Windows-1252 text.
int TextWidthWithMargin(const std::string& text, const QFont& font);
int TextWidthWithMargin(const QString& text, const QFont& font);

} // namespace pem
