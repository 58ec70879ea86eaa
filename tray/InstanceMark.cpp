#include "tray/InstanceMark.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "support/WindowIds.h"

namespace netpeek {

namespace {

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
    const UniqueLocal held(text);
    return text;
}

std::wstring SectionNameFor(const std::wstring& sid) {
    return L"Local\\Netpeek.Mark." + sid;
}

// For the user alone, and owned by the user, which is what a start checks of a mark it finds.
UniqueLocal SectionSecurity(const std::wstring& sid) {
    const std::wstring text = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return UniqueLocal(descriptor);
}

// Whether the user owns the section: no other account can make the user the owner of what it makes.
bool OwnedBy(HANDLE section, const std::wstring& sid) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(section, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const UniqueLocal held(descriptor);
    wchar_t* text = nullptr;
    if (owner == nullptr || !ConvertSidToStringSidW(owner, &text))
        return false;
    const UniqueLocal heldText(text);
    return sid == text;
}

// The record's values are read and written whole, as other processes write them.
LONG Load(LONG& value) {
    return InterlockedCompareExchange(&value, 0, 0);
}

LONG Store(LONG& value, LONG now) {
    return InterlockedExchange(&value, now);
}

HWND WindowOf(InstanceMark::Record& record) {
    // Sign-extended, as Windows widens a 32-bit process's handle.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(Load(record.window)));
}

// Whether `window` is the program's main window, in `process` and not in this one.
bool IsProgramWindow(HWND window, DWORD process) {
    DWORD owner = 0;
    if (!GetWindowThreadProcessId(window, &owner) || owner != process || owner == GetCurrentProcessId())
        return false;
    wchar_t name[64] = {};
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return length > 0 && std::wstring_view(name, static_cast<std::size_t>(length)) == kMainWindowClass;
}

}  // namespace

InstanceMark& InstanceMark::operator=(InstanceMark&& other) noexcept {
    if (this != &other) {
        Release();
        m_section = std::move(other.m_section);
        m_view = std::move(other.m_view);
    }
    return *this;
}

UINT InstanceMark::ShowMessage() {
    static const UINT message = RegisterWindowMessageW(L"Netpeek.ShowWindow");
    return message;
}

std::wstring InstanceMark::SectionName() {
    const std::wstring sid = UserSid();
    return sid.empty() ? std::wstring() : SectionNameFor(sid);
}

InstanceMark::Found InstanceMark::Claim(bool bringForward) {
    Release();
    const std::wstring sid = UserSid();
    const UniqueLocal security = sid.empty() ? nullptr : SectionSecurity(sid);
    if (!security)
        return Found::None;
    const std::wstring name = SectionNameFor(sid);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), security.get(), FALSE};
    SetLastError(ERROR_SUCCESS);
    UniqueKernelHandle section(
        CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, sizeof(Record), name.c_str()));
    // One that was there already is someone else's make: the user's own, or a squatter's.
    const bool found = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!section || (found && !OwnedBy(section.get(), sid)))
        return Found::None;
    // A section smaller than the record (not the program's) cannot be mapped this far.
    UniqueView view(MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, sizeof(Record)));
    if (!view)
        return Found::None;
    auto& record = *static_cast<Record*>(view.get());
    // The one step no two starts can share: the holder's place, taken while it is empty.
    const LONG holder = InterlockedCompareExchange(&record.process, static_cast<LONG>(GetCurrentProcessId()), 0);
    if (holder == 0) {
        m_section = std::move(section);
        m_view = std::move(view);
        return Found::Ours;
    }
    HWND window = WindowOf(record);
    if (!window && bringForward) {
        // Still starting: it brings its window forward once that is there. It may have named it
        // meanwhile, and missed the request; then it is asked as below too.
        Store(record.wanted, 1);
        window = WindowOf(record);
    }
    if (!window)
        return Found::Another;
    if (!IsProgramWindow(window, static_cast<DWORD>(holder)))
        return Found::None;
    if (bringForward) {
        // The process that was just started may give the foreground away; the marked one may not take it.
        AllowSetForegroundWindow(static_cast<DWORD>(holder));
        PostMessageW(window, ShowMessage(), 0, 0);
    }
    return Found::Another;
}

void InstanceMark::Name(HWND window) {
    if (!m_view && Claim(false) != Found::Ours)
        return;
    Store(Held().window, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)));
    if (Store(Held().wanted, 0) != 0)
        PostMessageW(window, ShowMessage(), 0, 0);
}

void InstanceMark::Release() {
    if (m_view) {
        Store(Held().window, 0);
        Store(Held().wanted, 0);
        // Last: a start that finds the place empty may take it.
        Store(Held().process, 0);
    }
    m_view.reset();
    m_section.reset();
}

}  // namespace netpeek
