#pragma once
// The configuration a DOSBox run of a DOS tool is started with, made from
// the installation's template.
#include "StringList.h"

#include <string>

namespace pem {

// The template's lines with its own "[autoexec]" section removed (only when
// that line stands after the first line: a template that begins with it, or
// has none, stays whole), then a new "[autoexec]" section that mounts the
// tool's folder as C:, the working folder as X:, changes to X: and runs the
// tool with "last.xml" before "exit"; and "cycles=max" in place of the first
// "cycles" line, or appended when there is none.
TStringList ComposeDOSBoxConfig(const TStringList& templ, const std::string& toolFolder,
                                const std::string& toolFileName);

// The arguments DOSBox is started with for a tool run.
inline const char* const kDOSBoxRunArguments[] = {"-conf", "DOSBox.config", "-noconsole", "-exit"};

} // namespace pem
