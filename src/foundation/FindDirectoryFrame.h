#pragma once
// The folder pick frame: a caption, an edit holding the folder and a browse
// button. It reports a missing folder, offers the folder dialog (starting
// at the nearest existing folder, or at a default folder it creates), takes
// a folder or file dropped on it through the dropped-files message, and
// remembers the folder chosen last in the settings ("LastSelectedDir").
#include "Controls.h"
#include "DropRouter.h"

#include <QColor>
#include <string>

namespace pem {

class TMyStatusBar;

class TFrameFindDirectory : public TFrame, public TDropFilesReceiver {
public:
    TFrameFindDirectory(TComponent* owner, QWidget* parent, const std::string& name);

    TLabel* LabelCaption;
    TEdit* Edit;
    TSpeedButton* SpeedButton;

    TMyStatusBar* StatusBar = nullptr;
    // The folder offered when the edit is empty.
    std::string DefaultDir;
    TNotifyEvent OnDirChanged;
    // Runs before the exit check of a modified edit.
    TNotifyEvent OnCheckDir;

    // The edit's text with / without a trailing "/"; "" for an empty edit.
    std::string DirectoryWithBackslash() const;
    std::string DirectoryWithoutBackslash() const;

    // The browse button: the folder dialog; a cancelled dialog ends the
    // operation (silent abort) after the status-bar message.
    void BrowseForDir();
    void EditExit();
    void EditKeyPress(char& key);
    void EditChange();
    void EditEnter();
    void FrameMouseMove();
    // One folder, or one file standing for its folder.
    void WMDropFiles(const TWMDropFiles& msg) override;

    QColor EditColor() const { return editColor_; }

protected:
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void SetEditColor(const QColor& c);
    QColor editColor_;
};

} // namespace pem
