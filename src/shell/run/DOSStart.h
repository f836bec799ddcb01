#pragma once
// DOS programs on this system: DOSBox is the only way to run them. There is
// no DOS subsystem of the kind that reads an own AUTOEXEC.NT and .pif files,
// so nothing of that kind is written or deleted; the shell says so instead.
#include <string>
#include <vector>

namespace pem {

// DOSBox's executable: "dosbox" on PATH, else the INI file's
// Runcontrol.DOSBoxLocation when that file exists; "" when neither.
std::string FindDOSBoxExecutable(const std::string& iniLocation);

// The arguments that make DOSBox write its configuration template under
// fileName in its working folder, then end.
std::vector<std::string> DOSBoxWriteConfigArguments(const std::string& fileName);

// A DOS program: a ".com" file, or an "MZ" executable that has no newer
// (Windows or OS/2) header behind it.
bool IsDosExecutable(const std::string& path);

// The status-bar note when a language asks for the DOS start through .pif
// files ("Create_PIF"), naming the DOS programs among its tools.
std::string DOSStartNote(const std::vector<std::string>& dosPrograms);

} // namespace pem
