// wintool.exe: the integration tests' hands inside Wine. Each call answers one question
// or does one thing through the Win32 API, printing its answer as UTF-8 on stdout.
//
//   find <title>                      top-level window titled <title>: handle or 0
//   find-class <class>                top-level window of that class: handle or 0
//   foreground                        GetForegroundWindow: handle or 0
//   wait-window <title> <ms>          waits until it exists: handle, or 0 after <ms>
//   wait-gone <title> <ms>            waits until it is gone: 1, or 0 after <ms>
//   post <hwnd> <msg> <wparam> <lparam>   PostMessageA: its result
//   send <hwnd> <msg> <wparam> <lparam>   SendMessageA: its result
//   text <hwnd>                       GetWindowTextA, as UTF-8
//   info <hwnd>                       visible enabled parent owner style, the window's
//                                     left top right bottom, the client area's left top (on
//                                     the screen) width height, and the class name
//   items <hwnd>                      a combo box's list: one line per item, "<index> <text>"
//   sent-text <hwnd>                  WM_GETTEXT sent to the window, as UTF-8 (GetWindowTextA
//                                     gives only the stored title of another process's
//                                     window, which is empty for a combo box or an edit)
//   icons <file>                      how many icons the program file carries
//   children <hwnd>                   one line per child: handle class text
//   visible-children <hwnd>           the same for the visible children only
//   is-window <hwnd>                  1 or 0
//   message-box <caption> <ms>        waits for a dialog (#32770) with that caption and
//                                     prints: handle, then its text as hex ANSI bytes
//   display-mode                      current width height bits, then the registry's
//   set-mode <device> <w> <h>         ChangeDisplaySettingsExA(CDS_FULLSCREEN): its result
//   processes                         one line per process: id and executable name
//   terminate <process id>            TerminateProcess (no clean-up runs): 1 or 0
//   host <title> <width> <height> [x y]   creates a top-level window with that client
//                                     size, prints its handle and runs until killed
//
// Handles and numbers are decimal. Titles come in as UTF-16 from the command line and
// go to the A functions in the ANSI code page, as our programs' own strings do.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>
#include "test_output.h"

namespace {

using testoutput::Hex;
constexpr auto Print = testoutput::PrintLine;

std::string Utf8(const wchar_t* text) { return testoutput::FromWide(text, CP_UTF8); }

std::string AnsiToUtf8(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    return Utf8(wide.c_str());
}

HWND ToHandle(const std::string& text)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text.c_str(), nullptr, 10)));
}

unsigned long long FromHandle(HWND window)
{
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window));
}

std::string WindowText(HWND window)
{
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND WaitForWindow(const std::string& title, DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindWindowA(nullptr, title.c_str()))
            return window;
        if (GetTickCount() - start >= ms)
            return nullptr;
        Sleep(25);
    }
}

struct DialogSearch {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && WindowText(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ListChild(HWND window, LPARAM onlyVisible)
{
    if (onlyVisible && !IsWindowVisible(window))
        return TRUE;
    char className[256] = {};
    GetClassNameA(window, className, sizeof className);
    Print(std::to_string(FromHandle(window)) + " " + className + " " + AnsiToUtf8(WindowText(window)));
    return TRUE;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Host(const std::string& title, int width, int height, int x, int y)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "GlowmereTestHost";
    RegisterClassA(&windowClass);
    const DWORD style = WS_POPUP | WS_VISIBLE;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), style, x, y, width, height,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    Print(std::to_string(FromHandle(window)));
    if (!window)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    const std::vector<std::string> args = testoutput::Arguments(CP_ACP);
    if (args.empty()) {
        Print("usage: wintool <command> ...");
        return 2;
    }
    const std::string& command = args[0];
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    auto number = [&](size_t i) { return std::strtoll(arg(i).c_str(), nullptr, 10); };

    if (command == "find") {
        Print(std::to_string(FromHandle(FindWindowA(nullptr, arg(1).c_str()))));
    } else if (command == "find-class") {
        Print(std::to_string(FromHandle(FindWindowA(arg(1).c_str(), nullptr))));
    } else if (command == "foreground") {
        Print(std::to_string(FromHandle(GetForegroundWindow())));
    } else if (command == "wait-window") {
        Print(std::to_string(FromHandle(WaitForWindow(arg(1), static_cast<DWORD>(number(2))))));
    } else if (command == "wait-gone") {
        const DWORD start = GetTickCount();
        while (FindWindowA(nullptr, arg(1).c_str()) && GetTickCount() - start < static_cast<DWORD>(number(2)))
            Sleep(25);
        Print(FindWindowA(nullptr, arg(1).c_str()) ? "0" : "1");
    } else if (command == "post") {
        Print(std::to_string(PostMessageA(ToHandle(arg(1)), static_cast<UINT>(number(2)),
                                          static_cast<WPARAM>(number(3)), static_cast<LPARAM>(number(4)))));
    } else if (command == "send") {
        Print(std::to_string(SendMessageA(ToHandle(arg(1)), static_cast<UINT>(number(2)),
                                          static_cast<WPARAM>(number(3)), static_cast<LPARAM>(number(4)))));
    } else if (command == "text") {
        Print(AnsiToUtf8(WindowText(ToHandle(arg(1)))));
    } else if (command == "info") {
        HWND window = ToHandle(arg(1));
        RECT rect = {}, client = {};
        POINT origin = {0, 0};
        GetWindowRect(window, &rect);
        GetClientRect(window, &client);
        ClientToScreen(window, &origin);
        char className[256] = {}, line[512];
        GetClassNameA(window, className, sizeof className);
        std::snprintf(line, sizeof line, "%d %d %llu %llu %lx %ld %ld %ld %ld %ld %ld %ld %ld %s",
                      IsWindowVisible(window) ? 1 : 0, IsWindowEnabled(window) ? 1 : 0, FromHandle(GetParent(window)),
                      FromHandle(GetWindow(window, GW_OWNER)),
                      static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)), rect.left, rect.top, rect.right,
                      rect.bottom, origin.x, origin.y, client.right, client.bottom, className);
        Print(line);
    } else if (command == "items") {
        // Asked in UTF-16: Wine cuts the ANSI answers of another process's list short.
        HWND box = ToHandle(arg(1));
        const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
            std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
            SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
            text.resize(std::wcslen(text.c_str()));
            Print(std::to_string(i) + " " + Utf8(text.c_str()));
        }
    } else if (command == "sent-text") {
        wchar_t text[4096] = {};
        SendMessageW(ToHandle(arg(1)), WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text));
        Print(Utf8(text));
    } else if (command == "icons") {
        Print(std::to_string(ExtractIconExA(arg(1).c_str(), -1, nullptr, nullptr, 0)));
    } else if (command == "children") {
        EnumChildWindows(ToHandle(arg(1)), ListChild, 0);
    } else if (command == "visible-children") {
        EnumChildWindows(ToHandle(arg(1)), ListChild, 1);
    } else if (command == "is-window") {
        Print(IsWindow(ToHandle(arg(1))) ? "1" : "0");
    } else if (command == "message-box") {
        DialogSearch search{arg(1)};
        const DWORD start = GetTickCount();
        while (!search.found && GetTickCount() - start < static_cast<DWORD>(number(2))) {
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
            if (!search.found)
                Sleep(25);
        }
        if (!search.found) {
            Print("0");
            return 1;
        }
        // The message text is the dialog's static control with id 0xFFFF.
        Print(std::to_string(FromHandle(search.found)));
        Print(Hex(WindowText(GetDlgItem(search.found, 0xFFFF))));
    } else if (command == "set-mode") {
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = static_cast<DWORD>(number(2));
        mode.dmPelsHeight = static_cast<DWORD>(number(3));
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        Print(std::to_string(ChangeDisplaySettingsExA(arg(1).c_str(), &mode, nullptr, CDS_FULLSCREEN, nullptr)));
    } else if (command == "display-mode") {
        DEVMODEA current = {}, registry = {};
        current.dmSize = registry.dmSize = sizeof(DEVMODEA);
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current);
        EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &registry);
        char line[128];
        std::snprintf(line, sizeof line, "%lu %lu %lu %lu %lu %lu", current.dmPelsWidth, current.dmPelsHeight,
                      current.dmBitsPerPel, registry.dmPelsWidth, registry.dmPelsHeight, registry.dmBitsPerPel);
        Print(line);
    } else if (command == "processes") {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        if (snapshot != INVALID_HANDLE_VALUE && Process32First(snapshot, &entry)) {
            do {
                Print(std::to_string(entry.th32ProcessID) + " " + AnsiToUtf8(entry.szExeFile));
            } while (Process32Next(snapshot, &entry));
        }
        if (snapshot != INVALID_HANDLE_VALUE)
            CloseHandle(snapshot);
    } else if (command == "terminate") {
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(number(1)));
        const bool ok = process && TerminateProcess(process, 9);
        if (process)
            CloseHandle(process);
        Print(ok ? "1" : "0");
    } else if (command == "host") {
        return Host(arg(1), static_cast<int>(number(2)), static_cast<int>(number(3)),
                    static_cast<int>(number(4)), static_cast<int>(number(5)));
    } else {
        Print("unknown command: " + command);
        return 2;
    }
    return 0;
}
