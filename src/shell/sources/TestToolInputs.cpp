#include "TestToolInputs.h"

#include "FileFilter.h"

namespace pem {

const std::vector<TTestToolInput>& TestToolInputs() {
    static const std::vector<TTestToolInput> inputs = {
        {"Methods:", "ActSpecifyMethodFile", "Specify method list file", "MethodListFiles",
         "Method list files (*.csv)|*.csv|All files (*.*)|*.*", false},
        {"Test Cases:", "ActSpecifyTestCaseFile", "Specify test case file", "TestCaseFiles",
         "Test case files (*.csv)|*.csv|All files (*.*)|*.*", false},
        {"Problems:", "ActSpecifyDefiXML", "Specify problem file", "ProblemFiles",
         "Problem files (*.xml)|*.xml|All files (*.*)|*.*", false},
        {"Test execution log:", "ActSpecifyTestExecutionLog", "Specify test execution log file", "TestExecLogFiles",
         "Test execution log files (*.csv)|*.csv|All files (*.*)|*.*", true},
        {"Trace file:", "ActSpecifyTestResult", "Specify test trace files", "TraceFiles",
         "Test trace files (*.csv)|*.csv|All files (*.*)|*.*", true},
    };
    return inputs;
}

const TTestToolInput* TestToolInputOfAction(const std::string& actionName) {
    for (const TTestToolInput& t : TestToolInputs())
        if (actionName == t.action) return &t;
    return nullptr;
}

TTestToolChoice SetTestToolEntries(TSourceFileList& list, const TTestToolInput& input,
                                   const std::vector<std::string>& files) {
    TTestToolChoice choice;
    for (const std::string& f : files) {
        const std::string reason = UnsafeSourceNameReason(f);
        if (reason.empty()) choice.taken.push_back(f);
        else choice.skipped.push_back(SkippedSourceMessage(f, reason));
    }
    const std::string prefix = std::string(input.label) + "=";
    if (input.many) {
        for (const std::string& f : choice.taken) list.Append(prefix + f, true, true);
        return choice;
    }
    if (choice.taken.empty()) return choice;
    choice.taken.resize(1);
    std::vector<TSourceFile> items = list.Items();
    bool replaced = false;
    for (TSourceFile& item : items)
        if (item.path.compare(0, prefix.size(), prefix) == 0) {
            item = {prefix + choice.taken.front(), true, true};
            replaced = true;
            break;
        }
    if (!replaced) items.push_back({prefix + choice.taken.front(), true, true});
    list.Assign(std::move(items));
    return choice;
}

std::string MethodListPath(const TSourceFileList& list) {
    const std::string prefix = "Methods:=";
    for (const TSourceFile& item : list.Items())
        if (item.path.compare(0, prefix.size(), prefix) == 0) return item.path.substr(prefix.size());
    return {};
}

} // namespace pem
