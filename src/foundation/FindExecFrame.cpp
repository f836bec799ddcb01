#include "FindExecFrame.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "DialogService.h"
#include "DropRouter.h"
#include "Exceptions.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "QtOleWindows.h"

#include <QApplication>
#include <QGridLayout>
#include <QPalette>
#include <filesystem>
#include <system_error>

namespace pem {

namespace {

std::filesystem::path FsPath(const std::string& name) { return std::filesystem::path(Cp1252ToUtf8(name)); }

// Whether a dropped file passes the first pattern of the dialog filter: an
// empty pattern or "*.*" takes any file; otherwise the file's extension and
// ";" must occur in the pattern and ";" (ignoring case). A file without an
// extension passes no pattern that asks for one.
bool FirstPatternAccepts(const std::string& filter, const std::string& fileName) {
    std::string pattern;
    size_t bar = filter.find('|');
    if (bar != std::string::npos) {
        size_t next = filter.find('|', bar + 1);
        pattern = filter.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
    }
    if (pattern.empty() || pattern == "*.*") return true;
    std::string ext = ExtractFileExt(fileName);
    if (ext.empty()) return false;
    return AnsiUpperCase(pattern + ";").find(AnsiUpperCase(ext + ";")) != std::string::npos;
}

} // namespace

QColor TFrameFindexec::ColorNormal() { return QApplication::palette().color(QPalette::Base); }
QColor TFrameFindexec::ColorMissing() { return QColor(255, 0, 0); }
QColor TFrameFindexec::ColorBusy() { return QApplication::palette().color(QPalette::Button); }

TFrameFindexec::TFrameFindexec(TComponent* owner, QWidget* parent, const std::string& name)
    : TFrame(owner, parent, name, "TFrameFindexec", TLayoutKind::None) {
    LabelFindExec = new TLabel(this, this, "LabelFindExec", "");
    Edit = new TEdit(this, this, "Edit");
    SpeedButtonFindExec = new TSpeedButton(this, this, "SpeedButtonFindExec", "...");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);
    grid->addWidget(LabelFindExec, 0, 0, 1, 2);
    grid->addWidget(Edit, 1, 0);
    grid->addWidget(SpeedButtonFindExec, 1, 1);
    setMouseTracking(true);
    editColor_ = ColorNormal();

    Edit->OnExit = [this](TComponent*) { EditExit(); };
    Edit->OnEnter = [this](TComponent*) { EditEnter(); };
    Edit->OnKeyPress = [this](TComponent*, char& key) { EditKeyPress(key); };
    SpeedButtonFindExec->OnClick = [this](TComponent*) { SpeedButtonFindExecClick(); };
    // The frame itself is the target of files dropped on it.
    DropFileTargetFindExec = std::make_unique<TDropFileTarget>();
    DropFileTargetFindExec->Name = "DropFileTargetFindExec";
    DropFileTargetFindExec->DragTypes = TDragTypes{TDragType::dtCopy, TDragType::dtLink};
    DropFileTargetFindExec->OptimizedMove = true;
    DropFileTargetFindExec->OnDrop = [this](auto* s, auto k, auto p, auto& e) { DropFileTargetFindExecDrop(s, k, p, e); };
    DropFileTargetFindExec->SetTarget(WindowOf(this));
}

// The target goes first, while the frame's window still exists to be revoked.
TFrameFindexec::~TFrameFindexec() { DropFileTargetFindExec.reset(); }

void TFrameFindexec::SetEditColor(const QColor& c) {
    editColor_ = c;
    QPalette p = Edit->palette();
    p.setColor(QPalette::Base, c);
    Edit->setPalette(p);
}

void TFrameFindexec::AddMessage(const std::string& text) {
    if (StatusBar) StatusBar->AddMessage(text, true);
}

void TFrameFindexec::SetFileNameAndNotify(const std::string& name) {
    Edit->SetText(name);
    FireEvent(OnFileChanged, this);
}

std::string TFrameFindexec::FileName() const { return Edit->Text(); }
void TFrameFindexec::ClearFileName() { Edit->SetText(""); }

bool TFrameFindexec::CheckFile() {
    SetEditColor(ColorNormal());
    if (!Visible() || DefaultName == "@") return true;
    if (DefaultName.find('*') != std::string::npos) {
        SetEditColor(ColorMissing());
        AddMessage("File " + LabelFindExec->Caption() + " is marked unavailable!");
        return true;
    }
    if ((Edit->Text() == "?" || Edit->Text().empty()) && !DefaultName.empty()) Edit->SetText(DefaultName);
    if (FileExists(Edit->Text())) return true;
    SetEditColor(ColorMissing());
    if (Tag() == 1) return true;
    std::string name = Edit->Text();
    if (OnFindFile) {
        OnFindFile(this, name, LabelFindExec->Caption());
        if (name != Edit->Text()) SetFileNameAndNotify(name);
        return false;
    }
    if (BrowseForFile(name, LabelFindExec->Caption())) {
        SetEditColor(ColorNormal());
        if (name != Edit->Text()) SetFileNameAndNotify(name);
        return true;
    }
    AddMessage("File not found: " + name);
    return false;
}

bool TFrameFindexec::BrowseForFile(std::string& fileName, const std::string& caption) {
    QColor keep = editColor_;
    SetEditColor(ColorBusy());
    std::string name = (fileName == "?" || fileName.empty()) ? DefaultName : fileName;
    OpenDialogFindExec.FileName = name;
    OpenDialogFindExec.InitialDir = ExtractFilePath(name);
    std::string ext = ExtractFileExt(name);
    OpenDialogFindExec.DefaultExt = ext;
    if (OpenDialogFindExec.Filter.empty()) {
        OpenDialogFindExec.Filter = ext.empty() ? "All files(*.*)|*.*"
                                                : caption + " files (*" + ext + ")|*" + ext + "|All files(*.*)|*.*";
    }
    OpenDialogFindExec.Title = "Find " + caption + " ";

    TOpenDialogRequest req;
    req.title = OpenDialogFindExec.Title;
    req.fileName = OpenDialogFindExec.FileName;
    req.initialDir = OpenDialogFindExec.InitialDir;
    req.defaultExt = OpenDialogFindExec.DefaultExt;
    req.filters = ParseDialogFilter(OpenDialogFindExec.Filter);
    req.mustExist = true;
    std::vector<std::string> files;
    bool chosen = false;
    try {
        chosen = Dialogs().OpenFiles(req, files) && !files.empty();
    } catch (...) {
        SetEditColor(keep);
        throw;
    }
    if (chosen) {
        fileName = files.front();
        OpenDialogFindExec.FileName = fileName;
    }
    SetEditColor(keep);
    return chosen;
}

bool TFrameFindexec::CheckChangedSinceProject(TCheckListBox* list, TDateTime projectDate) {
    std::string name = Edit->Text();
    if (!list || !FileExists(name) || editColor_ != ColorNormal() || !Visible()) return false;
    if (!(FileDateTime(name) > projectDate)) return false;
    TStringList lines;
    lines.LoadFromFile(name);
    list->ClearItems();
    for (int i = 0; i < lines.Count(); ++i)
        if (lines[i].size() >= 2) list->AddItem(lines[i], true);
    if (projectDate > 0 && StatusBar)
        AddMessage(ExtractFileName(name) + " - has been changed sience the project was changed, all entries are selected ");
    return projectDate > 0;
}

bool TFrameFindexec::TryExtension(std::string extension) {
    if (extension.empty() || extension[0] != '.') extension = "." + extension;
    std::string name = ChangeFileExt(DefaultName, extension);
    if (!FileExists(name)) return false;
    DefaultName = name;
    return true;
}

void TFrameFindexec::EditExit() {
    if (!Visible() || !Edit->isModified() || FileExists(Edit->Text())) return;
    AddMessage("File \"" + Edit->Text() + "\" doesn't exist");
    SpeedButtonFindExecClick();
}

void TFrameFindexec::SpeedButtonFindExecClick() {
    if (!Visible()) return;
    std::string name = Edit->Text();
    if (OnFindFile) OnFindFile(this, name, LabelFindExec->Caption());
    else if (!BrowseForFile(name, LabelFindExec->Caption())) Abort();
    if (name != Edit->Text()) SetFileNameAndNotify(name);
}

void TFrameFindexec::EditKeyPress(char& key) {
    if (key != '\r') return;
    key = 0;
    EditExit();
}

void TFrameFindexec::EditEnter() { Edit->SetHint(Edit->Text()); }
void TFrameFindexec::FrameMouseMove() { Edit->SetHint(Edit->Text()); }

void TFrameFindexec::mouseMoveEvent(QMouseEvent* e) {
    TFrame::mouseMoveEvent(e);
    RunGuarded([this] { FrameMouseMove(); });
}

void TFrameFindexec::DropFileTargetFindExecDrop(TCustomDropTarget*, TShiftState, POINT, DWORD& effect) {
    const DWORD taken = effect;
    effect = DROPEFFECT_NONE;
    TUnicodeStrings& files = DropFileTargetFindExec->Files();
    if (files.Count() != 1) return;
    std::string name;
    if (!TDropRouter::CodePageFileName(files.Get(0), name)) return;
    // A folder is not a file to pick.
    std::error_code ec;
    if (std::filesystem::is_directory(FsPath(name), ec)) return;
    if (!FirstPatternAccepts(OpenDialogFindExec.Filter, name)) return;
    if (Processing && Processing()) {
        if (StatusBar) StatusBar->Error(ProcessingMessage);
        return;
    }
    effect = taken;
    SetEditColor(ColorNormal());
    SetFileNameAndNotify(name);
}

} // namespace pem
