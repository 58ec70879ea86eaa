#pragma once
// A recording stand-in for the main window's services, for the in-process window tests.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "mainwindow/FormServices.h"
#include "support/AppServices.h"
#include "support/Error.h"

namespace netpeek::test {

struct FormRecorder {
    std::vector<std::wstring> calls;
    CIPAddrList rows;
    std::map<std::wstring, std::wstring> values;  // what readValue finds and writeValue keeps
    bool inIDE = false;
    bool snapshotFails = false;
    AdapterMap adapters;
    bool adaptersFail = false;
    HCURSOR cursorDuringSnapshot = nullptr;
    OVERLAPPED* notice = nullptr;  // the window's pending change notice, while one is armed

    static std::wstring B(bool value) { return value ? L"true" : L"false"; }

    FormServices Services() {
        FormServices s;
        s.centerForm = [this](HWND w) {
            calls.push_back(L"asCenterFormEx");
            asCenterFormEx(w);
        };
        s.isInIDE = [this] {
            calls.push_back(L"asIsInIDE");
            return inIDE;
        };
        s.setWindowResIconAll = [this](HWND w, const std::wstring& name) {
            calls.push_back(L"asSetWindowResIconAll " + name);
            asSetWindowResIconAll(w, name);
        };
        s.setMenuJustify = [this](HWND w, int position, bool right) {
            calls.push_back(L"asSetMenuJustify " + std::to_wstring(position) + L" " + B(right));
            asSetMenuJustify(w, position, right);
        };
        s.restoreWindowPlacement = [this](HWND, const std::wstring& section, const std::wstring& name,
                                          const CApplication& app, int a, int b, int c, bool perUser) {
            calls.push_back(L"RestoreWindowPlacement [" + section + L"] " + name + L" " + app.Title + L" " +
                            std::to_wstring(a) + L" " + std::to_wstring(b) + L" " + std::to_wstring(c) + L" " +
                            B(perUser));
            return 0;
        };
        s.restoreListLayout = [this](HWND, const std::wstring& name, const CApplication& app, bool perUser) {
            calls.push_back(L"RestoreListLayout " + name + L" " + app.Title + L" " + B(perUser));
            return false;
        };
        s.saveWindowPlacement = [this](HWND, const std::wstring& section, const std::wstring& name,
                                       const CApplication& app, bool perUser) {
            calls.push_back(L"SaveWindowPlacement [" + section + L"] " + name + L" " + app.Title + L" " + B(perUser));
            return true;
        };
        s.saveListLayout = [this](HWND, const std::wstring& name, const CApplication& app, bool perUser) {
            calls.push_back(L"SaveListLayout " + name + L" " + app.Title + L" " + B(perUser));
            return true;
        };
        s.readValue = [this](const std::wstring& section, const std::wstring& name, long, const CApplication& app,
                             const std::wstring& defaultValue, bool perUser) {
            calls.push_back(L"ReadValue [" + section + L"] " + name + L" " + app.Title + L" " + B(perUser));
            const auto found = values.find(name);
            return found == values.end() ? defaultValue : found->second;
        };
        s.writeValue = [this](const std::wstring& section, const std::wstring& name, long, const std::wstring& value,
                              const CApplication& app, bool perUser) {
            calls.push_back(L"WriteValue [" + section + L"] " + name + L" " + value + L" " + app.Title + L" " +
                            B(perUser));
            values[name] = value;
            return true;
        };
        s.getIPAddresses = [this] {
            calls.push_back(L"GetIPAddresses");
            cursorDuringSnapshot = GetCursor();
            if (snapshotFails)
                throw CError(ERROR_NOT_SUPPORTED, L"The IPv4 address table could not be read.");
            return rows;
        };
        s.notifyAddrChange = [this](OVERLAPPED& overlapped) {
            calls.push_back(L"NotifyAddrChange");
            notice = &overlapped;
        };
        s.cancelAddrChangeNotify = [this](OVERLAPPED& overlapped) {
            calls.push_back(L"CancelIPChangeNotify");
            if (notice == &overlapped)
                notice = nullptr;
        };
        s.getAdapters = [this] {
            calls.push_back(L"GetAdapters");
            if (adaptersFail)
                throw CError(ERROR_NOT_SUPPORTED, L"The network adapters could not be read.");
            return adapters;
        };
        s.openReadMeFile = [this](HWND, long which) { calls.push_back(L"asOpenReadMeFile " + std::to_wstring(which)); };
        s.showAbout = [this](HWND owner, const CApplication& app, const std::wstring& extra, HBITMAP picture,
                             const std::wstring& dedication) {
            calls.push_back(L"ShowAbout " + std::to_wstring(reinterpret_cast<INT_PTR>(owner) != 0) + L" " +
                            app.Title + L" [" + extra + L"] " + std::to_wstring(picture != nullptr) + L" " +
                            dedication);
        };
        s.exportList = [this](HWND, HWND) { calls.push_back(L"ExportList"); };
        return s;
    }

    // The calls made since the last look, and forget them.
    std::vector<std::wstring> Take() {
        std::vector<std::wstring> taken;
        taken.swap(calls);
        return taken;
    }
};

}  // namespace netpeek::test
