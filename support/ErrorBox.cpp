#include "support/ErrorBox.h"

#include "support/Application.h"
#include "support/Hooks.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

ErrorBox& ErrorBox::Instance() {
    static ErrorBox box;
    return box;
}

int ErrorBox::ShowError(const CError& error, UINT style, const std::wstring& message, const std::wstring& title,
                        bool showNumber) {
    std::wstring text = message;
    if (!text.empty())
        text += L"\r\n\r\n";
    if (showNumber)
        // The number before the description.
        text += TextWith(TextId::ErrorNumber, std::to_wstring(error.Number()));
    text += error.Description();
    const std::wstring& caption = title.empty() ? CApplication::Current().Title : title;
    return Hooks().messageBox(m_owner, text, caption, style);
}

void ErrorBox::ShowCurrentError() noexcept {
    try {
        ShowError(CurrentError(), MB_ICONERROR | MB_OK, L"", L"", true);
    } catch (...) {
        // Nothing more can be reported when the message box itself fails.
    }
}

}  // namespace netpeek
