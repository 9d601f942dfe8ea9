// pelira: the desktop program.
#include "app/forms/program.h"

int main(int argc, char** argv) { return pelira::RunProgram(argc, argv); }
