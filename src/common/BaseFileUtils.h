#pragma once
// File module: block copying, moving with a copy fallback, file dates and
// attributes, and the path routines that work with any separator.
//
// All names are 8-bit Windows-1252 text; they are converted to UTF-8 only
// where they reach the file system.
#include <cstddef>
#include <string>

#include "Exceptions.h"

namespace pem {

// Days since 1899-12-30, the fraction being the time of day.
using TDateTime = double;

// File attribute bits as the file routines report them. On Linux a file is
// read-only when nobody may write it, hidden when its name starts with ".",
// a system file when it is neither a regular file nor a folder, and every
// regular file carries the archive bit.
constexpr int kFileAttrReadOnly = 0x01;
constexpr int kFileAttrHidden = 0x02;
constexpr int kFileAttrSysFile = 0x04;
constexpr int kFileAttrDirectory = 0x10;
constexpr int kFileAttrArchive = 0x20;

// Buffer size of CopyFileBlocks where the kernel cannot copy between the
// files by itself (pipes, devices, some file systems).
constexpr std::size_t kCopyBlockSize = 256 * 1024;

// Copies source to destination, written in place. A destination that is an
// existing folder receives the file under the source's name. Only a regular
// file is copied; a FIFO at either end is refused without waiting. Raises
// EFileError "Can not open file %s" (source; ": not a regular file" added for
// other kinds of file), "Can not create file %s" (destination), "Can not read
// file %s", "Can not write file %s" (e.g. a full disk), and "Can not copy file
// %s onto itself" without touching the file. A failed copy may leave the
// destination partly written. File times and attributes are not carried over.
// Files the program owns in its output directory are copied by CopyToOwnFile
// (SafeFiles.h) instead, which neither follows a link nor cuts the old file.
void CopyFileBlocks(const std::string& source, const std::string& destination);

// Renames source to the expanded destination; when that fails and the source
// exists and is not read-only, copies it and deletes the source. Raises
// EFileError "Can not move file %s" (source) otherwise.
void MoveFileOrCopy(const std::string& source, const std::string& destination);

// Last-write time in local time; 0 when the file does not exist.
TDateTime FileDateTime(const std::string& fileName);

// True when the file exists and has one of the attribute bits.
bool FileHasAttribute(const std::string& fileName, int attributes);

// A letter A-Z/a-z followed by ":".
bool PathHasDrive(const std::string& path);
// PathHasDrive, or a leading "\" or "/".
bool PathIsAbsolute(const std::string& path);
// The path with separator appended unless it already ends in it; "" stays "".
std::string IncludeTrailingSeparator(const std::string& path, char separator);
// The path without trailing separators; a lone separator (the root) stays.
std::string ExcludeTrailingSeparator(const std::string& path, char separator);

// Parts of a file name ("/" separates folders): the folder with its
// trailing "/", the name without folder, the extension with its "." ("" when
// the name part has none), and the name with its extension replaced.
std::string ExtractFilePath(const std::string& fileName);
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFileExt(const std::string& fileName);
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);

// Existence tests and folder creation for 8-bit names (converted to the
// file system's UTF-8 here); an empty name exists nowhere.
bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& dirName);
// Creates a missing folder with its parents; true when it exists afterwards.
bool ForceDirectories(const std::string& dirName);
// Removes "." parts and resolves ".." parts (never past a drive or the root).
std::string NormalizePath(const std::string& path, char separator);
// An absolute path only normalised; otherwise base + separator + relative,
// normalised; an empty relative path gives the normalised base.
std::string ExpandRelativePath(const std::string& relativePath, const std::string& baseFolder,
                               char separator);

// The user's documents folder: the XDG documents folder when it exists, else
// $HOME; "" when neither is known. The owner window is not needed here.
std::string GetMyDocumentsDir(const void* ownerWindow = nullptr);

// Expands $VAR, ${VAR} and %VAR%; references to unset variables stay as
// they are.
std::string ExpandEnvVars(const std::string& text);

// Short path names do not exist on Linux: the path itself when it exists,
// "" when it does not (the failure of the short-name look-up).
std::string GetShortPath(const std::string& path);

} // namespace pem
