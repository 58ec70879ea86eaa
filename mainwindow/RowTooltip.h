#pragma once
// The tooltip over the address list that names the interface of the row under the pointer.
// It is a tooltip control of its own rather than the list's info tips, which Wine never shows.
// The adapters are read at the first tip after each refresh and kept until the next one, so
// neither start-up nor filling the list waits for them.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "support/AdapterInfo.h"
#include "support/Controls.h"

namespace netpeek {

class RowTooltip {
public:
    using AdaptersSource = std::function<AdapterMap()>;

    RowTooltip() = default;
    ~RowTooltip();
    RowTooltip(const RowTooltip&) = delete;
    RowTooltip& operator=(const RowTooltip&) = delete;

    // Creates the tooltip, owned by the list's window, with one tool covering the list.
    // Throws when it cannot be created.
    void Create(HWND list, AdaptersSource source);
    // The adapters may have changed: the next tip reads them again.
    void Forget();

private:
    struct Adapters {
        AdapterMap adapters;
        std::optional<std::wstring> error;  // why they could not be read
    };

    static LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    void OnListMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnGetDispInfo(NMTTDISPINFOW& info);
    void OnListDestroyed();
    int RowAt(POINT point) const;
    std::wstring TextForRow(int row);

    ListViewCtrl m_list;
    HWND m_tip = nullptr;  // the list's window destroys it with itself
    AdaptersSource m_source;
    std::optional<Adapters> m_read;  // nothing until the first tip after a refresh
    int m_row = -1;                  // the row under the pointer, or -1
    std::wstring m_text;             // the text the tooltip is showing
};

}  // namespace netpeek
