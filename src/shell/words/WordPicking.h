#pragma once
// Picking control words by dragging: a selection of the source text, or an
// item of the control-word list, dragged onto the edit that creates a new
// control word. The drag carries its origin and text under a private type;
// what a drop does is decided here, without widgets.
#include <optional>
#include <string>
#include <string_view>

namespace pem {

// The private drag type of picked words.
inline constexpr const char* kWordDragMimeType = "application/x-pemaris-picked-word";

enum class TWordDragSource { SourceText, ControlWords };

struct TWordDrag {
    TWordDragSource source = TWordDragSource::SourceText;
    std::string text; // the selected text, or the selected item ("CODE word")
};

// The bytes of a drag and back; nullopt for bytes not made by Encode.
std::string EncodeWordDrag(const TWordDrag& drag);
std::optional<TWordDrag> DecodeWordDrag(std::string_view bytes);

enum class TWordDropTarget { CreateWordEdit, SourceText, ControlWords };

// The create edit takes every drag; the source text and the control-word
// list take a drag only from themselves (and do nothing with it).
bool AcceptsWordDrag(TWordDropTarget target, TWordDragSource source);

// What a drop on the create edit puts into the edit and, from the list, the
// code into the code box: the selected text up to its first line break, or
// the item's word (from character 6) and code (characters 1-4).
struct TCreateWordFields {
    std::string word;
    std::optional<std::string> code;
};
TCreateWordFields DropOnCreateWordEdit(const TWordDrag& drag);

} // namespace pem
