#pragma once
// What the source-file routines have to tell the user. They work without a
// status bar; the main window shows each message in its kind.
#include <string>
#include <vector>

namespace pem {

struct TSourceMessage {
    enum Kind { Info, Warning, Error } kind = Info;
    std::string text;
};
using TSourceMessages = std::vector<TSourceMessage>;

} // namespace pem
