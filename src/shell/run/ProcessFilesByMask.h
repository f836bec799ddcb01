#pragma once
// Counting or deleting the files of a folder tree whose names fit a mask:
// the sweep the run preparation, the reset and the cleaning after a run use
// for numbered input-tree and result files ("SRC####", "LAST####" ...).
#include <functional>
#include <string>
#include <vector>

namespace pem {

// Every digit replaced by "#".
std::string MaskDigits(const std::string& text);

// Searches folder (with subfolder appended, when given) down to depth levels
// (1: the folder itself). A file matches when the mask is "*.*", is empty,
// or begins its name upper-cased with digits as "#" (the mask compared
// ignoring case). Hidden entries (names beginning with ".") and entries that
// are neither files nor folders are left alone; symbolic links to folders
// are not followed. Matching files are counted and, unless countOnly,
// deleted; then each folder searched that has become empty is removed.
// Returns the number of matching files. Nothing happens for an empty folder
// name or a depth below 1.
int ProcessFilesByMask(const std::string& folder, const std::string& subfolder, int depth, bool countOnly,
                       const std::string& mask);

// The same sweep, told more: every matching file's path (8-bit, the folder as
// given, "/" between names) is appended to matched in the walk's order, and
// the files named in keep (the same file however its path is spelt) are
// neither deleted nor counted, and keep their folders.
struct TMaskSweep {
    bool countOnly = false;
    std::vector<std::string>* matched = nullptr;
    std::vector<std::string> keep;
    // Called for every matching file before it is dealt with: a long sweep on
    // the window's thread serves the window through it.
    std::function<void()> onFile;
    // When set, the sweep's start folder must lie inside this folder and be
    // reached from it without a symbolic link (the folder itself may be
    // reached through one). A start that is a link, lies below one, or lies
    // elsewhere is not swept and sets *leftAlone.
    std::string within;
    bool* leftAlone = nullptr;
    // When set, receives the path of every link to a folder the sweep meets
    // where it would have searched a folder; the sweep does not follow it.
    std::vector<std::string>* linkedFolders = nullptr;
};
int ProcessFilesByMask(const std::string& folder, const std::string& subfolder, int depth, const std::string& mask,
                       const TMaskSweep& how);

} // namespace pem
