#pragma once
// Putting text on the clipboard.

#include <windows.h>

#include <string>

namespace netpeek {

// Replaces the clipboard's contents with the text, as Unicode text, on behalf of `owner`.
// Throws CError when the clipboard cannot be had or the text cannot be placed.
void asSetClipboardText(HWND owner, const std::wstring& text);

}  // namespace netpeek
