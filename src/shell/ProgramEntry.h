#pragma once
// The program entry: title, help file and the application's twelve forms in
// their order, then the event loop.
#include <string>
#include <vector>

namespace pem {

class TfrmPemarisMain;

// Sets the title and help file and creates the forms; the main form first.
TfrmPemarisMain* CreateApplicationForms();

// The whole program: argv[0] names the product. Returns the exit code.
int RunProgram(int argc, char** argv);

// The path the program was started under, links kept (the product is
// recognised from it, so a link must not be resolved to its target).
std::string ProgramPathFromArgv0(const char* argv0);

} // namespace pem
