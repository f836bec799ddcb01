#include "ProgramEntry.h"

int main(int argc, char** argv) { return pem::RunProgram(argc, argv); }
