#pragma once
// Reading files without being caught by odd kinds of file, and replacing
// files in one step.
//
// Reading: only a regular file is read. A FIFO, a device such as /dev/zero or
// a folder is refused without waiting and without reading from it, so an odd
// file can neither hang the program nor fill its memory.
//
// Replacing: the new text goes to a temporary file in the file's own folder,
// is flushed and synced, takes the old file's permissions and replaces it by
// a rename; the folder is synced after it. A crash, a full disk or a refused
// write thus leaves the old file byte for byte as it was. A symbolic link is
// kept: its target is replaced. A write-protected file (no write permission
// for anybody, or none for us) and anything that is not a regular file are
// refused, as a direct write would be. Where the folder refuses new files but
// the file itself may be written, the complete text is made first and then
// written over the file in place, with the old text put back if that fails.
// The files the program keeps at fixed names in a folder of its own
// (ReplaceOwnFile...) differ in one point: a link found in their place is
// replaced by the new file, and its target is neither followed nor touched.
//
// The temporary files are named "." + file name + ".tmp-" + process id + "-"
// + six characters. The next replacement of the same file removes those whose
// process has ended (a killed save leaves one); those of running processes
// stay.
//
// Paths are as the file system spells them (UTF-8); the messages name the
// file by the name the caller gives (the path when none), never by the
// temporary file.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pem {

// Writes all n bytes at the descriptor's position, going on after
// interruptions and short writes; false on an error.
bool WriteAll(int fd, const char* p, std::size_t n);

// Writes text as the whole content of the file at path (created with the
// mode of new files, or truncated), never through a symbolic link in its
// place. For the run's own working files, rewritten in place: raises
// EFileError "Can not create file %s" or "Can not write file %s" naming name
// (path where name is empty).
void WriteOwnFileInPlace(const std::string& path, std::string_view text, const std::string& name = {});

// Whether the path names a regular file; links are followed.
bool IsRegularFile(const std::string& path);

enum class TReadStatus { Ok, Missing, Unreadable, NotRegular, TooLarge };

// Reads the whole file into content when it is a regular file of at most
// maxBytes bytes (0: any size). content is left empty on failure.
TReadStatus TryReadRegularFile(const std::string& path, std::string& content, std::uint64_t maxBytes = 0);

// "Can not open file %s", followed by ": not a regular file" or ": larger
// than %d bytes" where that is the reason.
std::string ReadFailureMessage(TReadStatus status, const std::string& name, std::uint64_t maxBytes = 0);

// TryReadRegularFile raising EFileError with ReadFailureMessage.
std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes = 0);

// Replaces the file's content with text. Raises EFileError "Can not create
// file %s" (write-protected, folder missing or refusing, no temporary file;
// ": not a regular file" added for other kinds of file) or "Can not write
// file %s" (a failed write, flush or sync, e.g. a full disk).
void ReplaceFileText(const std::string& path, std::string_view text, const std::string& name = {});

// The same with the content written by write, which receives the name of the
// file to write (a fresh temporary file, or a file in memory: write writes it
// directly, not through another replacement). An EFileError of write becomes
// "Can not write file %s" naming the file; any other exception passes on.
void ReplaceFileAtomically(const std::string& path, const std::function<void(const std::string&)>& write,
                           const std::string& name = {});

// The same two for a file the program owns at a fixed name (a stop file, a
// parameter document, a console log): a symbolic link in its place is never
// followed but replaced by a plain file with the mode of new files.
void ReplaceOwnFileText(const std::string& path, std::string_view text, const std::string& name = {});
void ReplaceOwnFileAtomically(const std::string& path, const std::function<void(const std::string&)>& write,
                              const std::string& name = {});

// The start of the temporary files of a replacement of fileName (the name
// without folder) by process pid: "." + fileName + ".tmp-" + pid + "-".
std::string ReplacementTempPrefix(const std::string& fileName, long pid);

} // namespace pem

// ------------------------------------------------ reading piece by piece,
// own files written in place, and own-file copies

namespace pem {

// Opens a regular file for reading without waiting (a FIFO without a writer
// would hold the open). Returns the descriptor, or -1 with the reason in
// status (Missing, Unreadable or NotRegular).
int OpenRegularFile(const std::string& path, TReadStatus& status);
// The same raising EFileError with ReadFailureMessage naming name (path
// where name is empty).
int OpenRegularFileOrRaise(const std::string& path, const std::string& name = {});

// Opens a file the program owns at a fixed name for writing in place,
// truncated: a symbolic link in its place is replaced by a new file, never
// followed; anything else that is not a regular file is refused without
// waiting. Returns the descriptor, or -1 with errno (EINVAL for a file of
// another kind).
int OpenOwnFileForWriting(const std::string& path);

// Copies the rest of in to out from their positions: the kernel's copy
// between regular files where it can, blocks of blockSize bytes otherwise.
enum class TCopyStatus { Ok, ReadFailed, WriteFailed };
TCopyStatus CopyFileData(int in, int out, std::size_t blockSize = 256 * 1024);

// Copies the regular file source over dest, a file the program owns at a
// fixed name: the copy is made beside dest and replaces it whole, so a failed
// copy leaves the old dest as it was; a link in dest's place is replaced,
// never followed. Raises EFileError "Can not open file %s" (source, with
// ReadFailureMessage's reason), "Can not read file %s" (source), "Can not
// create file %s" or "Can not write file %s" (dest). The names are those the
// messages give (the paths where empty).
void CopyToOwnFile(const std::string& source, const std::string& dest, const std::string& sourceName = {},
                   const std::string& destName = {});

} // namespace pem
