#include "support/Hooks.h"

#include <shellapi.h>

namespace netpeek {

SystemHooks::SystemHooks()
    : getSaveFileName(::GetSaveFileNameW),
      messageBox([](HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
          return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style);
      }),
      shellOpen([](HWND owner, const std::wstring& path) {
          SHELLEXECUTEINFOW info{};
          info.cbSize = sizeof(info);
          info.fMask = SEE_MASK_FLAG_NO_UI;
          info.hwnd = owner;
          info.lpVerb = L"open";
          info.lpFile = path.c_str();
          info.nShow = SW_SHOWNORMAL;
          return ::ShellExecuteExW(&info) != FALSE;
      }),
      dialogBoxIndirect(::DialogBoxIndirectParamW),
      trackPopupMenu([](HMENU menu, UINT flags, int x, int y, HWND owner) {
          return ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
      }),
      shellNotifyIcon(::Shell_NotifyIconW),
      changeWindowMessageFilter([](HWND window, UINT message, DWORD action) {
          return ::ChangeWindowMessageFilterEx(window, message, action, nullptr);
      }),
      writeFile([](HANDLE file, const void* data, DWORD size, DWORD* written) {
          return ::WriteFile(file, data, size, written, nullptr);
      }) {}

SystemHooks& Hooks() {
    static SystemHooks hooks;
    return hooks;
}

}  // namespace netpeek
