#include "TestToolInputs.h"

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

void SetTestToolEntries(TSourceFileList& list, const TTestToolInput& input, const std::vector<std::string>& files) {
    const std::string prefix = std::string(input.label) + "=";
    if (input.many) {
        for (const std::string& f : files) list.Append(prefix + f, true, true);
        return;
    }
    if (files.empty()) return;
    std::vector<TSourceFile> items = list.Items();
    bool replaced = false;
    for (TSourceFile& item : items)
        if (item.path.compare(0, prefix.size(), prefix) == 0) {
            item = {prefix + files.front(), true, true};
            replaced = true;
            break;
        }
    if (!replaced) items.push_back({prefix + files.front(), true, true});
    list.Assign(std::move(items));
}

std::string MethodListPath(const TSourceFileList& list) {
    const std::string prefix = "Methods:=";
    for (const TSourceFile& item : list.Items())
        if (item.path.compare(0, prefix.size(), prefix) == 0) return item.path.substr(prefix.size());
    return {};
}

} // namespace pem
