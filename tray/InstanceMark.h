#pragma once
// The mark that one Netpeek of the user shows its icon in this session: a second start finds the
// first's window by it and brings that up, rather than add a second icon. The mark is a named
// memory section, so it goes with the last process that holds it, however that one ends.

#include <windows.h>

#include <string>

#include "support/Handles.h"

namespace netpeek {

class InstanceMark {
public:
    InstanceMark() = default;
    ~InstanceMark() { Release(); }
    InstanceMark(const InstanceMark&) = delete;
    InstanceMark& operator=(const InstanceMark&) = delete;

    // What a second start asks of the marked window: to come forward, restored from the
    // notification area.
    static UINT ShowMessage();

    // Marks `window` as the one whose icon the user's session shows; nothing where the mark cannot
    // be made (the start after it is then one more process, as without the icon).
    void Claim(HWND window);
    // The window shows no icon now.
    void Release();

    // Whether another process of the user marked its window, and that window still is; with
    // `bringForward`, the window is asked to come forward (let take the foreground from this
    // process), and the answer is true once the message is on its way.
    static bool OtherShowsIcon(bool bringForward);

private:
    UniqueKernelHandle m_section;
    UniqueView m_view;
    HWND m_window = nullptr;
};

}  // namespace netpeek
