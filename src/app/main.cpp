#include "CmdLine.h"
#include "FirstPaintExit.h"
#include "ProgramEntry.h"

#include <string>
#include <vector>

namespace {

// Whether the parameters ask for an automatic run, read as the program
// reads them.
bool AsksForAutoRun(int argc, char** argv) {
    pem::SetCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    std::string value;
    const bool asked = pem::FindCmdLineValue("-AutoRun:-ar", value) || pem::CmdLineSwitch("-AutoRun:-ar");
    pem::SetCommandLine({});
    return asked;
}

} // namespace

int main(int argc, char** argv) {
    // The start-up benchmark's hook ends the program at its first paint. An
    // automatic run is never cut there: its run, its finish (renaming, the
    // logs, the job's save) and its exit status are the program's own, so a
    // benchmark that times such a start times the whole program.
    if (!AsksForAutoRun(argc, argv)) pem::bench_hook::ArmFirstPaintExitFromEnvironment();
    return pem::RunProgram(argc, argv);
}
