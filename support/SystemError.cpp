#include "support/SystemError.h"

#include <exception>
#include <new>

#include "texts/Texts.h"

namespace netpeek {

std::wstring SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return L"Error " + std::to_wstring(code);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

namespace {

// What a failure says where Windows gave no code for it (a window a hook or its own creation
// refused): the system's text for code 0 is that of success.
std::wstring FailureMessage(DWORD code) {
    return code == ERROR_SUCCESS ? std::wstring(Text(TextId::NoReasonGiven)) : SystemMessage(code);
}

}  // namespace

CError SystemError(DWORD code) {
    return CError(code, FailureMessage(code));
}

CError SystemError(DWORD code, const std::wstring& context) {
    if (context.empty())
        return SystemError(code);
    return CError(code, context + L"\r\n" + FailureMessage(code));
}

CError CurrentError() {
    try {
        throw;
    } catch (const CError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return SystemError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const std::exception& e) {
        std::wstring text;
        for (const char* p = e.what(); *p; ++p)
            text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        return CError(ERROR_INTERNAL_ERROR, text);
    } catch (...) {
        return SystemError(ERROR_INTERNAL_ERROR);
    }
}

void ThrowLastError(const std::wstring& context) {
    throw SystemError(GetLastError(), context);
}

}  // namespace netpeek
