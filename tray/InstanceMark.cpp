#include "tray/InstanceMark.h"

#include <sddl.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace netpeek {

namespace {

// What the section holds: the marked window and its process, which a start checks against the
// window that has that handle now.
struct MarkRecord {
    std::uint64_t window;
    std::uint32_t process;
};

// The user's SID as text, or nothing where the token cannot tell it.
std::wstring UserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    const UniqueKernelHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<std::uint8_t> buffer(size);
    if (size < sizeof(TOKEN_USER) || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return {};
    TOKEN_USER user{};
    std::memcpy(&user, buffer.data(), sizeof(user));
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(user.User.Sid, &text))
        return {};
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

// The section's name: in the session's own namespace, and the user's, so that another user of
// the same session (run as) has a mark of their own.
std::wstring SectionName() {
    const std::wstring sid = UserSid();
    return sid.empty() ? std::wstring() : L"Local\\Netpeek.Icon." + sid;
}

}  // namespace

UINT InstanceMark::ShowMessage() {
    static const UINT message = RegisterWindowMessageW(L"Netpeek.ShowWindow");
    return message;
}

void InstanceMark::Claim(HWND window) {
    if (!m_view) {
        const std::wstring name = SectionName();
        if (name.empty())
            return;
        m_section.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(MarkRecord), name.c_str()));
        if (!m_section)
            return;
        m_view.reset(MapViewOfFile(m_section.get(), FILE_MAP_WRITE, 0, 0, sizeof(MarkRecord)));
        if (!m_view) {
            m_section.reset();
            return;
        }
    }
    m_window = window;
    const MarkRecord record{reinterpret_cast<std::uintptr_t>(window), GetCurrentProcessId()};
    std::memcpy(m_view.get(), &record, sizeof(record));
}

void InstanceMark::Release() {
    if (m_view) {
        // Another start may have marked its own window since: that mark stays.
        MarkRecord record{};
        std::memcpy(&record, m_view.get(), sizeof(record));
        if (record.window == reinterpret_cast<std::uintptr_t>(m_window) && record.process == GetCurrentProcessId()) {
            const MarkRecord none{};
            std::memcpy(m_view.get(), &none, sizeof(none));
        }
    }
    m_view.reset();
    m_section.reset();
    m_window = nullptr;
}

bool InstanceMark::OtherShowsIcon(bool bringForward) {
    const std::wstring name = SectionName();
    if (name.empty())
        return false;
    const UniqueKernelHandle section(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    if (!section)
        return false;
    const UniqueView view(MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, sizeof(MarkRecord)));
    if (!view)
        return false;
    MarkRecord record{};
    std::memcpy(&record, view.get(), sizeof(record));
    // A window handle is 32 bits wide in every process; one of a process that ended may be another's now.
    const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(record.window));
    DWORD process = 0;
    if (record.window == 0 || !GetWindowThreadProcessId(window, &process) || process != record.process ||
        process == GetCurrentProcessId())
        return false;
    if (!bringForward)
        return true;
    // The process that was just started may give the foreground away; the marked one may not take it.
    AllowSetForegroundWindow(process);
    return PostMessageW(window, ShowMessage(), 0, 0) != FALSE;
}

}  // namespace netpeek
