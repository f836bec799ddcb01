#pragma once
// The pieces of a run's preparation that need no window: what the output
// directory must hold before a tool starts (result folders, a clean input
// tree "workinp", the parameter documents, the batch file, the dummy
// test-case file) and the cleaning of what an earlier run left there.
//
// The main window runs them in order, shows the progress and asks the
// questions; the copying of the sources is TInputFileCopier's.
#include "BatchScript.h"
#include "InputTreeEntries.h"
#include "StringList.h"

#include <functional>
#include <string>
#include <vector>

namespace pem {

// The folders a run's results go to, in the order they are made.
const std::vector<std::string>& ResultFolderNames();
// The work folder's subfolders the language "PB" needs.
const std::vector<std::string>& PBWorkSubfolders();

// The output directory was used for a run before: it holds "last.xml" or one
// of the result folders "Metrics", "Specs", "Defis", "Requs", "Comments",
// "Exports", "Cases", "Instru", "Tables".
bool OutputDirectoryUsed(const std::string& outputDir);
// The question asked before a directory's first use.
std::string FirstUseQuestion(const std::string& outputDir);

// The input tree of an output directory.
std::string InputTreeFolder(const std::string& outputDir);

// Deletes the files whose names fit the mask (ProcessFilesByMask) to depth
// folders deep, and the folders that emptied, but never the folder itself:
// an output directory holding nothing else stays. Returns the count.
int SweepFolder(const std::string& folder, int depth, const std::string& mask,
                const std::function<void()>& onFile = {});

// Removes the old source copies ("SRC####" to level plus one folders deep)
// from the input tree and makes it again. onFile is called for every file
// removed, here and below.
void CleanInputTree(const std::string& outputDir, int structureLevel, const std::function<void()>& onFile = {});
// Removes what the last run left: "LAST####" files in the directory itself,
// then "SRC####", "MOD####" and "COMP####" files to level plus one folders
// deep (step after each sweep), then makes the input tree again.
void CleanOutputDirectory(const std::string& outputDir, int structureLevel, const std::function<void()>& step,
                          const std::function<void()>& onFile = {});

// Makes the result folders, the folder named after the system and the work
// folder (with the "PB" subfolders for that language). Raises EFileError
// "Can not create folder %s" for one that cannot be made.
void MakeResultFolders(const std::string& outputDir, const std::string& systemName, const std::string& workFolder,
                       bool pbLanguage);
// Makes a folder with its parents or raises EFileError "Can not create
// folder %s".
void MakeFolder(const std::string& folder);

// The input tree as the entries describe it.
struct TInputCopy {
    int position = 0;   // the source's place in the selected-files list
    std::string target; // the copy in the input tree
};
struct TInputTreePlan {
    std::vector<std::string> folders; // FDR folders; FCDR folders below "Instru" for kinds 5 and 6
    std::vector<TInputCopy> copies;   // XCPY entries in entry order
};
TInputTreePlan PlanInputTree(const TInputTreeEntries& entries, const std::string& outputDir, int productKind);

// "Building input structure, Processing %d of %d".
std::string BuildProgressCaption(int position, int count);

// One document per module for systems named by directory: the frame of the
// whole document around the element pairs of one module's sources, the
// module number taken out of their tags and the system name replaced by the
// first eight characters of the module's name (its MOD entry after the last
// "/"). In module order.
struct TModuleDocument {
    std::string module; // "0001"
    TStringList lines;
};
std::vector<TModuleDocument> SplitDocumentPerModule(const TStringList& document, const TInputTreeEntries& entries);

// What the documents and the batch of one run are written from.
struct TRunDocuments {
    std::string outputDir;
    const TStringList* document = nullptr;
    const TInputTreeEntries* entries = nullptr;
    const std::vector<TBatchLine>* batchLines = nullptr; // the document's per-source or per-module calls
    bool subProcessorRun = false;
    bool nameByDirectory = false;
    std::string toolFolder; // the sub-processors' folder
};
// Writes "last.xml", or the per-module documents, and "lastbatch.cmd" for a
// batch run; an old "lastbatch.cmd" is deleted first, so a run never starts
// a stale batch. When a per-module document or the batch cannot be written,
// the whole document is saved as "last.xml" instead and EFileError names the
// file that failed: a batch run cannot go on without its batch.
void WriteRunDocuments(const TRunDocuments& run);

// The test-case file a kind-1 run gets when the system has none: a header of
// the fourteen column names and one dummy row.
std::string DummyTestCaseText();

} // namespace pem
