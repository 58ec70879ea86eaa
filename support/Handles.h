#pragma once
// Owning wrappers for the Windows handles the program creates.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace netpeek {

template <typename H, auto Free>
struct HandleDeleter {
    void operator()(H handle) const {
        if (handle)
            Free(handle);
    }
};

template <typename H, auto Free>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<H>, HandleDeleter<H, Free>>;

inline void FreeGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void FreeMenu(HMENU menu) { DestroyMenu(menu); }
inline void FreeAccelerators(HACCEL accel) { DestroyAcceleratorTable(accel); }
inline void FreeImageList(HIMAGELIST list) { ImageList_Destroy(list); }
inline void FreeWindow(HWND window) { DestroyWindow(window); }
inline void FreeKey(HKEY key) { RegCloseKey(key); }
inline void FreeLibraryModule(HMODULE module) { FreeLibrary(module); }
inline void FreeKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void FreeIcon(HICON icon) { DestroyIcon(icon); }
inline void FreeView(void* view) { UnmapViewOfFile(view); }
inline void FreeLocal(HLOCAL memory) { LocalFree(memory); }

using UniqueFont = UniqueHandle<HFONT, FreeGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, FreeGdiObject>;
using UniqueMenu = UniqueHandle<HMENU, FreeMenu>;
using UniqueAccel = UniqueHandle<HACCEL, FreeAccelerators>;
using UniqueImageList = UniqueHandle<HIMAGELIST, FreeImageList>;
using UniqueWindow = UniqueHandle<HWND, FreeWindow>;
using UniqueKey = UniqueHandle<HKEY, FreeKey>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibraryModule>;
using UniqueEvent = UniqueHandle<HANDLE, FreeKernelHandle>;
using UniqueKernelHandle = UniqueHandle<HANDLE, FreeKernelHandle>;
using UniqueIcon = UniqueHandle<HICON, FreeIcon>;
using UniqueView = UniqueHandle<void*, FreeView>;  // a mapped view of a section
using UniqueLocal = UniqueHandle<HLOCAL, FreeLocal>;  // what a system call allocated for its caller to free

// A window's device context (the screen's, for no window), released when it goes.
class WindowDc {
public:
    explicit WindowDc(HWND w) : window(w), dc(GetDC(w)) {}
    ~WindowDc() {
        if (dc != nullptr)
            ReleaseDC(window, dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HWND window;
    HDC dc;
};

}  // namespace netpeek
