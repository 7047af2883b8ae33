// testtool.exe: the Wine suites' hands inside Wine. Each command answers one question or does
// one thing through the Win32 API and prints UTF-8 lines; arguments reach the A functions in
// the ANSI code page, handles are decimal. Texts of another process's windows are asked in
// UTF-16 (Wine cuts its ANSI answers short); "dialog" prints the exact bytes of each INI write
// (Wine's WritePrivateProfileStringA drops a value's leading blank); "preview" puts the form in
// a host of its own (a child painted by another process than its host's never reaches the
// screen under Wine); "dib" and "textures" run the renderer's picture reader and texture
// loading (see DumpPictures, DumpTextures); "serve" answers a session's questions (see Serve).
#include <windows.h>
#include <GL/gl.h>
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ansi_text_win32.h"
#include "dib_reader_win32.h"
#include "forms_win32.h"
#include "picture_file_win32.h"
#include "preview_win32.h"
#include "settings_dialog_win32.h"
#include "settings_file.h"
#include "settings_file_win32.h"
#include "textures_win32.h"

namespace {

FILE* output = stdout;   // a served command's answer file

void Print(const std::string& line)
{
    std::fprintf(output, "%s\n", line.c_str());
    std::fflush(output);   // the test may be waiting for this very line
}

std::string Hex(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes)
        out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return out;
}

std::string FromWide(const wchar_t* text, unsigned codePage)
{
    const int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    WideCharToMultiByte(codePage, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out.substr(0, out.size() - 1);
}

void Save(const std::string& path, const void* bytes, size_t size)
{
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(bytes), std::streamsize(size));
}

// dib <output folder> <picture>...: the renderer's bitmap reader, with its GDI conversion,
// over each picture, one line each, numbered from 0: "<n> image <width> <height>" (the rows
// in <output folder>\<n>.rgb, R G B, bottom row first), "<n> message <hex>" (refused with
// this message, its ANSI bytes; printed, not shown, so nothing waits for a user) or "<n> none".
int DumpPictures(const std::vector<std::string>& args)
{
    static std::string messages;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string n = std::to_string(i - 2);
        messages.clear();
        using namespace glowmere::renderer;
        if (ImageRecord* image = LoadBitmapFile(args[i].c_str(), [](const char* text) { messages += text; })) {
            Save(args[1] + "\\" + n + ".rgb", image->pixels, size_t(image->width) * size_t(image->height) * 3);
            Print(n + " image " + std::to_string(image->width) + " " + std::to_string(image->height));
            FreeImageRecord(image);
        } else {
            Print(n + (messages.empty() ? " none" : " message " + Hex(messages)));
        }
    }
    return 0;
}

// textures <output folder>: the renderer's LoadTextures over the hand-off pictures;
// "<slot> <width> <height>" of each texture's level 0, whose rows go to <output folder>\<slot>.rgb.
int DumpTextures(const std::string& folder)
{
    HDC dc = GetDC(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr, nullptr));
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    if (!SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format) || !wglMakeCurrent(dc, wglCreateContext(dc)))
        return 3;
    unsigned names[2];
    glowmere::renderer::LoadTextures(names);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int slot = 0; slot < 2; ++slot) {
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, names[slot]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<char> rows(size_t(width) * size_t(height) * 3);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        Save(folder + "\\" + std::to_string(slot) + ".rgb", rows.data(), rows.size());
        Print(std::to_string(slot) + " " + std::to_string(width) + " " + std::to_string(height));
    }
    return 0;
}

std::string HexOrDash(const std::string& bytes) { return bytes.empty() ? "-" : Hex(bytes); }
std::string Decimal(const void* handle) { return std::to_string(reinterpret_cast<uintptr_t>(handle)); }

std::string WindowText(HWND window)
{
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return glowmere::FromAnsi(text);
}

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK ListChild(HWND window, LPARAM)
{
    Print(Decimal(window) + " " + (IsWindowVisible(window) ? "1 " : "0 ") + ClassOf(window) + " " + WindowText(window));
    return TRUE;
}

LRESULT CALLBACK QuitOnClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

class RecordingPlatform final : public glowmere::SettingsPlatform {
public:
    void GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                          uint32_t size, const char* file) override
    {
        real_.GetProfileString(section, key, defaultValue, buffer, size, file);
    }
    void WriteProfileString(const char* section, const char* key, const char* value, const char* file) override
    {
        // Section and key are the program's own texts; the system platform converts them.
        Print("write " + HexOrDash(glowmere::ToAnsi(section)) + " " + HexOrDash(glowmere::ToAnsi(key)) + " " +
              HexOrDash(value) + " " + HexOrDash(file));
        real_.WriteProfileString(section, key, value, file);
    }
    bool OpenForReading(const std::string& path) override { return real_.OpenForReading(path); }
    glowmere::LeadByteTest LeadBytes() const override { return real_.LeadBytes(); }

private:
    glowmere::SettingsPlatform& real_ = glowmere::SystemSettingsPlatform();
};

int Command(const std::vector<std::string>& args)
{
    const auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    const auto ansi = [&](size_t i) { return glowmere::ToAnsi(arg(i)); };
    const auto number = [&](size_t i) { return static_cast<int>(std::strtoll(arg(i).c_str(), nullptr, 10)); };
    const auto handle = [&](size_t i) { return reinterpret_cast<HWND>(std::strtoull(arg(i).c_str(), nullptr, 10)); };
    const std::string command = arg(0);

    if (command == "find") {
        Print(Decimal(FindWindowA(args.size() > 2 ? ansi(2).c_str() : nullptr, ansi(1).c_str())));
    } else if (command == "message-box") {
        HWND box = FindWindowA("#32770", ansi(1).c_str());
        char text[4096] = {};   // the message is the dialog's static control with id 0xFFFF
        GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
        Print(Decimal(box) + "\n" + Hex(text));
    } else if (command == "post" || command == "send") {
        const auto message = static_cast<UINT>(number(2));
        const auto wParam = static_cast<WPARAM>(number(3));
        const auto lParam = static_cast<LPARAM>(number(4));
        Print(std::to_string(command == "post" ? PostMessageA(handle(1), message, wParam, lParam)
                                               : SendMessageA(handle(1), message, wParam, lParam)));
    } else if (command == "info") {
        HWND window = handle(1);
        RECT rect = {}, client = {};
        POINT origin = {0, 0};
        GetWindowRect(window, &rect);
        GetClientRect(window, &client);
        ClientToScreen(window, &origin);
        char line[256];
        std::snprintf(line, sizeof line, "%d %d %s %s %lx %ld %ld %ld %ld %ld %ld %ld %ld ", IsWindowVisible(window),
                      IsWindowEnabled(window), Decimal(GetParent(window)).c_str(),
                      Decimal(GetWindow(window, GW_OWNER)).c_str(), static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                      rect.left, rect.top, rect.right, rect.bottom, origin.x, origin.y, client.right, client.bottom);
        Print(line + ClassOf(window) + " " + WindowText(window));
    } else if (command == "children") {
        EnumChildWindows(handle(1), ListChild, 0);
    } else if (command == "items") {
        for (LRESULT i = 0, count = SendMessageW(handle(1), CB_GETCOUNT, 0, 0); i < count; ++i) {
            std::wstring text(static_cast<size_t>(SendMessageW(handle(1), CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(handle(1), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            Print(std::to_string(i) + " " + FromWide(text.c_str(), CP_UTF8));
        }
    } else if (command == "sent-text") {
        wchar_t text[4096] = {};
        SendMessageW(handle(1), WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
        Print(FromWide(text, CP_UTF8));
    } else if (command == "set-text") {
        Print(std::to_string(SendMessageW(handle(1), WM_SETTEXT, 0, LPARAM(glowmere::ToWide(arg(2)).c_str()))));
    } else if (command == "dpi-changed") {   // the rectangle goes into the window's process: pointers do not cross
        DWORD id = 0;
        GetWindowThreadProcessId(handle(1), &id);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id);
        const RECT rect = {number(3), number(4), number(5), number(6)};
        void* remote = process ? VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE) : nullptr;
        DWORD_PTR result = 0;
        Print(remote && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr) &&
              SendMessageTimeoutW(handle(1), WM_DPICHANGED, MAKEWPARAM(number(2), number(2)), LPARAM(remote),
                                  SMTO_ABORTIFHUNG, 10000, &result) ? "1" : "0");
    } else if (command == "set-mode") {
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = static_cast<DWORD>(number(2));
        mode.dmPelsHeight = static_cast<DWORD>(number(3));
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        Print(std::to_string(ChangeDisplaySettingsExA(arg(1).c_str(), &mode, nullptr, CDS_FULLSCREEN, nullptr)));
    } else if (command == "processes") {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
            Print(std::to_string(entry.th32ProcessID) + " " + glowmere::FromAnsi(entry.szExeFile));
        CloseHandle(snapshot);
    } else if (command == "terminate") {
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(number(1)));
        Print(process && TerminateProcess(process, 9) ? "1" : "0");
    } else if (command == "hold" || command == "release") {   // hold: suspends a window's process once it exists
        DWORD id = static_cast<DWORD>(number(1));
        for (const DWORD start = GetTickCount(); command == "hold" && GetTickCount() - start < 30000; Sleep(1))
            if (HWND window = FindWindowA(nullptr, ansi(1).c_str()); window && GetWindowThreadProcessId(window, &id))
                break;
        const auto call = reinterpret_cast<long(WINAPI*)(HANDLE)>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), command == "hold" ? "NtSuspendProcess" : "NtResumeProcess")));
        HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, id);
        Print(process && call(process) == 0 ? std::to_string(id) : "0");
        CloseHandle(process);
    } else if (command == "foreground") {
        Print(Decimal(GetForegroundWindow()));
    } else if (command == "descriptor") {
        std::vector<uint8_t> descriptor = glowmere::OwnerOnlyDescriptor();
        char* sddl = nullptr;
        if (!descriptor.empty() && ConvertSecurityDescriptorToStringSecurityDescriptorA(
                                       descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &sddl, nullptr))
            Print(sddl);
        LocalFree(sddl);
    } else if (command == "cursor") {
        CURSORINFO info = {};
        info.cbSize = sizeof info;
        Print(GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) ? "1" : "0");
    } else if (command == "icons") {
        Print(std::to_string(ExtractIconExA(ansi(1).c_str(), -1, nullptr, nullptr, 0)));
    } else if (command == "host" || command == "preview") {
        const size_t at = command == "host" ? 2 : 1;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = QuitOnClose;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = "GlowmereTestHost";
        RegisterClassA(&windowClass);
        HWND host = CreateWindowExA(0, windowClass.lpszClassName, at == 2 ? ansi(1).c_str() : "", WS_POPUP | WS_VISIBLE,
                                    number(at + 2), number(at + 3), number(at), number(at + 1), nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
        Print(Decimal(host));
        if (command == "preview" && glowmere::ShowPreviewForm(static_cast<int32_t>(reinterpret_cast<intptr_t>(host))))
            return glowmere::RunFormsMessageLoop();
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    } else if (command == "dib") {
        return DumpPictures(args);
    } else if (command == "textures") {
        return DumpTextures(arg(1));
    } else if (command == "dialog") {
        glowmere::ReadSettings();
        RecordingPlatform platform;
        glowmere::ShowSettingsDialog(platform);
    } else {
        Print("unknown command: " + command);
        return 2;
    }
    return 0;
}

// Answers the commands written to <folder>\request (one argument a line, UTF-8) in
// <folder>\answer, one after the other, until the request is "quit": one process for all
// the questions of a session instead of a process start for each.
int Serve(const std::string& folder)
{
    const std::string request = folder + "\\request", answer = folder + "\\answer";
    for (;;) {
        FILE* in = std::fopen(request.c_str(), "rb");
        if (!in) {
            Sleep(2);
            continue;
        }
        std::vector<std::string> args(1);
        for (int c; (c = std::fgetc(in)) != EOF;)
            if (c == '\n')
                args.emplace_back();
            else
                args.back().push_back(static_cast<char>(c));
        std::fclose(in);
        DeleteFileA(request.c_str());
        if (args[0] == "quit")
            return 0;
        output = std::fopen((answer + ".new").c_str(), "wb");
        Command(args);
        std::fclose(output);
        output = stdout;
        MoveFileExA((answer + ".new").c_str(), answer.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

}  // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(FromWide(wide[i], CP_UTF8));
    return args.size() == 2 && args[0] == "serve" ? Serve(args[1]) : Command(args);
}
