#pragma once
// The XML viewer window: any XML file shown read-only, indented, in a simple
// viewer of its own, with its own status bar.
#include "Forms.h"

#include <string>

namespace pem {

class TFrameSimpleViewer;
class TMyStatusBar;

class TfrmXMLViewer : public TForm {
public:
    TfrmXMLViewer();

    TFrameSimpleViewer* FrameSimpleViewer1;
    TMyStatusBar* MyStB;

    // Shows the file in the window; false, with the message on the window's
    // status bar, when the file does not exist (the caller ends its
    // operation with it). A file that is no well-formed XML is still shown,
    // as plain text, with the parser's message on the status bar.
    bool LoadFile(const std::string& fileName);
    // The message LoadFile gives for a missing file.
    static std::string MissingFileText(const std::string& fileName);

    // The window made at start-up; null before it is made.
    static TfrmXMLViewer* Instance();
};

} // namespace pem
