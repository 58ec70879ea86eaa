#include "commandline/CommandLineSave.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "NetpeekVersion.h"
#include "commandline/CommandLine.h"
#include "commandline/MetricsWatch.h"
#include "commandline/Watch.h"
#include "export/ChangeFormats.h"
#include "export/CsvText.h"
#include "export/MetricsText.h"
#include "export/TableFormats.h"
#include "feed/TableFeed.h"
#include "feed/TableSources.h"
#include "interfaces/NetworkState.h"
#include "rows/Columns.h"
#include "rows/ListRow.h"
#include "rows/RowOrder.h"
#include "settings/Settings.h"
#include "support/Application.h"
#include "support/ConsoleOutput.h"
#include "support/ErrorBox.h"
#include "support/Handles.h"
#include "support/LogFile.h"
#include "support/SystemError.h"
#include "support/TextFileWriter.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

void FreeArgv(LPWSTR* argv) { LocalFree(argv); }
using UniqueArgv = UniqueHandle<LPWSTR*, FreeArgv>;

std::vector<std::wstring> Arguments() {
    int count = 0;
    const UniqueArgv argv(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!argv)
        ThrowLastError(std::wstring(Text(TextId::ArgumentsFailed)));
    // The first is the program's own name.
    return std::vector<std::wstring>(argv.get() + std::min(count, 1), argv.get() + std::max(count, 1));
}

// A standard handle that leads somewhere: a GUI program started without redirection has none,
// or one of no known type.
HANDLE StdHandle(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) == FILE_TYPE_UNKNOWN)
        return nullptr;
    return handle;
}

// The usage or a message: a console takes it as text; a file or a pipe in the code page that
// the script reading it decodes a console program's output with, as Windows' own write it.
void WriteMessage(HANDLE handle, const std::wstring& text) {
    if (IsConsole(handle))
        WriteConsoleText(handle, text);
    else
        WriteAllBytes(handle, MessageBytes(text, RedirectedCodePage()));
}

std::wstring OneLine(std::wstring text) {
    std::replace_if(text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    return text;
}

// Tells the user on standard error when that goes somewhere, else in a message box where
// `messages` allows one. `context` says what failed, before the error's own description.
void Tell(const CError& error, const std::wstring& context, UINT style, bool showNumber, Messages messages) {
    try {
        if (const HANDLE err = StdHandle(STD_ERROR_HANDLE)) {
            const std::wstring& text = error.Description();
            // The usage is several lines; a failure is one, for a script's log.
            WriteMessage(err, style == MB_ICONINFORMATION
                                  ? text + L"\r\n"
                                  : L"Netpeek: " + OneLine(context.empty() ? text : context + L" " + text) + L"\r\n");
            return;
        }
        if (messages == Messages::ErrorOrBox)
            ErrorBox::Instance().ShowError(error, style | MB_OK, context, L"", showNumber);
    } catch (...) {
        // The exit code still tells what happened when the message cannot be given.
    }
}

std::wstring Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t text[32]{};
    std::swprintf(text, std::size(text), L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    return text;
}

// What the save reads and leaves out, as the window would, unless the line says otherwise; with no
// icon here, nothing is read for one.
ViewChoice ChoiceOf(const CCommandLine& line, const SettingsStore& settings) {
    ViewChoice choice = LoadChoice(settings);
    if (line.ipv6 != SaveIPv6::Stored)
        choice.ipv6 = line.ipv6 == SaveIPv6::Added;
    if (line.columns) {
        choice.extras.clear();
        for (const int id : *line.columns)
            if (id >= static_cast<int>(kBaseColumnCount))
                choice.extras.push_back(id);
    }
    // The metrics' labels take the interface's name and the "Route" cell, whatever the window shows.
    if (line.format == SaveFormat::Prometheus)
        choice.extras.assign(std::begin(kMetricsExtras), std::end(kMetricsExtras));
    if (line.allInterfaces) {
        choice.hidden.clear();
        choice.connectedOnly = false;
        choice.physicalOnly = false;
    }
    choice.connectedOnly = choice.connectedOnly || line.connected;
    choice.physicalOnly = choice.physicalOnly || line.physical;
    choice.primaryOnly = line.primary;
    if (line.order != SaveOrder::Stored)
        choice.sort = line.order == SaveOrder::Given ? line.sort : StoredListSort{};
    choice.minimizeToTray = false;
    return choice;
}

std::wstring FormatText(const CCommandLine& line, bool ipv6, const CListTexts& texts) {
    switch (line.format) {
    case SaveFormat::Tab:
        return TabText(texts);
    case SaveFormat::Json:
        return JsonText(texts);
    case SaveFormat::Html:
        return HtmlText(texts, ipv6, std::wstring(kProductName) + L" " + L"" NETPEEK_VERSION_TEXT, Now());
    case SaveFormat::Comma:
    case SaveFormat::Prometheus:  // no list's text: SavedText writes its own
        break;
    }
    return CsvText(texts);
}

// The arguments as they were given: the command line after the program's own name, which
// runs to the next quote when it starts with one, else to the first blank.
std::wstring_view ArgumentsAsGiven(std::wstring_view line) {
    const bool quoted = !line.empty() && line[0] == L'"';
    const std::size_t end = quoted ? line.find(L'"', 1) : line.find_first_of(L" \t");
    if (end == std::wstring_view::npos)
        return {};
    return line.substr(quoted ? end + 1 : end);
}

ChangeFormat ChangeFormatOf(SaveFormat format) {
    switch (format) {
    case SaveFormat::Tab: return ChangeFormat::Tab;
    case SaveFormat::Json: return ChangeFormat::Json;
    case SaveFormat::Comma:
    case SaveFormat::Html:
    case SaveFormat::Prometheus: break;
    }
    return ChangeFormat::Comma;
}

// What a save writes of the table the feed read last.
std::wstring SavedText(const CCommandLine& line, const ViewChoice& choice, const std::vector<int>& columns,
                       const TableFeed& feed) {
    if (line.format != SaveFormat::Prometheus)
        return FormatText(line, choice.ipv6, TableTexts(feed.Rows(), choice.sort, columns));
    const std::vector<std::size_t> order = SortedOrder(feed.Rows(), choice.sort);
    return MetricsText(feed.Rows(), order, choice.ipv6, ReachOf(feed.ReadInterfaces()).state);
}

// Where a whole text goes: standard output, or the file through the safe writer, in place of what
// it held. `context` says what is being done, for the message.
WatchSink WholeTextSink(const CCommandLine& line, std::wstring& context) {
    if (!line.fileName.empty()) {
        context = TextWith(TextId::SaveFailed, line.fileName);
        // A collector may read the metrics at any moment: their file never goes missing for one.
        TextFileWriter& writer =
            line.format == SaveFormat::Prometheus ? TextFileWriter::ForReaders() : TextFileWriter::Instance();
        return [&line, &writer](const std::wstring& text) {
            writer.WriteTextFile(line.fileName, text, kWriteReplaceExisting);
        };
    }
    context = Text(TextId::OutputFailed);
    const HANDLE out = StdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr)
        throw SystemError(ERROR_INVALID_HANDLE);
    return [out](const std::wstring& text) { WriteTextTo(out, text); };
}

// The reader of a pipe went away (`| Select-Object -First 5`): the watch has done its work. Windows
// says so with 232 or 109, Wine with 233.
bool ReaderGone(const CError& error) {
    return error.Number() == ERROR_NO_DATA || error.Number() == ERROR_BROKEN_PIPE ||
           error.Number() == ERROR_PIPE_NOT_CONNECTED;
}

// The watch of the command line, after its first read: its lines to standard output or appended to
// a log, then followed until it is ended. `context` says what is being done, for the message.
void RunWatch(const CCommandLine& line, const TableSources& services, WatchSession& session, Watch& watch,
              std::wstring& context) {
    if (line.fileName.empty()) {
        context = Text(TextId::WatchOutputFailed);
        const HANDLE out = StdHandle(STD_OUTPUT_HANDLE);
        if (out == nullptr)
            throw SystemError(ERROR_INVALID_HANDLE);
        watch.Start([out](const std::wstring& text) { WriteTextTo(out, text); }, true);
        session.Follow(services, watch, line.watchSeconds);
        return;
    }
    context = TextWith(TextId::LogFailed, line.fileName);
    LogFile log(line.fileName);
    // A log takes more lines of its own kind only; its header is written once, when it is new.
    if (log.FirstLine() && !LogTakes(*log.FirstLine(), ChangeFormatOf(line.format), watch.Headers()))
        throw CError(kErrorInvalidData, std::wstring(Text(TextId::OtherLog)));
    watch.Start([&log](const std::wstring& text) { log.Append(text); }, !log.FirstLine());
    session.Follow(services, watch, line.watchSeconds);
}

int ExitCode(const CError& error) {
    return error.Number() != 0 ? static_cast<int>(error.Number()) : 1;
}

}  // namespace

std::optional<int> RunCommandLine(const std::vector<std::wstring>& args, Messages messages, bool* tray) {
    // Each stage's failure is told with what was being done.
    std::wstring context;
    try {
        const std::vector<std::wstring_view> headers = ColumnHeaders();
        const CCommandLine line = ParseCommandLine(args, headers);
        if (line.action == CCommandLine::Action::Usage) {
            // On standard output, for `Netpeek /? | more`; without one, the way messages go.
            if (const HANDLE out = StdHandle(STD_OUTPUT_HANDLE))
                WriteMessage(out, UsageText() + L"\r\n");
            else
                Tell(CError(0, UsageText()), L"", MB_ICONINFORMATION, false, messages);
            return 0;
        }
        if (line.action == CCommandLine::Action::Window) {
            if (tray)
                *tray = line.tray;
            return std::nullopt;
        }

        context = Text(TextId::ReadFailed);
        const ViewChoice choice = ChoiceOf(line, SettingsStore::Real());
        const std::vector<int> columns = line.columns ? *line.columns : choice.Columns();
        // The window's own reader: the same rows, cells and interfaces as it shows.
        const TableSources services = TableSources::Real();
        if (line.action == CCommandLine::Action::Watch) {
            // Both hear the session's end through a hidden window; the console twin, whose messages
            // never go in a box, hears Ctrl+C and the console's end through its console too.
            WatchSession session(messages == Messages::ErrorOnly ? WatchConsole::Handler : WatchConsole::None);
            try {
                if (line.format == SaveFormat::Prometheus) {
                    MetricsWatch watch(services, choice);
                    watch.Start(WholeTextSink(line, context));
                    session.Follow(services, watch.Choice(), [&watch] { return watch.Reread(); }, line.watchSeconds);
                } else {
                    Watch watch(services, choice, columns, ChangeFormatOf(line.format));
                    RunWatch(line, services, session, watch, context);
                }
            } catch (const CError& error) {
                if (!ReaderGone(error))
                    throw;
            }
            return 0;
        }
        TableFeed feed(services, choice);
        feed.Read();
        const std::wstring text = SavedText(line, choice, columns, feed);
        WholeTextSink(line, context)(text);
        return 0;
    } catch (...) {
        const CError error = CurrentError();
        // A usage error is the whole message; a system error comes with its number.
        Tell(error, context, MB_ICONERROR, !context.empty(), messages);
        return ExitCode(error);
    }
}

std::optional<int> RunCommandLine(Messages messages, bool* tray) {
    std::vector<std::wstring> args;
    try {
        args = Arguments();
    } catch (...) {
        const CError error = CurrentError();
        Tell(error, L"", MB_ICONERROR, true, messages);
        return ExitCode(error);
    }
    if (args.empty())
        return std::nullopt;
    return RunCommandLine(args, messages, tray);
}

int StartWindowProgram() {
    std::wstring context;
    try {
        // Only ever the program beside this one: a bare name would be searched for.
        const std::wstring& folder = CApplication::Current().Path;
        if (folder.empty())
            throw SystemError(ERROR_BAD_PATHNAME);
        const std::wstring program = folder + L'\\' + kProductName + L".exe";
        context = TextWith(TextId::StartFailed, program);
        std::wstring commandLine = L'"' + program + L'"';
        commandLine += ArgumentsAsGiven(GetCommandLineW());

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        // The full path as the program to run, so that nothing is looked for anywhere else.
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &started))
            ThrowLastError();
        const UniqueKernelHandle process(started.hProcess), thread(started.hThread);
        return 0;
    } catch (...) {
        const CError error = CurrentError();
        Tell(error, context, MB_ICONERROR, true, Messages::ErrorOnly);
        return ExitCode(error);
    }
}

}  // namespace netpeek
