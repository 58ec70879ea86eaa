#pragma once
// The program's start: process-wide set-up, the main window and the message loop.

namespace netpeek::modMain {

// Prepares the process, shows the main window and runs until no window is left.
// Returns the process's exit code. Throws CError when the window cannot be loaded.
int Main();

}  // namespace netpeek::modMain
