#include "support/Clipboard.h"

#include <cstring>
#include <memory>
#include <type_traits>

#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// The clipboard, open for as long as this lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        if (!OpenClipboard(owner))
            ThrowLastError(std::wstring(Text(TextId::ErrClipboardBusy)));
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
        ThrowLastError(std::wstring(Text(TextId::ErrClipboardMemory)));
    void* target = GlobalLock(memory.get());
    if (!target)
        ThrowLastError(std::wstring(Text(TextId::ErrClipboardMemory)));
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory.get());

    const OpenedClipboard clipboard(owner);
    if (!EmptyClipboard())
        ThrowLastError(std::wstring(Text(TextId::ErrClipboardEmpty)));
    if (!SetClipboardData(CF_UNICODETEXT, memory.get()))
        ThrowLastError(std::wstring(Text(TextId::ErrClipboardPut)));
    memory.release();  // the clipboard owns it now
}

}  // namespace netpeek
