// The test case editor's frame on the result tabs: it saves without its
// companions while the window is in its method-file mode, and its popup
// carries the window's viewer popup.
#include "PemarisMain.h"

#include "ResultTabs.h"
#include "TestCaseViewerFrame.h"

namespace pem {

void TfrmPemarisMain::RegisterTestCaseFrame() {
    ResultTabs->RegisterFrame(TResultFrameKind::TestCase, [this](const TFrameCreateArgs& args) -> TFrame* {
        TTestCaseViewerOptions options;
        options.skipCompanions = Act("ActSpecifyMethodFile")->Visible();
        options.viewerPopup = PopupMenuViewer;
        return TFrameTestCaseViewer::CreateForFile(args, options);
    });
}

} // namespace pem
