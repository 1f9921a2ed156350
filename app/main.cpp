#include "shell/ui/Program.h"

int main(int argc, char** argv) {
    return q32::RunProgram(argc, argv);
}
