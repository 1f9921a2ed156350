#pragma once

namespace q32 {
// Creates the program-wide state, the settings store, the dialogs and the main window, and runs.
int RunProgram(int argc, char** argv);
} // namespace q32
