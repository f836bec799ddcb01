#pragma once
// Shared routines that touch the file system and the desktop: the recursive
// file search, wildcard masks, the job-file type registration, the program's
// version strings and its embedded resources.
#include <string>
#include <string_view>
#include <vector>

#include "StringList.h"

namespace pem {

// SearchFilesInTree with no name mask and unlimited depth.
void FindFilesRecursive(const std::string& baseFolder, const std::string& subFolder,
                        const std::string& extensions, TStringList& list, std::vector<std::string>* unfit = nullptr);

// Adds the full path of every matching file below baseFolder/subFolder to the
// list.
//  - extensions: entries each followed by ";" (".xml;.met;"); "*.*;" takes
//    every file, ".;" files without extension; case is ignored. A single
//    entry may come without its ";".
//  - nameMask: compared with the name or the name without extension, case
//    ignored; "*" may stand at its start and/or end, "?" stands for any one
//    character and "#" for one digit.
//  - depth: folder levels searched; 1 the start folder only, -1 unlimited,
//    0 nothing.
// Hidden entries (names starting with ".") are not found and symbolic links
// to folders are not followed. Each folder's entries are taken in byte order
// of their names, files and the results of sub-folders interleaved. Names
// that Windows-1252 cannot hold (or that are no UTF-8) are skipped: their
// paths on disk go to unfit when it is given, else a warning to stderr.
void SearchFilesInTree(const std::string& baseFolder, const std::string& subFolder,
                       const std::string& nameMask, int depth, TStringList& list,
                       const std::string& extensions, std::vector<std::string>* unfit = nullptr);

// Both upper-cased; each mask position needs a character of the name: equal
// characters match, "#" a digit, "?" anything. Without prefixOnly the name
// must be as long as the mask; with it a longer name matches on its start.
bool MatchWildMask(const std::string& name, const std::string& mask, bool prefixOnly);

// Job-file type registration, done the desktop's way under $XDG_DATA_HOME
// (default ~/.local/share): a shared-mime-info package for the type and a
// .desktop file carrying its icon and one action per verb; the mime and
// desktop databases are refreshed when their tools are on PATH. Each returns
// false on any failure and reports nothing.
//
// The extension (".jkvx") becomes a glob of the type's mime type.
bool RegisterFileExtension(const std::string& extension, const std::string& fileTypeName);
// The icon text is a file path, optionally followed by "," and an index.
bool RegisterFileTypeIcon(const std::string& fileTypeName, const std::string& iconText);
// Adds (or replaces) the verb's action and makes it the type's default. The
// command line is Windows-style: quoted arguments, "%1" for the file.
bool RegisterFileTypeVerb(const std::string& fileTypeName, const std::string& verb,
                          const std::string& caption, const std::string& commandLine);

// The mime type and the .desktop file name used for a file type name.
std::string FileTypeMimeName(const std::string& fileTypeName);
std::string FileTypeDesktopFileName(const std::string& fileTypeName);

// A value of the program's version record: "FileVersion", "ProductVersion",
// "ProductName", "FileDescription", "CompanyName", "LegalCopyright",
// "InternalName", "OriginalFilename" (case ignored); "" for any other key.
std::string GetVersionInfoValue(const std::string& key);

// Makes a resource of the program available to ExtractResourceToTempFile.
// Name and type are compared ignoring case.
void RegisterResource(const std::string& resourceName, const std::string& resourceType,
                      std::string_view bytes);

// Writes a resource of the program into a new file "~XXXXXX.tmp" of the
// process's private temporary folder and returns its name in fileName. The
// bytes come from RegisterResource, else from a file beside the program named
// like the resource, with or without the lower-case type as extension.
// Raises Exception with the system's error text when there is no such
// resource or the file cannot be made. The caller deletes the file.
void ExtractResourceToTempFile(const std::string& resourceName, const std::string& resourceType,
                               std::string& fileName);

} // namespace pem
