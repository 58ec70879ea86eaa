#pragma once
// The thread's COM apartment, single-threaded, from its owner's start to its end: the shell's file
// dialogs and the Network List Manager want one on the program's one thread.

#include <objbase.h>

namespace netpeek {

class ComApartment {
public:
    ComApartment() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (m_ok)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_ok;
};

}  // namespace netpeek
