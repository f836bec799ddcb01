#pragma once
// Clipboard format ids: the predefined ones, and names registered at run
// time. Registered ids start at 0xC000 and are private to this process; the
// same name (letter case ignored) always gives the same id.
#include "OleTypes.h"

#include <string>
#include <string_view>

namespace pem {

constexpr CLIPFORMAT CF_TEXT = 1;
constexpr CLIPFORMAT CF_BITMAP = 2;
constexpr CLIPFORMAT CF_METAFILEPICT = 3;
constexpr CLIPFORMAT CF_SYLK = 4;
constexpr CLIPFORMAT CF_DIF = 5;
constexpr CLIPFORMAT CF_TIFF = 6;
constexpr CLIPFORMAT CF_OEMTEXT = 7;
constexpr CLIPFORMAT CF_DIB = 8;
constexpr CLIPFORMAT CF_PALETTE = 9;
constexpr CLIPFORMAT CF_PENDATA = 10;
constexpr CLIPFORMAT CF_RIFF = 11;
constexpr CLIPFORMAT CF_WAVE = 12;
constexpr CLIPFORMAT CF_UNICODETEXT = 13;
constexpr CLIPFORMAT CF_ENHMETAFILE = 14;
constexpr CLIPFORMAT CF_HDROP = 15;
constexpr CLIPFORMAT CF_LOCALE = 16;
constexpr CLIPFORMAT CF_DIBV5 = 17;
constexpr CLIPFORMAT CF_OWNERDISPLAY = 128;
constexpr CLIPFORMAT CF_DSPTEXT = 129;
constexpr CLIPFORMAT CF_DSPBITMAP = 130;
constexpr CLIPFORMAT CF_DSPMETAFILEPICT = 131;
constexpr CLIPFORMAT CF_DSPENHMETAFILE = 142;

constexpr UINT kFirstRegisteredFormat = 0xC000;

// The id of a named format, registering the name on first use; 0 for an
// empty name or when the ids are used up.
UINT RegisterClipboardFormatA(std::string_view name);
// The name a registered id was given, cut to maxChars characters; empty for
// an id that is not registered (the predefined ids included).
std::string GetClipboardFormatNameA(UINT id, int maxChars = 255);

} // namespace pem
