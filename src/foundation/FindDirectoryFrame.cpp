#include "FindDirectoryFrame.h"

#include "BaseFileUtils.h"
#include "CharSet1252.h"
#include "DialogService.h"
#include "Exceptions.h"
#include "FindExecFrame.h"
#include "HandlerGuard.h"
#include "MyStatusBar.h"
#include "SettingsStore.h"

#include <QGridLayout>
#include <QPalette>
#include <filesystem>
#include <system_error>
#include <vector>

namespace pem {

namespace {

std::filesystem::path FsPath(const std::string& name) { return std::filesystem::path(Cp1252ToUtf8(name)); }

std::string WithSeparator(const std::string& dir) { return IncludeTrailingSeparator(dir, '/'); }
std::string WithoutSeparator(const std::string& dir) { return ExcludeTrailingSeparator(dir, '/'); }

// The folder above; "" when there is none.
std::string ParentDir(const std::string& dir) {
    std::string d = WithoutSeparator(dir);
    size_t slash = d.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return d.size() > 1 ? "/" : "";
    return d.substr(0, slash);
}

// Creates the folder and the missing ones above it; returns those it made,
// deepest first.
std::vector<std::string> CreateFolders(const std::string& dir) {
    std::vector<std::string> missing;
    for (std::string d = WithoutSeparator(dir); !d.empty() && !DirectoryExists(d); d = ParentDir(d))
        missing.push_back(d);
    std::vector<std::string> made;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        std::error_code ec;
        if (!std::filesystem::create_directory(FsPath(*it), ec)) break;
        made.insert(made.begin(), *it);
    }
    return made;
}

// Removes a folder when it is empty.
void RemoveEmptyFolder(const std::string& dir) {
    std::error_code ec;
    if (std::filesystem::is_empty(FsPath(dir), ec)) std::filesystem::remove(FsPath(dir), ec);
}

} // namespace

TFrameFindDirectory::TFrameFindDirectory(TComponent* owner, QWidget* parent, const std::string& name)
    : TFrame(owner, parent, name, "TFrameFindDirectory", TLayoutKind::None) {
    LabelCaption = new TLabel(this, this, "LabelCaption", "");
    Edit = new TEdit(this, this, "Edit");
    SpeedButton = new TSpeedButton(this, this, "SpeedButton", "...");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);
    grid->addWidget(LabelCaption, 0, 0, 1, 2);
    grid->addWidget(Edit, 1, 0);
    grid->addWidget(SpeedButton, 1, 1);
    setMouseTracking(true);
    editColor_ = TFrameFindexec::ColorNormal();

    Edit->OnExit = [this](TComponent*) { EditExit(); };
    Edit->OnEnter = [this](TComponent*) { EditEnter(); };
    Edit->OnChange = [this](TComponent*) { EditChange(); };
    Edit->OnKeyPress = [this](TComponent*, char& key) { EditKeyPress(key); };
    SpeedButton->OnClick = [this](TComponent*) { BrowseForDir(); };
}

void TFrameFindDirectory::SetEditColor(const QColor& c) {
    editColor_ = c;
    QPalette p = Edit->palette();
    p.setColor(QPalette::Base, c);
    Edit->setPalette(p);
}

std::string TFrameFindDirectory::DirectoryWithBackslash() const { return WithSeparator(Edit->Text()); }

std::string TFrameFindDirectory::DirectoryWithoutBackslash() const { return WithoutSeparator(Edit->Text()); }

void TFrameFindDirectory::BrowseForDir() {
    SetEditColor(TFrameFindexec::ColorBusy());
    std::error_code ec;
    std::filesystem::path keepCwd = std::filesystem::current_path(ec);
    auto restoreCwd = [&] {
        if (!keepCwd.empty()) std::filesystem::current_path(keepCwd, ec);
    };

    std::string oldText = Edit->Text();
    std::string start;
    std::vector<std::string> created;
    if (!oldText.empty()) {
        start = oldText;
        while (start.size() >= 3 && !DirectoryExists(start)) start = ParentDir(start);
        if (start.size() < 3) start = GetMyDocumentsDir();
    } else if (DefaultDir.size() > 2) {
        if (!DirectoryExists(DefaultDir)) created = CreateFolders(DefaultDir);
        start = DefaultDir;
    } else {
        start = GetMyDocumentsDir();
    }

    std::string chosen;
    bool ok = false;
    try {
        ok = Dialogs().SelectDirectory(LabelCaption->Caption(), start, chosen);
    } catch (...) {
        restoreCwd();
        SetEditColor(TFrameFindexec::ColorNormal());
        throw;
    }
    restoreCwd();
    if (!ok) {
        for (const std::string& d : created)
            if (d != oldText) RemoveEmptyFolder(d);
        SetEditColor(TFrameFindexec::ColorNormal());
        if (StatusBar) StatusBar->ShowError("Directorry selection cancelled ", true);
        Abort();
    }
    if (chosen != oldText) {
        Edit->SetText(chosen);
        Edit->Show();
        WriteSetting("LastSelectedDir", Edit->Text());
        FireEvent(OnDirChanged, this);
        for (const std::string& d : created)
            if (WithSeparator(d) != WithSeparator(chosen)) RemoveEmptyFolder(d);
    }
    if (StatusBar) StatusBar->ShowError("", true);
    SetEditColor(TFrameFindexec::ColorNormal());
}

void TFrameFindDirectory::EditExit() {
    if (!Edit->isModified()) return;
    FireEvent(OnCheckDir, this);
    if (DirectoryExists(Edit->Text())) return;
    if (StatusBar) StatusBar->ShowError(LabelCaption->Caption() + " - " + Edit->Text() + " doesn't exist", true);
    BrowseForDir();
}

void TFrameFindDirectory::EditKeyPress(char& key) {
    if (key != '\r') return;
    key = 0;
    EditExit();
}

void TFrameFindDirectory::EditChange() { Edit->SetHint(Edit->Text()); }
void TFrameFindDirectory::EditEnter() { Edit->SetHint(Edit->Text()); }
void TFrameFindDirectory::FrameMouseMove() { Edit->SetHint(Edit->Text()); }

void TFrameFindDirectory::mouseMoveEvent(QMouseEvent* e) {
    TFrame::mouseMoveEvent(e);
    RunGuarded([this] { FrameMouseMove(); });
}

void TFrameFindDirectory::WMDropFiles(const TWMDropFiles& msg) {
    if (msg.Files.Count() != 1) return;
    std::string folder = msg.Files[0];
    if (!DirectoryExists(folder)) folder = ParentDir(folder); // a file stands for its folder
    if (!DirectoryExists(folder)) return;
    if (WithSeparator(folder) == WithSeparator(Edit->Text())) return;
    Edit->SetText(WithoutSeparator(folder));
    Edit->Show();
    WriteSetting("LastSelectedDir", Edit->Text());
    FireEvent(OnDirChanged, this);
}

} // namespace pem
