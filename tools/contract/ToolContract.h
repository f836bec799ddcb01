#pragma once
// What every tool of the package owes the shell, for the demo tool and the
// fake tools of the tests: read the parameter document and the input tree
// relative to the working folder, write results into the result folders
// under input-tree names, write the log named after the system, print one
// progress line per source, stop on an empty "Semaphore.xml", and end:
// with 0 after a good run. Any other exit code, whatever its value, is read
// as that code, and a signal that ends the tool as that signal; in piped
// runs the console stub passes both on unchanged (it ends as the tool
// ended), and tells a tool it could not start on a road of its own.
//
// Standard library only: the tools are small programs of their own.
#include <string>
#include <vector>

namespace pemtool {

// One source of the document's Files section.
struct TSourceEntry {
    std::string number;   // "0001"
    std::string origPath; // Orig_File_: the path before copying
    std::string treePath; // File_: the path in the input tree, "/" separated
};

struct TParameterDocument {
    std::string root; // the document's root element
    std::string language, productName, systemName, version;
    std::string origInputDir, inputDir = "workinp", outputDir = ".", workDir = "./work";
    std::vector<TSourceEntry> sources;
};

// Reads the document (the shell writes one element or attribute per line).
// False with a message when the file cannot be read or has no root.
bool ReadParameterDocument(const std::string& path, TParameterDocument& doc, std::string& error);

// The command line as the shell gives it: the document, optionally with
// ";" and a source number (batch runs), optionally followed by ">" and a
// file that takes the console output.
struct TToolArguments {
    std::string document = "last.xml";
    int sourceNumber = -1;
    std::string consoleFile;
};
TToolArguments ParseToolArguments(int argc, char** argv);

// Sends standard output (and error) into the file, as a command interpreter
// would have done for "> file". False when it cannot be opened.
bool RedirectConsole(const std::string& file);

// An empty "Semaphore.xml" in the output folder asks the tool to stop.
bool StopRequested(const std::string& outputDir);

// "SRC0001" from "COMP0001/MOD0001/SRC0001.CBL".
std::string TreeName(const std::string& treePath);
// "MOD0001" (the folder above the source) or "" when the tree is flat.
std::string TreeModule(const std::string& treePath);
// "COMP0001" (two folders above) or "".
std::string TreeComponent(const std::string& treePath);

// Writes text into outputDir/folder/name, creating the folder.
bool WriteResult(const std::string& outputDir, const std::string& folder, const std::string& name,
                 const std::string& text);

// The number of line ends in a file; -1 when it cannot be read.
long CountLines(const std::string& path);

// The progress line the shell counts, printed and flushed at once:
// "Orig Source File = <path>" (or "Orig Text File = <path>" for text tools).
void ReportSource(const std::string& origPath, bool textTool);

} // namespace pemtool
