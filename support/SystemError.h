#pragma once
// Turning a Windows error code into a CError with the system's own message.

#include <windows.h>

#include <string>

#include "support/Error.h"

namespace netpeek {

// The system's message for an error code, without its trailing line break;
// "Error N" where the system has none.
std::wstring SystemMessage(DWORD code);

// A CError carrying the code and the system's message for it; for code 0, which a failure that
// Windows gave no reason for leaves, a sentence of its own rather than the text of success.
CError SystemError(DWORD code);

// The same, with a sentence of our own (what failed) in front of the system's message.
CError SystemError(DWORD code, const std::wstring& context);

// The exception being handled, as the program's error: a CError as it is, running out of memory
// as ERROR_NOT_ENOUGH_MEMORY, anything else from the runtime as ERROR_INTERNAL_ERROR with its
// own text. Call it only inside a catch block.
CError CurrentError();

// Raises SystemError(GetLastError()), after the context if one is given.
[[noreturn]] void ThrowLastError(const std::wstring& context = {});

}  // namespace netpeek
