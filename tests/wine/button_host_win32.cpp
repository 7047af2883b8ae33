// button_host.exe: a test host for the Command button (built into test-bin, not shipped).
// It opens a borderless top-level window titled "Glowmere button host" at (100, 100),
// 400 x 160 pixels, light green, with six buttons made from stored properties the way
// the settings dialog makes its buttons, initialises every Command child it finds, and
// prints (UTF-8, one line each, flushed at once):
//
//   button <id> <hwnd>                  each button
//   font <id> <face> <charset> <height> <file's family>
//                                       what the caption font really is: the face Wine
//                                       reports (GetTextFaceA), the character set and
//                                       cell height (GetTextMetricsA), and the English
//                                       family name in the font file's own name table
//                                       (GetFontData), which tells the file apart
//   ready
//   click <id>                          every Click the host receives
//   change <id> <property>              every change report
//   key <id> <virtual key>              every key press that reaches a button
//
// A posted WM_APP + 1 with wParam = id and lParam = 0 or 1 writes that button's Enabled.
// A Click of button 6 ("閉じる") destroys the host from inside the Click, as a dialog's
// OK button closes its form; the host then ends with exit code 0.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "ansi_text_win32.h"
#include "command_win32.h"
#include "test_output.h"

namespace {

constexpr auto Print = testoutput::PrintLine;

using namespace glowmere::button;

constexpr char kTitle[] = "Glowmere button host";
constexpr COLORREF kBackground = RGB(0xA0, 0xC8, 0xA0);
constexpr UINT kSetEnabled = WM_APP + 1;
constexpr int kCloseButton = 6;
constexpr int kButtons = 6;

std::string Handle(HWND window) { return std::to_string(reinterpret_cast<uintptr_t>(window)); }

struct Placed {
    int id;
    int x, y, width, height;
    PropertyStore stored;
};

BOOL CALLBACK InitializeButton(HWND child, LPARAM)
{
    // Every Command on the form, nested ones included, as the settings dialog does it.
    if (IsCommand(child))
        InitializeCommand(child);
    return TRUE;
}

uint16_t BigEndian16(const std::string& data, size_t at)
{
    return static_cast<uint16_t>((static_cast<unsigned char>(data[at]) << 8) | static_cast<unsigned char>(data[at + 1]));
}

// The English (US) family name (name id 1, Windows platform) from the selected font's
// 'name' table, or "?" when the table cannot be read.
std::string FileFamilyName(HDC dc)
{
    const DWORD tag = 'n' | ('a' << 8) | ('m' << 16) | (static_cast<DWORD>('e') << 24);
    const DWORD size = GetFontData(dc, tag, 0, nullptr, 0);
    if (size == GDI_ERROR || size < 6)
        return "?";
    std::string data(size, '\0');
    if (GetFontData(dc, tag, 0, data.data(), size) != size)
        return "?";
    const size_t count = BigEndian16(data, 2);
    const size_t strings = BigEndian16(data, 4);
    for (size_t i = 0; i < count && 6 + i * 12 + 12 <= data.size(); ++i) {
        const size_t record = 6 + i * 12;
        const uint16_t platform = BigEndian16(data, record);
        const uint16_t language = BigEndian16(data, record + 4);
        const uint16_t nameId = BigEndian16(data, record + 6);
        const size_t length = BigEndian16(data, record + 8);
        const size_t offset = strings + BigEndian16(data, record + 10);
        if (platform != 3 || language != 0x409 || nameId != 1 || offset + length > data.size())
            continue;
        std::string name;   // UTF-16 big-endian; the family names here are ASCII
        for (size_t j = 0; j + 1 < length; j += 2)
            name += static_cast<char>(BigEndian16(data, offset + j) & 0x7F);
        return name;
    }
    return "?";
}

void PrintFont(int id, HWND button)
{
    HDC dc = GetDC(button);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    const std::string family = FileFamilyName(dc);
    SelectObject(dc, previous);
    ReleaseDC(button, dc);
    Print("font " + std::to_string(id) + " " + glowmere::FromAnsi(face) + " " + std::to_string(metrics.tmCharSet) +
          " " + std::to_string(metrics.tmHeight) + " " + family);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        if (!IsCommand(reinterpret_cast<HWND>(lParam)))
            break;
        const int id = LOWORD(wParam);
        const unsigned short code = HIWORD(wParam);
        if (code == kCommandClicked) {
            Print("click " + std::to_string(id));
            if (id == kCloseButton)
                DestroyWindow(window);
        }
        else if (const char* name = CommandChangeName(code))
            Print("change " + std::to_string(id) + " " + name);
        return 0;
    }
    case kSetEnabled:
        SetCommandEnabled(GetDlgItem(window, static_cast<int>(wParam)), lParam != 0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);   // lines end in \n, as the test reads them
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(kBackground);
    windowClass.lpszClassName = "GlowmereButtonHost";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, windowClass.lpszClassName, kTitle, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100,
                                100, 400, 160, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!host) {
        Print("no host window");
        return 1;
    }

    // The form data of each button, as a host keeps it.
    Placed buttonsToMake[kButtons] = {{1, 20, 20, 81, 25, {}},   {2, 120, 20, 81, 25, {}},
                                      {3, 20, 70, 81, 25, {}},   {4, 120, 70, 117, 28, {}},
                                      {5, 260, 20, 81, 25, {}},  {6, 260, 70, 81, 25, {}}};
    buttonsToMake[0].stored.Put("Caption", std::string("設定"));
    buttonsToMake[1].stored.Put("Caption", std::string("ｷｬﾝｾﾙ"));
    buttonsToMake[2].stored.Put("Enabled", false);
    buttonsToMake[2].stored.Put("Caption", std::string("..."));
    // Button 4 stores nothing: it loads as "Command1".
    buttonsToMake[4].stored.Put("Caption", std::string("透明"));
    buttonsToMake[4].stored.Put("Visible", int16_t{0});
    buttonsToMake[5].stored.Put("Caption", std::string("閉じる"));

    HWND buttons[kButtons] = {};
    for (int i = 0; i < kButtons; ++i) {
        const Placed& s = buttonsToMake[i];
        buttons[i] = static_cast<HWND>(CreateCommand(host, s.id, s.x, s.y, s.width, s.height, &s.stored));
        Print("button " + std::to_string(s.id) + " " + Handle(buttons[i]));
    }
    EnumChildWindows(host, InitializeButton, 0);
    for (int i = 0; i < kButtons; ++i)
        PrintFont(buttonsToMake[i].id, buttons[i]);
    Print("ready");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN && IsCommand(message.hwnd))
            Print("key " + std::to_string(GetDlgCtrlID(message.hwnd)) + " " + std::to_string(message.wParam));
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
