// The command-line save under Wine, from process start to exit, beside a minimal console
// program that reads the same table (and for the metrics what their labels tell) and writes the
// same bytes, in the same run. Run inside a network namespace whose table has the rows to save.
// Prints report.py's lines:
//   figure <name> <median ms> <baseline name> <baseline ms> <budget ratio>
// Exits non-zero when either program fails, their files differ, or the budget is missed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/Timing.h"

namespace {

using namespace netpeek::bench;

constexpr int kRuns = 7;
constexpr double kBudget = 1.3;

// From CreateProcess until the process has ended; its exit code must be 0.
double RunMs(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    const double start = NowMs();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("could not start a program");
    WaitForSingleObject(info.hProcess, INFINITE);
    const double ms = NowMs() - start;
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (code != 0)
        throw std::runtime_error("a program ended with exit code " + std::to_string(code));
    return ms;
}

std::string Bytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char chunk[65536];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
            bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

}  // namespace

// Arguments: Netpeek.exe, the baseline program, a folder for the two files, and the save switch
// (/scomma, or /sprom beside the metrics' baseline).
int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: save_bench NETPEEK.EXE MINIMAL.EXE FOLDER /scomma|/sprom\n");
        return 2;
    }
    const std::wstring save = argv[4];
    const bool metrics = save == L"/sprom";
    const std::wstring saved = std::wstring(argv[3]) + L"\\netpeek.out";
    const std::wstring plain = std::wstring(argv[3]) + L"\\minimal.out";
    const std::wstring netpeek = Quoted(argv[1]) + L" " + save + L" " + Quoted(saved);
    const std::wstring minimal = Quoted(argv[2]) + L" " + Quoted(plain);
    const char* name = metrics ? "/sprom" : "/scomma";
    try {
        // Warm-up, then the two take turns so that a slow spell of the machine hits both.
        RunMs(netpeek);
        RunMs(minimal);
        std::vector<double> a, b;
        for (int i = 0; i < kRuns; ++i) {
            a.push_back(RunMs(netpeek));
            b.push_back(RunMs(minimal));
        }
        const std::string bytes = Bytes(saved);
        if (bytes.empty() || bytes != Bytes(plain))
            throw std::runtime_error(std::string("Netpeek ") + name + " did not write the baseline's bytes");
        // The rows: the lines but the header, or the address series.
        long rows = static_cast<long>(std::count(bytes.begin(), bytes.end(), '\n')) - 1;
        if (metrics) {
            rows = 0;
            for (std::size_t at = bytes.find("\nnetpeek_address_info{"); at != std::string::npos;
                 at = bytes.find("\nnetpeek_address_info{", at + 1))
                ++rows;
        }
        const double ms = Median(a), baseMs = Median(b);
        std::printf("figure\t%s 10000 addresses, start to exit\t%.3f\tminimal console, same bytes\t%.3f\t%.2f\n", name,
                    ms, baseMs, kBudget);
        std::printf("info\trows that %s saved (with loopback)\t%ld (%zu KiB)\n", name, rows, bytes.size() / 1024);
        return ms <= kBudget * baseMs ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "save_bench: %s\n", error.what());
        return 2;
    }
}
