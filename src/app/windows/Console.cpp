#include "app/Console.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <shellapi.h>

namespace tavolin::console {

using windesktop::Utf8;
using windesktop::Wide;

// main's argv is in the ANSI code page, where every character outside it is already lost
// ("無題カテゴリ" arrives as question marks); the UTF-16 command line keeps them.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

namespace {

// A handle the starter gave the process: a file, a pipe or a console.
bool Usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool WriteToConsole(HANDLE console, const std::string& text) {
    // Line ends as the console wants them.
    std::wstring wide;
    for (const wchar_t c : Wide(text)) {
        if (c == L'\n' && (wide.empty() || wide.back() != L'\r'))
            wide += L'\r';
        wide += c;
    }
    DWORD written = 0;
    return WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                         nullptr) != 0;
}

// The console of the program that started this one (cmd, PowerShell), attached once. A
// window program gets none of its own.
HANDLE ParentConsole() {
    static const HANDLE console = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return INVALID_HANDLE_VALUE;
        return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

} // namespace

void Write(Stream stream, const std::string& text) {
    const HANDLE handle =
        GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (Usable(handle)) {
        DWORD mode = 0;
        if (GetConsoleMode(handle, &mode) && WriteToConsole(handle, text))
            return;
        // Redirected to a file or a pipe: the bytes as they are, UTF-8.
        DWORD written = 0;
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const HANDLE console = ParentConsole();
    if (console != INVALID_HANDLE_VALUE && WriteToConsole(console, text))
        return;
    // Started from a shortcut or a hotkey tool: nowhere to write, so a plain message box (the
    // copy that hands a request over has no widgets to show one with).
    std::wstring wide = Wide(text);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r'))
        wide.pop_back();
    MessageBoxW(nullptr, wide.c_str(), L"Tavolin",
                MB_OK | MB_SETFOREGROUND |
                    (stream == Stream::Out ? MB_ICONINFORMATION : MB_ICONERROR));
}

} // namespace tavolin::console
