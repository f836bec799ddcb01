#pragma once
// The input files of the test tools. In the test products they take the
// place of the source files: entries "label=path" of the same list.
#include "SourceFileList.h"

#include <string>
#include <vector>

namespace pem {

struct TTestToolInput {
    const char* label;     // "Methods:"
    const char* action;    // "ActSpecifyMethodFile"
    const char* title;     // the open dialog's title
    const char* setting;   // the settings value of the folder used last
    const char* filter;    // the open dialog's filter
    bool many;             // several files, each an entry of its own
};

// The five inputs: methods, test cases, problems, test execution logs, traces.
const std::vector<TTestToolInput>& TestToolInputs();
const TTestToolInput* TestToolInputOfAction(const std::string& actionName);

// What a choice of files did: the files taken, and a warning for each file
// refused as a source would be (a control character or "<" ">" in its name).
struct TTestToolChoice {
    std::vector<std::string> taken;
    std::vector<std::string> skipped;
};

// A single-entry input replaces the entry of its label (or adds one) with
// the first file taken; a many-entry input adds one entry per file taken.
// Every entry set is ticked and enabled.
TTestToolChoice SetTestToolEntries(TSourceFileList& list, const TTestToolInput& input,
                                   const std::vector<std::string>& files);

// The path of the "Methods:" entry, "" when there is none or it is empty.
std::string MethodListPath(const TSourceFileList& list);

} // namespace pem
