#include "support/Clipboard.h"

#include <cstring>
#include <memory>
#include <type_traits>

#include "support/SystemError.h"

namespace netpeek {

namespace {

// The clipboard, open for as long as this lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        if (!OpenClipboard(owner))
            ThrowLastError(L"The clipboard is in use by another program.");
    }
    ~OpenedClipboard() { CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

struct GlobalFreer {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
using UniqueGlobal = std::unique_ptr<std::remove_pointer_t<HGLOBAL>, GlobalFreer>;

}  // namespace

void asSetClipboardText(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory)
        ThrowLastError(L"There is not enough memory to copy the text.");
    void* target = GlobalLock(memory.get());
    if (!target)
        ThrowLastError(L"There is not enough memory to copy the text.");
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory.get());

    const OpenedClipboard clipboard(owner);
    if (!EmptyClipboard())
        ThrowLastError(L"The clipboard could not be emptied.");
    if (!SetClipboardData(CF_UNICODETEXT, memory.get()))
        ThrowLastError(L"The text could not be put on the clipboard.");
    memory.release();  // the clipboard owns it now
}

}  // namespace netpeek
