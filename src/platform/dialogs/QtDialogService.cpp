#include "QtDialogService.h"

#include "CharSet1252.h"
#include "DesktopServices.h"
#include "FontChoice.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace pem {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(Cp1252ToUtf8(s)); }
std::string S(const QString& s) { return Utf8ToCp1252(s.toStdString()); }

// Qt takes a filter's masks from the parentheses that end its text; the
// dialog hides them again (HideNameFilterDetails), so the list shows each
// filter's own text, masks written into it included, once.
QStringList Filters(const std::vector<TFileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QString masks = Q(f.masks);
        masks.replace(';', ' ');
        parts << Q(f.caption) + " (" + masks + ")";
    }
    return parts;
}

QString Start(const TOpenDialogRequest& req) {
    if (!req.fileName.empty()) {
        if (!req.initialDir.empty() && req.fileName.find('/') == std::string::npos)
            return Q(req.initialDir + "/" + req.fileName);
        return Q(req.fileName);
    }
    return Q(req.initialDir);
}
QFont QFontOf(const TFontSpec& font) {
    QFont f(Q(font.name), font.size > 0 ? font.size : 10);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}
// The family's style nearest to the weight and slant: a style of the other
// slant only when the family has none of this one. Oblique styles lean as
// italic ones do (QFontDatabase::italic says false for them; the style of
// the font they give says oblique).
QString StyleNearest(const QString& family, bool bold, bool italic, int pointSize) {
    const int wanted = bold ? QFont::Bold : QFont::Normal;
    QString best;
    int bestScore = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        const bool leans = QFontDatabase::font(family, style, pointSize).style() != QFont::StyleNormal;
        const int score = (leans != italic ? 10000 : 0) + std::abs(QFontDatabase::weight(family, style) - wanted);
        if (best.isEmpty() || score < bestScore) {
            best = style;
            bestScore = score;
        }
    }
    return best;
}
} // namespace

void SetUpFileDialog(QFileDialog& dlg, const TOpenDialogRequest& req) {
    dlg.setWindowTitle(Q(req.title));
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setNameFilters(Filters(req.filters));
    const QString start = Start(req);
    const QFileInfo info(start);
    if (start.isEmpty() || info.isDir()) {
        if (!start.isEmpty()) dlg.setDirectory(start);
    } else {
        dlg.setDirectory(info.absolutePath());
        dlg.selectFile(info.fileName());
    }
    // The filter at the request's index (counted from 1) and the view style.
    const QStringList names = dlg.nameFilters();
    if (req.filterIndex >= 1 && req.filterIndex <= names.size()) dlg.selectNameFilter(names[req.filterIndex - 1]);
    // Hiding the masks also folds runs of blanks in the text ("XML files
    // (*.xml)" for "XML files  (*.xml)"): the list gets each text back as
    // written. The dialog picks a filter's masks by its position, so only
    // the shown text changes.
    if (auto* list = dlg.findChild<QComboBox*>("fileTypeCombo"); list && list->count() == int(req.filters.size()))
        for (int i = 0; i < list->count(); ++i) list->setItemText(i, Q(req.filters[size_t(i)].caption));
    if (req.viewStyle >= 0) SetFileDialogViewStyle(&dlg, req.viewStyle);
}

void SetUpFontDialog(QFontDialog& dlg, const TFontSpec& font) {
    dlg.setOption(QFontDialog::MonospacedFonts);
    QFont current = QFontOf(OfferedFixedFont(font));
    // Given a font without a style name, the dialog selects the family's
    // first style, which may lean ("Oblique" comes first in some families),
    // and OK without a change would then make the font italic. The style
    // is named instead: the family's own that comes nearest to the stored
    // weight with the stored slant.
    const QString style = StyleNearest(current.family(), font.bold, font.italic, current.pointSize());
    if (!style.isEmpty()) current.setStyleName(style);
    dlg.setCurrentFont(current);
}

int QtDialogService::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int) {
    QMessageBox box(QApplication::activeWindow());
    switch (type) {
    case TMsgDlgType::mtWarning: box.setIcon(QMessageBox::Warning); box.setWindowTitle("Warning"); break;
    case TMsgDlgType::mtError: box.setIcon(QMessageBox::Critical); box.setWindowTitle("Error"); break;
    case TMsgDlgType::mtInformation: box.setIcon(QMessageBox::Information); box.setWindowTitle("Information"); break;
    case TMsgDlgType::mtConfirmation: box.setIcon(QMessageBox::Question); box.setWindowTitle("Confirm"); break;
    case TMsgDlgType::mtCustom: box.setWindowTitle(QApplication::applicationName()); break;
    }
    box.setText(Q(text));
    struct Map { unsigned btn; QMessageBox::StandardButton q; int result; };
    const Map map[] = {
        {mbYes, QMessageBox::Yes, mrYes}, {mbNo, QMessageBox::No, mrNo}, {mbOK, QMessageBox::Ok, mrOk},
        {mbCancel, QMessageBox::Cancel, mrCancel}, {mbAbort, QMessageBox::Abort, mrAbort},
        {mbRetry, QMessageBox::Retry, mrRetry}, {mbIgnore, QMessageBox::Ignore, mrIgnore},
        {mbAll, QMessageBox::YesToAll, mrAll}, {mbNoToAll, QMessageBox::NoToAll, mrNoToAll},
        {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
    };
    QMessageBox::StandardButtons std;
    for (const auto& m : map)
        if (buttons & m.btn) std |= m.q;
    if (!std) std = QMessageBox::Ok;
    box.setStandardButtons(std);
    int pressed = box.exec();
    for (const auto& m : map)
        if (pressed == m.q) return m.result;
    return (buttons & mbCancel) ? mrCancel : mrNone;
}

bool QtDialogService::OpenFiles(const TOpenDialogRequest& req, std::vector<std::string>& files) {
    QFileDialog dlg(QApplication::activeWindow());
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    SetUpFileDialog(dlg, req);
    dlg.setFileMode(req.multiSelect ? QFileDialog::ExistingFiles
                                    : (req.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    if (!req.okCaption.empty()) dlg.setLabelText(QFileDialog::Accept, Q(req.okCaption));
    if (!req.cancelCaption.empty()) dlg.setLabelText(QFileDialog::Reject, Q(req.cancelCaption));
    if (dlg.exec() != QDialog::Accepted) return false;
    files.clear();
    for (const QString& f : dlg.selectedFiles()) files.push_back(S(f));
    return !files.empty();
}

bool QtDialogService::SaveFile(const TOpenDialogRequest& req, std::string& file) {
    QFileDialog dlg(QApplication::activeWindow());
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    SetUpFileDialog(dlg, req);
    if (!req.defaultExt.empty()) {
        std::string ext = req.defaultExt;
        if (ext.front() == '.') ext.erase(0, 1);
        dlg.setDefaultSuffix(Q(ext));
    }
    if (!req.overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    file = S(dlg.selectedFiles().front());
    return true;
}

bool QtDialogService::SelectDirectory(const std::string& caption, const std::string& start, std::string& dir) {
    QString d = QFileDialog::getExistingDirectory(QApplication::activeWindow(), Q(caption), Q(start));
    if (d.isEmpty()) return false;
    dir = S(d);
    return true;
}

bool QtDialogService::ChooseFont(TFontSpec& font) {
    QFontDialog dlg(QApplication::activeWindow());
    SetUpFontDialog(dlg, font);
    if (dlg.exec() != QDialog::Accepted) return false;
    const QFont f = dlg.selectedFont();
    font.name = S(f.family());
    font.size = f.pointSize();
    // A font chosen by points has no pixel size of its own: its height is
    // the pixels of those points on a 96 dpi screen.
    font.height = f.pixelSize() > 0 ? -f.pixelSize() : -static_cast<int>(f.pointSizeF() * 96.0 / 72.0 + 0.5);
    font.bold = f.bold();
    font.italic = f.italic();
    font.underline = f.underline();
    font.strikeOut = f.strikeOut();
    return true;
}

bool QtDialogService::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    bool ok = false;
    QString v = QInputDialog::getText(QApplication::activeWindow(), Q(caption), Q(prompt), QLineEdit::Normal,
                                      Q(value), &ok);
    if (!ok) return false;
    value = S(v);
    return true;
}

void QtDialogService::Beep() { QApplication::beep(); }

void QtDialogService::FindText(const TFindRequest& req, const TFindEvent& onFind) {
    // One find window for the program, reused; it stays open beside the
    // text it searches, as find windows do.
    static QPointer<QDialog> window;
    static TFindEvent handler;
    handler = onFind;
    if (!window) {
        window = new QDialog(QApplication::activeWindow());
        window->setObjectName("FindDialog");
        auto* layout = new QVBoxLayout(window);
        auto* row = new QHBoxLayout;
        auto* label = new QLabel("Fi&nd what:", window);
        row->addWidget(label);
        auto* edit = new QLineEdit(window);
        edit->setObjectName("FindText");
        label->setBuddy(edit); // Alt+N reaches the text
        row->addWidget(edit, 1);
        layout->addLayout(row);
        auto* buttons = new QDialogButtonBox(window);
        QPushButton* next = buttons->addButton("&Find Next", QDialogButtonBox::AcceptRole);
        buttons->addButton(QDialogButtonBox::Cancel);
        layout->addWidget(buttons);
        QObject::connect(next, &QPushButton::clicked, window, [edit] {
            if (handler) handler(S(edit->text()));
        });
        QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::hide);
        next->setDefault(true);
    }
    window->setWindowTitle(Q(req.title));
    window->move(req.left, req.top);
    window->show();
    window->raise();
    window->activateWindow();
}

bool QtDialogService::SelectPrinter(const std::vector<std::string>& printers, std::string& printer) {
    QStringList names;
    int current = 0;
    for (size_t i = 0; i < printers.size(); ++i) {
        names << Q(printers[i]);
        if (printers[i] == printer) current = static_cast<int>(i);
    }
    if (names.isEmpty()) {
        QMessageBox::information(QApplication::activeWindow(), "Select printer", "No printer is installed.");
        return false;
    }
    bool ok = false;
    QString chosen = QInputDialog::getItem(QApplication::activeWindow(), "Select printer", "Printer:", names, current,
                                           false, &ok);
    if (!ok) return false;
    printer = S(chosen);
    return true;
}

} // namespace pem
