#pragma once
// The error message box of the program.

#include <windows.h>

#include <string>

#include "support/Error.h"

namespace netpeek {

class ErrorBox {
public:
    static ErrorBox& Instance();

    // A message box owned by the main window (see SetOwner), titled with
    // the program's title (or `title` when not empty), with `style` (e.g. MB_ICONERROR | MB_OK),
    // showing `message` and then, as a second paragraph, the error's own description.
    // `showNumber` true puts the error's number before its description.
    // Returns the message box's result.
    int ShowError(const CError& error, UINT style, const std::wstring& message,
                  const std::wstring& title, bool showNumber);

    // The error being handled, with its number, as an event's error is shown; a box that cannot be
    // shown is not reported further. Call it only inside a catch block.
    void ShowCurrentError() noexcept;

    void SetOwner(HWND owner) { m_owner = owner; }
    HWND Owner() const { return m_owner; }

private:
    HWND m_owner = nullptr;
};

}  // namespace netpeek
