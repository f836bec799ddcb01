#include "FirstPaintExit.h"
#include "ProgramEntry.h"

int main(int argc, char** argv) {
    pem::bench_hook::ArmFirstPaintExitFromEnvironment();
    return pem::RunProgram(argc, argv);
}
