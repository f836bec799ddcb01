#pragma once
// The process's private folder for temporary files. Every temporary file of
// the program lives here, never under a fixed name in a shared folder.
#include <string>

namespace pem {

// Full path (without a trailing "/") of a folder made for this process on
// first use: mkdtemp under $TMPDIR, or /tmp when that is unset or unusable,
// mode 0700. It is removed at exit when it is empty by then. Raises
// EFileError "Can not create temporary folder %s" when no folder can be made.
const std::string& PrivateTempDir();

} // namespace pem
