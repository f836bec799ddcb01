#include "WordPicking.h"

#include "WordListFile.h"

namespace pem {

namespace {
constexpr char kFromSourceText = 'T';
constexpr char kFromControlWords = 'C';
} // namespace

std::string EncodeWordDrag(const TWordDrag& drag) {
    return std::string(1, drag.source == TWordDragSource::SourceText ? kFromSourceText : kFromControlWords) +
           drag.text;
}

std::optional<TWordDrag> DecodeWordDrag(std::string_view bytes) {
    if (bytes.empty()) return std::nullopt;
    TWordDrag d;
    if (bytes[0] == kFromSourceText) d.source = TWordDragSource::SourceText;
    else if (bytes[0] == kFromControlWords) d.source = TWordDragSource::ControlWords;
    else return std::nullopt;
    d.text = std::string(bytes.substr(1));
    return d;
}

bool AcceptsWordDrag(TWordDropTarget target, TWordDragSource source) {
    switch (target) {
    case TWordDropTarget::CreateWordEdit: return true;
    case TWordDropTarget::SourceText: return source == TWordDragSource::SourceText;
    case TWordDropTarget::ControlWords: return source == TWordDragSource::ControlWords;
    }
    return false;
}

TCreateWordFields DropOnCreateWordEdit(const TWordDrag& drag) {
    TCreateWordFields f;
    if (drag.source == TWordDragSource::SourceText) {
        f.word = drag.text.substr(0, drag.text.find_first_of("\r\n"));
    } else {
        f.word = ControlTagWord(drag.text);
        f.code = ControlTagCode(drag.text);
    }
    return f;
}

} // namespace pem
