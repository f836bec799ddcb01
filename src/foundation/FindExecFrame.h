#pragma once
// The file pick frame: a label naming the file, an edit holding its path and
// a browse button. The frame checks the file against a default, marks a
// missing file red, offers the open dialog, and takes one file dropped on
// it through its file drop target. Messages go to the status bar given
// (none when nil).
#include "BaseFileUtils.h"
#include "Controls.h"
#include "DragDropFile.h"
#include "StringList.h"

#include <QColor>
#include <functional>
#include <memory>
#include <string>

namespace pem {

class TMyStatusBar;

// Replaces the browse dialog: may change the file name in place.
using TFindFileEvent = std::function<void(TComponent* sender, std::string& fileName, const std::string& caption)>;

// What the frame's open dialog keeps between uses. Filter is in the
// "description|pattern|description|pattern" form; it is made at the first
// browse when still empty and stays.
struct TFindExecOpenDialog {
    std::string Filter;
    std::string FileName;
    std::string InitialDir;
    std::string DefaultExt;
    std::string Title;
};

class TFrameFindexec : public TFrame {
public:
    TFrameFindexec(TComponent* owner, QWidget* parent, const std::string& name);
    ~TFrameFindexec() override;

    TLabel* LabelFindExec;
    TEdit* Edit;
    TSpeedButton* SpeedButtonFindExec;
    TFindExecOpenDialog OpenDialogFindExec;
    // Takes files dropped anywhere on the frame (copy or link).
    std::unique_ptr<TDropFileTarget> DropFileTargetFindExec;

    TFindFileEvent OnFindFile;
    // "@": no check; a "*" anywhere: the file is unavailable; an edit of "?"
    // or empty takes it.
    std::string DefaultName;
    TNotifyEvent OnFileChanged;
    TMyStatusBar* StatusBar = nullptr;
    // Asked before a dropped file is taken: true while the owner does work
    // the file must not change under (a tool run). Such a drop is refused
    // with ProcessingMessage as the status bar's error.
    std::function<bool()> Processing;
    std::string ProcessingMessage;

    // Checks the file named by the edit (see the frame's rules); false when a
    // missing file was not replaced. A frame with Tag 1 marks a missing file
    // without asking for it.
    bool CheckFile();
    // The open dialog for the name ("?" or empty: the default); true with
    // the chosen name.
    bool BrowseForFile(std::string& fileName, const std::string& caption);
    // Reloads the list from the file when the file is newer than the
    // project date; true when reloaded under a project date above 0.
    bool CheckChangedSinceProject(TCheckListBox* list, TDateTime projectDate);
    // The default name with that extension, when such a file exists.
    bool TryExtension(std::string extension);
    std::string FileName() const;
    void ClearFileName();

    // Handlers.
    void EditExit();
    void SpeedButtonFindExecClick();
    void EditKeyPress(char& key);
    void EditEnter();
    void FrameMouseMove();
    // A drop on the frame: exactly one file whose extension fits the first
    // pattern of the dialog filter becomes the edit's text. A drop that is
    // not taken answers with no effect; so does one refused while the owner
    // is processing.
    void DropFileTargetFindExecDrop(TCustomDropTarget* sender, TShiftState shift, POINT pt, DWORD& effect);

    // Edit colours: normal (the window colour), a missing file (red), and
    // the button face while a dialog is open.
    QColor EditColor() const { return editColor_; }
    static QColor ColorNormal();
    static QColor ColorMissing();
    static QColor ColorBusy();

protected:
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void SetEditColor(const QColor& c);
    void AddMessage(const std::string& text);
    void SetFileNameAndNotify(const std::string& name);
    QColor editColor_;
};

} // namespace pem
