// A program that uses nothing but kernel32 and user32, run beside the planted DLLs: what it
// loads, Wine's own system DLLs load for any program there.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return GetSystemMetrics(SM_CXSCREEN) > 0 ? 0 : 1;
}
