// The XML editor's road through the result tabs: its file dialog and the
// opening of a document into a tab, with the reuse and reload rule of the
// editor tabs.
#include "ResultTabs.h"

#include "Forms.h"
#include "MyStatusBar.h"
#include "SharedRoutinesCommon.h"
#include "XMLEditFrame.h"

namespace pem {

void TResultTabs::XMLEditorDialog(const TXMLEditorSetup& setup) {
    if (c_.TabSheetViewer->TabVisible()) c_.PageControlMain->SetActivePage(c_.TabSheetViewer);
    TOpenDialogRequest req;
    req.title = "Open a file";
    req.filters = ParseDialogFilter("XML files(*.xml)|*.xml");
    req.filterIndex = 1;
    req.initialDir = setup.ReportFolder;
    if (TResultTab* t = ActiveTab()) {
        const std::string caption = t->Caption();
        const std::string p =
            PathIsAbsolute(caption) ? caption : IncludeTrailingSeparator(ctx_.OutputDirectory(), '/') + caption;
        req.initialDir = ExtractFilePath(p);
        req.fileName = ExtractFileName(p);
    }
    req.mustExist = true;
    req.okCaption = "&Do Open";
    req.cancelCaption = "&No, Dismiss";
    req.viewStyle = ctx_.ProjectFileViewStyle();
    c_.OpenDialogWork->SetTag(0);
    c_.OpenDialogWork->Options = req;
    c_.OpenDialogWork->FileName.clear();
    if (!c_.OpenDialogWork->Execute()) Bar()->Error("File search cancelled");
    OpenXMLEditorTab(c_.OpenDialogWork->FileName, setup);
}

void TResultTabs::OpenXMLEditorTab(const std::string& fileName, const TXMLEditorSetup& setup) {
    if (!FileExists(fileName)) Bar()->Error("File " + fileName + " doesn't exist");
    if (setup.ReportFolder.empty() || !StartsWithText(setup.ReportFolder, fileName))
        Bar()->ShowWarning("File " + fileName + " doesn't belong to the current project/version");
    ShowViewerPage();
    const std::string caption = ResultTabCaption(fileName, ctx_.OutputDirectory());
    for (int i = 0; i < TabCount(); ++i) {
        TResultTab* tab = Tab(i);
        if (!tab || tab->Caption() != caption || FrameKindOf(tab->Frame) != TResultFrameKind::XMLEdit) continue;
        c_.PageControlEditor->SetActivePage(tab);
        if (static_cast<TFrameXMLEdit*>(tab->Frame)->FileDate == FileDateTime(fileName)) return;
        if (Dialogs().MessageDlg("The file " + fileName + "'s date/time changed. Reload?", TMsgDlgType::mtWarning,
                                 mbYesNo) != mrYes)
            return;
        CloseEditorTab();
        break;
    }
    // The document is read before its tab is made: the read serves timers
    // and queued calls while it runs, and no half-made tab may meet them.
    // A document that does not parse leaves no tab; its error shows.
    TXMLEditSource source;
    try {
        source = TFrameXMLEdit::ReadForEditing(fileName);
    } catch (...) {
        UpdateViewerPage();
        throw;
    }
    TFrameXMLEdit* frame = nullptr;
    NewTab(caption, [&](TResultTab* tab) {
        return frame = TFrameXMLEdit::CreateForSource(tab, tab, fileName, std::move(source),
                                                      tab->Name() + "FrameXMLEdit");
    });
    frame->StatusBar = Bar();
    frame->OnElementChanged = setup.OnElementChanged;
    frame->OnSaved = setup.OnSaved;
    frame->ApplyReadOnlyRules(setup.ReadOnlyList);
}

} // namespace pem
