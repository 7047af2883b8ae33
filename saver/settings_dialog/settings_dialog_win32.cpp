// The settings dialog's Win32 edge: the form window with its painted gradient and its two
// windowless labels, the group panel Pic_C with the tiled texture, the source marks and
// labels, the repeat combo box, the three Command buttons, the modal loop, the open-file
// request and the home-page link. What to show and what to write is decided in
// dialog_logic.cpp; where things sit is dialog_layout.h.
#include "settings_dialog_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "ansi_text_win32.h"
#include "command_win32.h"
#include "dialog_layout.h"
#include "dialog_logic.h"
#include "gdi_win32.h"
#include "program_folder_win32.h"
#include "resource_ids.h"
#include "settings_file.h"
#include "settings_file_win32.h"
#include "settings_values.h"
#include "startup.h"

namespace glowmere {

namespace {

using dialog::Box;

constexpr char kFormClass[] = "Lumadrift_P";
constexpr char kPanelClass[] = "Lumadrift_P_Pic_C";
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

constexpr COLORREF kFormBackColour = RGB(0xC0, 0xC0, 0xC0);    // &H00C0C0C0, under the gradient
constexpr COLORREF kPanelBackColour = RGB(0xE0, 0xE0, 0xE0);   // &H00E0E0E0, under the texture
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

// The repeat box's list, when dropped, shows about eight items below the text field.
constexpr int kRepeatListHeight = 120;

enum ControlId : int { kRepeatId = 101, kFileId = 102, kSetId = 103, kCancelId = 104 };

// Screen.MousePointer: Default lets every control show its own pointer; Hourglass shows
// the wait pointer over all of the program's windows.
enum class ScreenPointer { Default, Hourglass };

// The form's font: "ＭＳ Ｐゴシック" 9.75 pt, regular, Japanese character set.
Font FormFont()
{
    Font font;
    font.face = "ＭＳ Ｐゴシック";
    font.points = 9.75;
    font.weight = 400;
    font.charset = 128;
    return font;
}

// The stored form data of the three buttons: caption and font; each is enabled, which is
// the save default and so not stored.
struct StoredButton {
    int id;
    bool inPanel;
    Box box;
    const char* caption;
};
constexpr StoredButton kStoredButtons[] = {
    {kFileId, true, dialog::kFileButton, dialog::kFileButtonCaption},
    {kSetId, false, dialog::kSetButton, dialog::kSetCaption},
    {kCancelId, false, dialog::kCancelButton, dialog::kCancelCaption},
};

RECT ToRect(const Box& box) { return {box.x, box.y, box.x + box.width, box.y + box.height}; }

int16_t ToInt16(LONG value)
{
    return static_cast<int16_t>(std::clamp<LONG>(value, std::numeric_limits<int16_t>::min(),
                                                 std::numeric_limits<int16_t>::max()));
}

// Animates a caption outline from the point (CursorX, CursorY) to the window and back.
void AnimateCaption(HWND window, bool towardsWindow)
{
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);
    const RECT point = {CursorX, CursorY, CursorX, CursorY};
    if (towardsWindow)
        DrawAnimatedRects(window, IDANI_CAPTION, &point, &windowRect);
    else
        DrawAnimatedRects(window, IDANI_CAPTION, &windowRect, &point);
}

void ZoomFromCursor(HWND window) { AnimateCaption(window, true); }

void ZoomToCursor(HWND window) { AnimateCaption(window, false); }

// Copies a whole bitmap to (x, y), or `width` x `height` of it.
void DrawBitmap(HDC target, HBITMAP bitmap, int x, int y, int width, int height)
{
    if (!target || !bitmap)
        return;
    HDC source = CreateCompatibleDC(target);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(target, x, y, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

struct LabelStyle {
    UINT align = DT_LEFT;
    COLORREF colour = kBlack;
    bool bordered = false;
    // A label with room for several lines wraps its text at its width and cuts it at its
    // edges. A one-line label keeps its text on its line and lets it run past its right
    // edge: the captions were measured for a font whose stand-in may be a few pixels
    // wider, and a wrapped caption would lose whole words to an invisible second line.
    bool wraps = false;
};

// A windowless label with a transparent background; `text` is ANSI.
void DrawLabel(HDC dc, const Box& box, const std::string& text, HFONT font, const LabelStyle& style)
{
    RECT rect = ToRect(box);
    if (style.bordered) {
        FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&rect, -1, -1);
    }
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, style.colour);
    // No prefix characters: a path with '&' in it shows as it is.
    const UINT layout = style.wraps ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE | DT_NOCLIP;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, style.align | DT_TOP | DT_NOPREFIX | layout);
    SelectObject(dc, previousFont);
}

class SettingsDialog {
public:
    explicit SettingsDialog(SettingsPlatform& platform) : platform_(platform) {}
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;
    ~SettingsDialog();

    void ShowModal();

private:
    LRESULT FormMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT PanelMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool RegisterClasses();
    bool Create();
    void FitRepeatBoxHeight();

    // The form's handlers and routines.
    void FormLoad();
    void FormResize();
    void InitButtons();
    void TilePicture();
    void SelectSource(int source);
    void ShowMarks(int selected);
    void FileClick();
    void SetClick();
    void Unload();
    void FormUnload();
    void LinkClick();
    void SetScreenPointer(ScreenPointer pointer);
    bool FormSetCursor(WPARAM wParam, LPARAM lParam);

    void PaintForm();
    void PaintPanel();

    SettingsPlatform& platform_;
    HINSTANCE instance_ = GetModuleHandleA(nullptr);
    HWND form_ = nullptr;
    HWND panel_ = nullptr;
    HWND repeat_ = nullptr;
    HWND fileButton_ = nullptr;
    HFONT font_ = nullptr;
    HFONT linkFont_ = nullptr;
    HBITMAP markPictures_[2] = {};   // Img_Ra: 0 not selected, 1 selected
    HBITMAP texture_ = nullptr;      // Pic_Mbl
    HCURSOR linkCursor_ = nullptr;

    Canvas formImage_;    // the form's persistent image: the gradient
    Canvas panelImage_;   // Pic_C's persistent image: its colour and the tiled texture
    Canvas formScratch_;
    Canvas panelScratch_;

    int markPicture_[dialog::kSourceCount] = {-1, -1, -1};   // Img_Ra element each Img_BGM shows
    std::string fileLabel_;                                    // lbl_Fname's caption (ANSI)
    ScreenPointer pointer_ = ScreenPointer::Default;
    bool linkPressed_ = false;
    bool unloading_ = false;
};

SettingsDialog::~SettingsDialog()
{
    if (form_ && IsWindow(form_))
        Unload();
    if (font_)
        DeleteObject(font_);
    if (linkFont_)
        DeleteObject(linkFont_);
    for (HBITMAP& picture : markPictures_)
        if (picture)
            DeleteObject(picture);
    if (texture_)
        DeleteObject(texture_);
}

bool SettingsDialog::RegisterClasses()
{
    WNDCLASSEXA form = {};
    form.cbSize = sizeof form;
    form.lpfnWndProc = BoundWindowProc<SettingsDialog, &SettingsDialog::FormMessage>;
    form.hInstance = instance_;
    form.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_PROGRAM));
    form.hIconSm = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    form.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    form.lpszClassName = kFormClass;
    // No CS_DBLCLKS: a quick second press is one more mouse-down, as the labels expect.
    if (!RegisterClassExA(&form) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    WNDCLASSA panel = {};
    panel.lpfnWndProc = BoundWindowProc<SettingsDialog, &SettingsDialog::PanelMessage>;
    panel.hInstance = instance_;
    panel.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    panel.lpszClassName = kPanelClass;
    if (!RegisterClassA(&panel) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    return button::RegisterCommandClass();
}

bool SettingsDialog::Create()
{
    if (!RegisterClasses())
        return false;

    // The stored pictures: the two marks of Img_Ra, the texture of Pic_Mbl, the link's
    // pointer.
    const auto loadBitmap = [&](int id) {
        return static_cast<HBITMAP>(
            LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    };
    markPictures_[0] = loadBitmap(IDB_MARK_OFF);
    markPictures_[1] = loadBitmap(IDB_MARK_ON);
    texture_ = loadBitmap(IDB_PANEL_TEXTURE);
    linkCursor_ = LoadCursorA(instance_, MAKEINTRESOURCEA(IDC_LINK));
    font_ = MakeFont(FormFont());
    Font link = FormFont();
    link.underline = true;
    linkFont_ = MakeFont(link);

    // The window is sized for its client area; Form_Load places it.
    RECT outer = {0, 0, dialog::kClientWidth, dialog::kClientHeight};
    AdjustWindowRectEx(&outer, kFormStyle, FALSE, 0);
    form_ = CreateWindowExA(0, kFormClass, kSettingsDialogTitle, kFormStyle, 0, 0, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr, instance_, this);
    if (!form_)
        return false;

    const Box& p = dialog::kPanel;
    panel_ = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, p.x, p.y,
                             p.width, p.height, form_, nullptr, instance_, this);
    if (panel_ && panelImage_.Make(p.width, p.height))
        panelImage_.Fill(kPanelBackColour);

    const Box& r = dialog::kRepeatBox;
    repeat_ = CreateWindowExA(0, "COMBOBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                              r.x, r.y, r.width, r.height + kRepeatListHeight, panel_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRepeatId)), instance_, nullptr);
    if (repeat_) {
        SendMessageA(repeat_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        FitRepeatBoxHeight();
    }

    const Font ambient = FormFont();
    for (const StoredButton& stored : kStoredButtons) {
        button::PropertyStore properties;
        properties.Put("Caption", std::string(stored.caption));
        properties.Put("Font", FormFont());
        HWND parent = stored.inPanel ? panel_ : form_;
        const Box& b = stored.box;
        HWND made = static_cast<HWND>(
            button::CreateCommand(parent, stored.id, b.x, b.y, b.width, b.height, &properties, &ambient));
        if (stored.id == kFileId)
            fileButton_ = made;
    }
    return true;
}

void SettingsDialog::FitRepeatBoxHeight()
{
    // A combo box sizes its text field from its font; the form wants it 20 pixels high.
    // How the requested field height relates to the window's height differs between
    // implementations (Wine adds two pixels to the request), so ask, measure, and ask
    // again for the remaining difference.
    LRESULT field = SendMessageA(repeat_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 4 && field != CB_ERR; ++attempt) {
        RECT now;
        if (!GetWindowRect(repeat_, &now))
            return;
        const int difference = dialog::kRepeatBox.height - (now.bottom - now.top);
        if (difference == 0 || field + difference <= 0)
            return;
        field += difference;
        SendMessageA(repeat_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

// ---------------------------------------------------------------------------------------
// Loading, showing, unloading

void SettingsDialog::ShowModal()
{
    if (!Create())
        return;
    FormLoad();
    ShowWindow(form_, SW_SHOWNORMAL);
    UpdateWindow(form_);
    SetForegroundWindow(form_);

    MSG message;
    while (form_ && IsWindow(form_)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));   // leave it for the caller
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void SettingsDialog::FormLoad()
{
    // Centred across the screen, a third of the free height from the top.
    RECT outer = {};
    GetWindowRect(form_, &outer);
    const ScreenPoint origin = DialogOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                            outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(form_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InitButtons();
    TilePicture();
    // The stored music source: its mark, and only its own control enabled. A source
    // outside 0 to 2 selects no mark.
    EnableWindow(repeat_, FALSE);
    const SourceControls controls = ControlsForSource(BgmKind);
    ShowMarks(controls.selectedMark);
    if (controls.repeatEnabled)
        EnableWindow(repeat_, TRUE);
    button::SetCommandEnabled(fileButton_, controls.fileButtonEnabled);
    // The stored track in the "##" pattern, then the 31 items (empty, 1 to 30).
    SetWindowTextA(repeat_, FormatHashHash(BgmRepeat).c_str());
    for (const std::string& item : RepeatListItems())
        SendMessageA(repeat_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    // The stored music file in its label.
    fileLabel_ = BgmFile;
    InvalidateRect(panel_, nullptr, FALSE);
    // Where the dialog was opened from, for the zoom animations.
    POINT cursor = {};
    if (GetCursorPos(&cursor)) {
        CursorX = ToInt16(cursor.x);
        CursorY = ToInt16(cursor.y);
    } else {
        CursorX = 0;
        CursorY = 0;
    }
    ZoomFromCursor(form_);
    SetScreenPointer(ScreenPointer::Default);
}

void SettingsDialog::InitButtons()
{
    // Every Command of the form, the ones inside the panel included.
    EnumChildWindows(
        form_,
        [](HWND child, LPARAM) -> BOOL {
            if (button::IsCommand(child))
                button::InitializeCommand(child);
            return TRUE;
        },
        0);
}

void SettingsDialog::TilePicture()
{
    BITMAP tile = {};
    if (!texture_ || !GetObjectA(texture_, sizeof tile, &tile) || !panelImage_.Dc())
        return;
    RECT target = {};
    GetClientRect(panel_, &target);
    HDC source = CreateCompatibleDC(panelImage_.Dc());
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, texture_);
    for (const TilePosition& at : TilePositions(tile.bmWidth, tile.bmHeight, target.right, target.bottom))
        BitBlt(panelImage_.Dc(), at.x, at.y, tile.bmWidth, tile.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    InvalidateRect(panel_, nullptr, FALSE);
}

void SettingsDialog::Unload()
{
    if (unloading_ || !form_)
        return;
    unloading_ = true;
    FormUnload();
    DestroyWindow(form_);
}

void SettingsDialog::FormUnload() { ZoomToCursor(form_); }

// ---------------------------------------------------------------------------------------
// The user's actions

void SettingsDialog::SelectSource(int source)
{
    BgmKind = static_cast<int16_t>(source);
    button::SetCommandEnabled(fileButton_, false);
    EnableWindow(repeat_, FALSE);
    ShowMarks(source);
    const SourceControls controls = ControlsForSource(source);
    if (controls.repeatEnabled)
        EnableWindow(repeat_, TRUE);
    if (controls.fileButtonEnabled)
        button::SetCommandEnabled(fileButton_, true);
}

void SettingsDialog::ShowMarks(int selected)
{
    for (int& picture : markPicture_)
        picture = 0;
    if (selected >= 0 && selected < dialog::kSourceCount)
        markPicture_[selected] = 1;
    for (const Box& mark : dialog::kSourceMarks) {
        const RECT rect = ToRect(mark);
        InvalidateRect(panel_, &rect, FALSE);
    }
}

void SettingsDialog::FileClick()
{
    const std::string filter = ToAnsi(dialog::kOpenFilterName) + '\0' + ToAnsi(dialog::kOpenFilterPattern) + '\0';
    const std::string title = ToAnsi(dialog::kOpenTitle);
    std::vector<char> file(dialog::kOpenBufferSize, '\0');
    std::vector<char> fileTitle(dialog::kOpenBufferSize, '\0');

    OPENFILENAMEA request = {};
    // The request record of the generation before Windows 2000 (no pvReserved, dwReserved
    // or FlagsEx), in its size for this architecture.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = form_;
    request.hInstance = instance_;
    request.lpstrFilter = filter.c_str();   // the string's own terminator ends the list
    request.lpstrFile = file.data();
    request.nMaxFile = dialog::kOpenBufferSize;
    request.lpstrFileTitle = fileTitle.data();
    request.nMaxFileTitle = dialog::kOpenBufferSize;
    request.lpstrInitialDir = BgmFolder.c_str();
    request.lpstrTitle = title.c_str();
    request.Flags = 0;
    if (!GetOpenFileNameA(&request))
        return;   // cancelled or failed: nothing changes

    UseChosenFile(std::string_view(file.data(), file.size()), platform_.LeadBytes());
    fileLabel_ = BgmFile;
    const RECT label = ToRect(dialog::kFileLabel);
    InvalidateRect(panel_, &label, FALSE);
}

void SettingsDialog::SetClick()
{
    std::string text(static_cast<size_t>(std::max(0, GetWindowTextLengthA(repeat_))) + 1, '\0');
    text.resize(static_cast<size_t>(std::max(0, GetWindowTextA(repeat_, text.data(), static_cast<int>(text.size())))));
    SaveSettings(platform_, ProgramFolder() + kSettingsFileName, text);
    Unload();
}

void SettingsDialog::LinkClick()
{
    SetScreenPointer(ScreenPointer::Hourglass);
    ShellExecuteA(form_, "open", ToAnsi(dialog::kHomePage).c_str(), "", "", SW_SHOWNORMAL);
    SetScreenPointer(ScreenPointer::Default);
}

void SettingsDialog::SetScreenPointer(ScreenPointer pointer)
{
    pointer_ = pointer;
    if (pointer == ScreenPointer::Hourglass) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return;
    }
    // Let the window under the pointer choose again at once, not at the next move.
    POINT at;
    if (!GetCursorPos(&at))
        return;
    HWND under = WindowFromPoint(at);
    if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId())
        return;
    const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

bool SettingsDialog::FormSetCursor(WPARAM wParam, LPARAM lParam)
{
    // Children ask their parents first, so the hourglass covers every control.
    if (pointer_ == ScreenPointer::Hourglass) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return true;
    }
    if (reinterpret_cast<HWND>(wParam) != form_ || LOWORD(lParam) != HTCLIENT)
        return false;
    POINT at = {};
    GetCursorPos(&at);
    ScreenToClient(form_, &at);
    const bool overLink = dialog::kLinkLabel.Contains(at.x, at.y) && linkCursor_;
    SetCursor(overLink ? linkCursor_ : LoadCursorA(nullptr, IDC_ARROW));
    return true;
}

// ---------------------------------------------------------------------------------------
// Painting

void SettingsDialog::FormResize()
{
    RECT client = {};
    GetClientRect(form_, &client);
    if (!formImage_.Make(client.right, client.bottom))
        return;   // minimised: nothing to paint
    formImage_.Fill(kFormBackColour);
    // Rows 0 to H, both ends included.
    HDC dc = formImage_.Dc();
    HGDIOBJ previous = SelectObject(dc, GetStockObject(DC_BRUSH));
    const double height = client.bottom;
    for (int y = 0; y <= client.bottom; ++y) {
        const GradientColour colour = GradientRow(y, height);
        SetDCBrushColor(dc, RGB(colour.r, colour.g, colour.b));
        PatBlt(dc, 0, y, client.right, 1, PATCOPY);
    }
    SelectObject(dc, previous);
}

void SettingsDialog::PaintForm()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(form_, &paint);
    if (!dc)
        return;
    if (!formImage_.Dc())
        FormResize();
    if (formImage_.Dc() && formScratch_.Make(formImage_.Width(), formImage_.Height())) {
        HDC canvas = formScratch_.Dc();
        BitBlt(canvas, 0, 0, formImage_.Width(), formImage_.Height(), formImage_.Dc(), 0, 0, SRCCOPY);
        DrawLabel(canvas, dialog::kCreditLabel, ToAnsi(dialog::CreditText()), font_, {DT_LEFT, kWhite, false});
        DrawLabel(canvas, dialog::kLinkLabel, ToAnsi(dialog::kHomePage), linkFont_, {DT_LEFT, kWhite, false});
        const RECT& r = paint.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, canvas, r.left, r.top, SRCCOPY);
    }
    EndPaint(form_, &paint);
}

void SettingsDialog::PaintPanel()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(panel_, &paint);
    if (!dc)
        return;
    const int width = panelImage_.Width(), height = panelImage_.Height();
    if (panelImage_.Dc() && panelScratch_.Make(width, height)) {
        HDC c = panelScratch_.Dc();
        BitBlt(c, 0, 0, width, height, panelImage_.Dc(), 0, 0, SRCCOPY);

        // Shape3: a black outline around the heading.
        const RECT frame = ToRect(dialog::kHeadingFrame);
        HGDIOBJ previousBrush = SelectObject(c, GetStockObject(NULL_BRUSH));
        HGDIOBJ previousPen = SelectObject(c, GetStockObject(BLACK_PEN));
        Rectangle(c, frame.left, frame.top, frame.right, frame.bottom);
        SelectObject(c, previousPen);
        SelectObject(c, previousBrush);

        DrawLabel(c, dialog::kHeadingLabel, dialog::kHeadingCaption, font_, {DT_CENTER, kBlack, false});
        DrawLabel(c, dialog::kRepeatLabel, ToAnsi(dialog::kRepeatCaption), font_, {});
        for (int source = 0; source < dialog::kSourceCount; ++source) {
            DrawLabel(c, dialog::kSourceLabels[source], ToAnsi(dialog::kSourceCaptions[source]), font_, {});
            // An image control shows its picture at its own size from the top-left corner.
            const int picture = markPicture_[source];
            if (picture >= 0) {
                const Box& mark = dialog::kSourceMarks[source];
                DrawBitmap(c, markPictures_[picture], mark.x, mark.y, dialog::kMarkSize, dialog::kMarkSize);
            }
        }
        DrawLabel(c, dialog::kFileLabel, fileLabel_, font_, {DT_LEFT, kBlack, true, true});

        const RECT& r = paint.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, c, r.left, r.top, SRCCOPY);
    }
    EndPaint(panel_, &paint);
}

// ---------------------------------------------------------------------------------------
// Messages

LRESULT SettingsDialog::FormMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        // Form_Resize: the gradient for the new client size.
        FormResize();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;   // WM_PAINT covers every pixel
    case WM_PAINT:
        PaintForm();
        return 0;
    case WM_SETCURSOR:
        if (FormSetCursor(wParam, lParam))
            return TRUE;
        break;
    case WM_LBUTTONDOWN:
        // The link label's Click: pressed and released over it with the left button.
        if (dialog::kLinkLabel.Contains(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) {
            linkPressed_ = true;
            SetCapture(window);
        }
        return 0;
    case WM_LBUTTONUP: {
        const bool pressed = linkPressed_;
        linkPressed_ = false;
        if (GetCapture() == window)
            ReleaseCapture();
        if (pressed &&
            dialog::kLinkLabel.Contains(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))
            LinkClick();
        return 0;
    }
    case WM_CAPTURECHANGED:
        linkPressed_ = false;
        return 0;
    case WM_COMMAND:
        // The Command buttons report their Click to the form, the one in the panel too.
        if (HIWORD(wParam) == button::kCommandClicked && button::IsCommand(reinterpret_cast<HWND>(lParam))) {
            switch (LOWORD(wParam)) {
            case kFileId:
                FileClick();
                return 0;
            case kSetId:
                SetClick();
                return 0;
            case kCancelId:
                Unload();
                return 0;
            default:
                return 0;
            }
        }
        return 0;
    case WM_CLOSE:
        // The frame's close box and Alt+F4 unload the form like Cancel.
        Unload();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form_ = nullptr;
        panel_ = nullptr;
        repeat_ = nullptr;
        fileButton_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT SettingsDialog::PanelMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;   // WM_PAINT covers every pixel
    case WM_PAINT:
        PaintPanel();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        // A mark or a label of a source: any mouse button selects it.
        const int source = SourceAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        if (source >= 0)
            SelectSource(source);
        return 0;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void ShowSettingsDialog(SettingsPlatform& platform)
{
    SettingsDialog dialog(platform);
    dialog.ShowModal();
}

}  // namespace glowmere
