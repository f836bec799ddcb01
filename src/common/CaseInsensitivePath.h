#pragma once
// Installations carry names whose letter case differs from what the INI file
// and the parameter-file conventions spell ("Limits.COB", "cobaudit",
// "TOOLS"). Linux names are case-sensitive, so every look-up of a file of the
// tool tree, the INI file and the parameter files goes through here.
//
// Paths are Windows-1252 text with "/" separators; they cross to UTF-8 only
// to reach the file system.
#include <string>

namespace pem {

// The existing path whose elements match the given ones ignoring letter case
// (code-page folding), resolved folder by folder from the first element. An
// element that exists exactly as spelt is taken as it is. "." and ".." are
// kept. Returns "" when some element has no match. Where several entries
// match one element, the exact spelling wins, else the first in byte order.
std::string FindPathIgnoringCase(const std::string& path);

// The resolved path of an existing regular file / folder, or "".
std::string FindFileIgnoringCase(const std::string& path);
std::string FindDirIgnoringCase(const std::string& path);

// Convenience: whether such a file / folder exists.
bool FileExistsIgnoringCase(const std::string& path);
bool DirExistsIgnoringCase(const std::string& path);

// The resolved name when the file exists in some case, else the path as
// given (for messages and edits that must show what was asked for).
std::string ResolveFileIgnoringCase(const std::string& path);

} // namespace pem
