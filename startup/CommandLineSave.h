#pragma once
// Saving the address table from the command line: no window, nothing stored, an exit code
// that a script can read.

#include <optional>
#include <string>
#include <vector>

namespace netpeek {

// Carries out the program's command line. Nothing when it has no arguments: the program then
// shows its window. Otherwise the table saved (or the usage shown) and the exit code: 0, or
// the error's number, after a one-line message on standard error when that goes somewhere,
// else in the error box. Never throws.
std::optional<int> RunCommandLine();

// The same for arguments already split, the program's own name not among them.
int RunCommandLine(const std::vector<std::wstring>& args);

}  // namespace netpeek
