#pragma once
// The shell's item-ID lists, in this program's own form: one item per path
// component, its data the component in UTF-16; the desktop is the empty
// list and stands for "/". Lists are allocated with CoTaskMemAlloc.
#include "OleMemory.h"

#include <string>
#include <string_view>

namespace pem {

constexpr size_t MAX_PATH = 260;

// The size of a list in bytes, its terminating zero included; 0 when the
// list does not end (with a whole item and a zero) within maxBytes, or an
// item's size is below 2.
size_t ILGetSizeBounded(PCIDLIST pidl, size_t maxBytes);
// The same for a list known to be well formed.
size_t ILGetSize(PCIDLIST pidl);
// A copy of a well-formed list, or none.
PIDLIST ILClone(PCIDLIST pidl);
// The list of a sequence of bytes (a copy); none when they do not form one.
PIDLIST ILFromBytes(const uint8_t* data, size_t size);

HRESULT SHGetMalloc(IMalloc** out);
// The desktop folder: parses absolute paths into item-ID lists.
HRESULT SHGetDesktopFolder(IShellFolder** out);
// The path of an absolute list, at most maxChars characters with its end;
// false (and an empty path) when it is no path or too long.
bool SHGetPathFromIDListW(PCIDLIST pidl, std::u16string& path, size_t maxChars = MAX_PATH);

} // namespace pem
