#pragma once
// The program's start: process-wide set-up, the main window and the message loop.

#include "mainwindow/FormServices.h"

namespace netpeek {
class frmMain;
}

namespace netpeek::modMain {

// Chooses where the program keeps its values, as it starts: a settings file beside it that cannot
// be written is said in a box, once a run.
void ChooseStore();

// Handles the thread's messages and the table's change notice until the window is gone;
// the window sees every key first. Returns the exit code a WM_QUIT carries, else 0.
int RunMessageLoop(frmMain& form);

// Prepares the process, shows the main window (hidden beside its icon for `intoTray`, /tray) and
// runs until no window is left. With the icon's switch on, takes the one icon's mark first; where
// another Netpeek of the user holds it in this session, brings that one's window up instead (leaves
// it hidden, for `intoTray`) and ends with 0. Returns the process's exit code. Throws when the
// window cannot be loaded.
int Main(const FormServices& services = FormServices::Real(), bool intoTray = false);

// Main, with whatever it throws shown in the error box (number and description); the exit
// code is then the error's number, never 0.
int Run(const FormServices& services = FormServices::Real(), bool intoTray = false);

}  // namespace netpeek::modMain
