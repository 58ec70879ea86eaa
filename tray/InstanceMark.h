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
    // What the section holds, three 32-bit values that 32-bit and 64-bit starts read alike: the
    // holder's window (0 until it is there; a window handle's low 32 bits, which Windows keeps
    // significant in every process), the holder's process (0 while no one holds it), and 1 where
    // a start asked for the window before it was there.
    struct Record {
        LONG window;
        LONG process;
        LONG wanted;
    };

    // What a start found of the mark.
    enum class Found {
        Ours,     // this process holds it now
        Another,  // another start of the user holds it, and is asked to come forward
        None,     // it cannot be made, or what holds its name is not to be trusted
    };

    InstanceMark() = default;
    ~InstanceMark() { Release(); }
    InstanceMark(InstanceMark&& other) noexcept = default;
    InstanceMark& operator=(InstanceMark&& other) noexcept;
    InstanceMark(const InstanceMark&) = delete;
    InstanceMark& operator=(const InstanceMark&) = delete;

    // What a second start asks of the marked window: to come forward, restored from the
    // notification area.
    static UINT ShowMessage();
    // The section's name: in the session's own namespace, and the user's, so that another user of
    // the same session (run as) has a mark of their own. Empty where the token cannot tell the user.
    static std::wstring SectionName();

    // Takes the mark, in one step that no other start can share, or finds who holds it. A section
    // that someone else made under its name first (another account can, in the same session) is
    // trusted only where its owner is the user. Another start holding it is asked to come forward
    // with `bringForward`: its window now where that is there, else as soon as it is. A mark that
    // names a window other than the program's main window in the process it names is not obeyed
    // (None).
    Found Claim(bool bringForward);
    // Names `window` as the one a later start brings up, taking the mark first where this process
    // does not hold it (the icon turned on while it runs); nothing where another holds it. A
    // start that asked for the window before it was there has it brought forward now.
    void Name(HWND window);
    // The mark is left to the next start.
    void Release();

private:
    Record& Held() const { return *static_cast<Record*>(m_view.get()); }

    UniqueKernelHandle m_section;
    UniqueView m_view;  // only while this process holds the mark
};

}  // namespace netpeek
