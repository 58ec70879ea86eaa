#include "support/ScreenDpi.h"

#include <windows.h>

#include "support/Handles.h"

namespace netpeek {

int ScreenDpi() {
    static const int dpi = [] {
        const WindowDc screen(nullptr);
        const int read = screen.dc != nullptr ? GetDeviceCaps(screen.dc, LOGPIXELSX) : 0;
        return read > 0 ? read : USER_DEFAULT_SCREEN_DPI;
    }();
    return dpi;
}

}  // namespace netpeek
