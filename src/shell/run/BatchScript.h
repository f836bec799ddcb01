#pragma once
// The batch file "lastbatch.cmd" of a batch run, written as a POSIX shell
// script that the shell starts as "/bin/sh FULLPATH". The batch is composed
// as lines of three kinds, in the order the run needs them:
//   "ECHO ON"          -> set -x
//   "ren a b"          -> mv -f -- 'a' 'b'
//   a tool call        -> 'program' 'argument' ...
// Every word is single-quoted (a "'" inside written as '\''), so tool folders
// with blanks, ";", "$" or quotes and arguments such as "last.xml;0001" stay
// one word each. Programs are found ignoring letter case, with or without
// their ".exe".
#include "StringList.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

struct TBatchLine {
    enum class TKind { EchoOn, Rename, Call };
    TKind kind = TKind::Call;
    std::string program;           // Call: the tool, as composed ("FOLDER/NAME.exe")
    std::vector<std::string> args; // Call: its arguments
    std::string from, to;          // Rename
    // The module that starts with this line, "" for none (the "@nnnn" the
    // batch rebuild of systems named by directory works by).
    std::string moduleMarker;

    static TBatchLine EchoOn();
    static TBatchLine Rename(const std::string& from, const std::string& to);
    static TBatchLine Call(const std::string& program, std::vector<std::string> args);
    bool operator==(const TBatchLine&) const = default;
};

// A word quoted for sh.
std::string ShellQuote(const std::string& word);

// The program as the script should name it: the file that exists ignoring
// letter case, with the ".exe" the composition gave it or without; the path
// as given when neither exists (sh then reports it).
std::string ResolveBatchProgram(const std::string& program);

// The script line of one batch line; programs through ResolveBatchProgram.
std::string ShellLine(const TBatchLine& line);

// The whole script: one line each, LF-ended, UTF-8 for the file system.
std::string BatchScriptText(const std::vector<TBatchLine>& lines);

// Writes the script; raises EFileError "Can not create file %s" on failure.
void SaveBatchScript(const std::string& fileName, const std::vector<TBatchLine>& lines);

// ---- composing the batch of a run (the order the tools rely on)

// The WAAAudit call closing (9999) or opening (0) a sub-processor batch:
// "FOLDER/WAAAudit.exe" with "last.xml;nnnn".
TBatchLine AuditCall(const std::string& toolFolder, int number);

// A sub-processor run with systems not named by directory: "ECHO ON", the
// opening audit call, the per-source lines, the closing audit call.
std::vector<TBatchLine> ComposeSubProcessorBatch(const std::vector<TBatchLine>& sourceLines,
                                                 const std::string& toolFolder);

// A sub-processor run with systems named by directory: the per-source lines
// (the first of each module marked) become, per module m, "ren lastm.xml
// last.xml", the opening audit call, the module's lines, the closing audit
// call and "ren last.xml lastm.xml"; "ECHO ON" first.
std::vector<TBatchLine> RebuildBatchByModule(const std::vector<TBatchLine>& sourceLines,
                                             const std::string& toolFolder);

} // namespace pem
