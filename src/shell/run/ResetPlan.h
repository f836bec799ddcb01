#pragma once
// Resetting a job's output: what earlier runs left in the output directory
// is collected, announced and, once confirmed, deleted. The announcement
// names every file the deletion takes, the open job file is never among
// them, and an output directory whose deletion would reach the file
// system's root, the home folder or the job's own sources is refused.
#include <functional>
#include <string>
#include <vector>

namespace pem {

// The result folders of a run.
extern const std::vector<std::string> kResultFolders;

struct TResetRequest {
    std::string outputDir;     // as in the field, without trailing "/"
    std::string reportFolder;  // document scanners: their report folder, else ""
    std::string productName, systemName, jobName;
    int structureLevel = 2;
    std::string inputTreePath; // "" stands for outputDir + "/workinp"
    std::string commonRoot;    // the folder above the job's sources, "" none
    std::string openJobFile;   // never deleted, "" none
    std::string homeDir;       // the user's home folder
    // The job's sources (absolute paths); none of them may lie inside the
    // output directory.
    std::vector<std::string> sources;
};

struct TResetPlan {
    std::string refusal;            // non-empty: nothing may be deleted, this says why
    std::vector<std::string> files; // what the reset deletes, in announcement order
    // Folders that are not swept: a sweep's start that is a link, lies
    // below one or outside the output directory, and every link to a folder
    // met inside a sweep.
    std::vector<std::string> leftAlone;
};

// Why the output directory may not be reset ("" when it may): it is empty
// or relative, the root, holds the home folder, the job's common root or
// one of its sources.
std::string ResetRefusal(const TResetRequest& request);

// The search depth: the structure level, 1 for the flat list.
int ResetDepth(int structureLevel);

// Collects what the reset deletes: the report folder's files (depth + 1
// levels), the output directory's own "Module Ranking.txt", "Rule
// Violations.txt", "last*", product, system and "job_*" files, the result
// folders' files (depth + 1 levels), then, sorted, any further file the
// sweeps of ExecuteReset take. step runs after each search.
TResetPlan CollectReset(const TResetRequest& request, const std::function<void()>& step = {});

// The question before deleting: the count and up to eleven names.
std::string ResetQuestion(const TResetPlan& plan);

// Deletes the plan's files, then sweeps: the report folder (depth + 5
// levels), the output directory (depth + 2) and the input tree's "SRC####"
// files (depth + 2), emptied folders included; then creates the output
// directory again. Files that cannot be deleted stay. step runs after each
// file and sweep. No sweep starts at a link, below one or outside the
// output directory. Nothing happens for a refused plan.
void ExecuteReset(const TResetPlan& plan, const TResetRequest& request, const std::function<void()>& step = {});

} // namespace pem
