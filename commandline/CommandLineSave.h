#pragma once
// Saving the address table from the command line: no window, nothing stored, an exit code
// that a script can read.

#include <optional>
#include <string>
#include <vector>

namespace netpeek {

// Where the program tells what went wrong: Netpeek.exe on standard error when that goes
// somewhere, else in its error box; its console twin on standard error only, never in a box.
enum class Messages { ErrorOrBox, ErrorOnly };

// Carries out the program's command line. Nothing when it has no arguments or only /tray: the
// program then shows its window, hidden beside its icon where `tray` is given and set. Otherwise
// the table saved, or watched until the watch is ended (or the usage written to standard output,
// or told as a message where there is none), and the exit code: 0, or the error's number, after a
// one-line message. A watch waits on a hidden top-level window that hears the end of the session;
// the console twin's (ErrorOnly) hears its console's control events too. Never throws.
std::optional<int> RunCommandLine(Messages messages = Messages::ErrorOrBox, bool* tray = nullptr);

// The same for arguments already split, the program's own name not among them.
std::optional<int> RunCommandLine(const std::vector<std::wstring>& args, Messages messages = Messages::ErrorOrBox,
                                  bool* tray = nullptr);

// The console twin without a save: starts Netpeek.exe from its own module's folder (never a
// search) with the same arguments, and does not wait for it. 0 once it is started, else the
// Windows error number after a line on standard error. Never throws.
int StartWindowProgram();

}  // namespace netpeek
