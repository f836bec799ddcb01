#include "XMLViewer.h"

#include "BaseFileUtils.h"
#include "MyStatusBar.h"
#include "SimpleViewerFrame.h"

namespace pem {

TfrmXMLViewer::TfrmXMLViewer() : TForm("frmXMLViewer", "TfrmXMLViewer") {
    SetCaption("XML viewer");
    FrameSimpleViewer1 = new TFrameSimpleViewer(this, Client(), "FrameSimpleViewer1");
    MyStB = new TMyStatusBar(this, this, "MyStB");
    setStatusBar(MyStB);
    FrameSimpleViewer1->StatusBar = MyStB;
    resize(640, 480);
}

std::string TfrmXMLViewer::MissingFileText(const std::string& fileName) {
    return "File \"" + fileName + "\" doesn't exist ";
}

bool TfrmXMLViewer::LoadFile(const std::string& fileName) {
    MyStB->ClearMessage();
    if (!FileExists(fileName)) {
        MyStB->ShowError(MissingFileText(fileName), true);
        return false;
    }
    FrameSimpleViewer1->StatusBar = MyStB;
    try {
        FrameSimpleViewer1->LoadFile(fileName);
    } catch (const std::exception& e) {
        // The plain text stands in the viewer; the reason it is not shown
        // indented goes to the bar.
        MyStB->ShowError(e.what(), true);
    }
    SetCaption(fileName);
    show();
    raise();
    return true;
}

TfrmXMLViewer* TfrmXMLViewer::Instance() {
    return dynamic_cast<TfrmXMLViewer*>(Screen().FindForm("frmXMLViewer"));
}

} // namespace pem
