// The settings dialog's Win32 edge: the form window with its painted gradient and its two
// windowless labels, the group panel Pic_C with the tiled texture, the source marks and
// labels, the repeat combo box, the three Command buttons, the modal loop, the open-file
// request and the home-page link. What to show and what to write is decided in
// dialog_logic.cpp; where things sit, at the dpi of the dialog's monitor, is
// dialog_layout.h. People read its texts through the UTF-16 functions; its window titles
// and classes and what it stores stay in the ANSI code page.
#include "settings_dialog_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "ansi_text_win32.h"
#include "command_win32.h"
#include "dialog_layout.h"
#include "dialog_logic.h"
#include "gdi_win32.h"
#include "program_folder_win32.h"
#include "resource_ids.h"
#include "resource_pictures.h"
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
    Box dialog::Layout::*box;
    const char* caption;
};
constexpr StoredButton kStoredButtons[] = {
    {kFileId, true, &dialog::Layout::fileButton, dialog::kFileButtonCaption},
    {kSetId, false, &dialog::Layout::setButton, dialog::kSetCaption},
    {kCancelId, false, &dialog::Layout::cancelButton, dialog::kCancelCaption},
};
constexpr int kButtonCount = 3;

RECT ToRect(const Box& box) { return {box.x, box.y, box.x + box.width, box.y + box.height}; }

void Place(HWND window, const Box& box) { MoveWindow(window, box.x, box.y, box.width, box.height, FALSE); }

HBITMAP PictureBitmap(const Bitmap24& picture) { return MakeBitmap(picture.width, picture.height, picture.bits); }

// A path as the code page of the system sees it: its conversion and its short form.
class SystemPathCodePage final : public PathCodePage {
public:
    std::optional<std::string> Written(std::wstring_view path) const override { return WideToAnsiExactly(path); }

    std::wstring ShortForm(std::wstring_view path) const override
    {
        const std::wstring full(path);
        const DWORD size = GetShortPathNameW(full.c_str(), nullptr, 0);
        if (size == 0)
            return {};
        std::wstring shortForm(size, L'\0');
        const DWORD length = GetShortPathNameW(full.c_str(), shortForm.data(), size);
        shortForm.resize(length < size ? length : 0);
        return shortForm;
    }
};

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

// Copies a whole bitmap to (x, y).
void DrawBitmap(HDC target, HBITMAP bitmap, int x, int y)
{
    BITMAP size = {};
    if (!target || !bitmap || !GetObjectA(bitmap, sizeof size, &size))
        return;
    HDC source = CreateCompatibleDC(target);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(target, x, y, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

// A black outline `width` pixels wide just inside the rectangle.
void Outline(HDC dc, const RECT& rect, int width)
{
    const RECT edges[] = {{rect.left, rect.top, rect.right, rect.top + width},
                          {rect.left, rect.bottom - width, rect.right, rect.bottom},
                          {rect.left, rect.top, rect.left + width, rect.bottom},
                          {rect.right - width, rect.top, rect.right, rect.bottom}};
    for (const RECT& edge : edges)
        FillRect(dc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

struct LabelStyle {
    UINT align = DT_LEFT;
    COLORREF colour = kBlack;
    int border = 0;   // the width of a thin black border, or 0
    // A label with room for several lines wraps its text at its width and cuts it at its
    // edges. A one-line label keeps its text on its line and lets it run past its right
    // edge: the captions were measured for a font whose stand-in may be a few pixels
    // wider, and a wrapped caption would lose whole words to an invisible second line.
    bool wraps = false;
};

// A windowless label with a transparent background.
void DrawLabel(HDC dc, const Box& box, const std::wstring& text, HFONT font, const LabelStyle& style)
{
    RECT rect = ToRect(box);
    if (style.border > 0) {
        Outline(dc, rect, style.border);
        InflateRect(&rect, -style.border, -style.border);
    }
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, style.colour);
    // No prefix characters: a path with '&' in it shows as it is.
    const UINT layout = style.wraps ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE | DT_NOCLIP;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, style.align | DT_TOP | DT_NOPREFIX | layout);
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
    void LayOut(int dpi, const RECT* suggested);
    void MakeFontsAndPictures();
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
    HWND buttons_[kButtonCount] = {};   // as kStoredButtons lists them
    HWND fileButton_ = nullptr;
    HFONT font_ = nullptr;
    HFONT linkFont_ = nullptr;
    HBITMAP markPictures_[2] = {};   // Img_Ra: 0 not selected, 1 selected
    HBITMAP texture_ = nullptr;      // Pic_Mbl
    HCURSOR linkCursor_ = nullptr;

    int dpi_ = kDesignDpi;   // of the monitor the dialog is on
    dialog::Layout layout_;

    Canvas formImage_;    // the form's persistent image: the gradient
    Canvas panelImage_;   // Pic_C's persistent image: its colour and the tiled texture
    Canvas formScratch_;
    Canvas panelScratch_;

    int markPicture_[dialog::kSourceCount] = {-1, -1, -1};   // Img_Ra element each Img_BGM shows
    std::string fileLabel_;                                    // lbl_Fname's caption (ANSI, as stored)
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
    linkCursor_ = LoadCursorA(instance_, MAKEINTRESOURCEA(IDC_LINK));

    // The form and its children are laid out at the dpi of the monitor the form is on;
    // Form_Load places it.
    form_ = CreateWindowExA(0, kFormClass, kSettingsDialogTitle, kFormStyle, 0, 0, dialog::kClientWidth,
                            dialog::kClientHeight, nullptr, nullptr, instance_, this);
    if (!form_)
        return false;
    dpi_ = WindowDpi(form_);
    layout_ = dialog::LayoutAt(dpi_);
    MakeFontsAndPictures();

    const Box& p = layout_.panel;
    panel_ = CreateWindowExA(0, kPanelClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, p.x, p.y,
                             p.width, p.height, form_, nullptr, instance_, this);
    // Its items and typed text are for people to read: a Unicode combo box.
    repeat_ = CreateWindowExW(0, L"COMBOBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                              0, 0, 0, 0, panel_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRepeatId)),
                              instance_, nullptr);

    const Font ambient = FormFont();
    for (int i = 0; i < kButtonCount; ++i) {
        const StoredButton& stored = kStoredButtons[i];
        button::PropertyStore properties;
        properties.Put("Caption", std::string(stored.caption));
        properties.Put("Font", FormFont());
        const Box& b = layout_.*stored.box;
        buttons_[i] = static_cast<HWND>(button::CreateCommand(stored.inPanel ? panel_ : form_, stored.id, b.x, b.y,
                                                              b.width, b.height, &properties, &ambient));
        if (stored.id == kFileId)
            fileButton_ = buttons_[i];
    }
    LayOut(dpi_, nullptr);
    return true;
}

void SettingsDialog::MakeFontsAndPictures()
{
    const auto replace = [](auto& object, auto made) {
        if (object)
            DeleteObject(object);
        object = made;
    };
    // The combo box holds the form's font until it is given the next one: whoever
    // replaces it deletes it then.
    font_ = MakeFont(FormFont(), dpi_);
    Font link = FormFont();
    link.underline = true;
    replace(linkFont_, MakeFont(link, dpi_));
    // The marks of Img_Ra and the texture of Pic_Mbl, drawn for their size at this dpi.
    for (int selected = 0; selected < 2; ++selected)
        replace(markPictures_[selected], PictureBitmap(resources::DrawRadioMark(selected == 1, dpi_)));
    replace(texture_, PictureBitmap(resources::DrawPanelTexture(dpi_)));
}

// Lays the form out at `dpi`: its fonts and pictures made for it, the window sized for its
// scaled client area (or placed in the rectangle the system suggests), every child at its
// scaled box, and Pic_C's image made anew for TilePicture.
void SettingsDialog::LayOut(int dpi, const RECT* suggested)
{
    const HFONT oldFont = font_;
    if (dpi != dpi_) {
        dpi_ = dpi;
        layout_ = dialog::LayoutAt(dpi);
        MakeFontsAndPictures();
    }
    if (suggested) {
        SetWindowPos(form_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        const SIZE outer = WindowSizeForClient({layout_.client.width, layout_.client.height}, kFormStyle, 0, dpi_);
        SetWindowPos(form_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Place(panel_, layout_.panel);
    const Box& r = layout_.repeatBox;
    MoveWindow(repeat_, r.x, r.y, r.width, r.height + layout_.repeatListHeight, FALSE);
    SendMessageW(repeat_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    FitRepeatBoxHeight();
    for (int i = 0; i < kButtonCount; ++i) {
        button::SetCommandDpi(buttons_[i], dpi_);
        Place(buttons_[i], layout_.*kStoredButtons[i].box);
    }
    if (oldFont != font_)
        DeleteObject(oldFont);

    if (panelImage_.Make(layout_.panel.width, layout_.panel.height))
        panelImage_.Fill(kPanelBackColour);
    RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SettingsDialog::FitRepeatBoxHeight()
{
    // A combo box sizes its text field from its font; the form wants it 20 pixels high
    // at 96 dpi. How the requested field height relates to the window's height differs
    // between implementations (Wine adds two pixels to the request), so ask, measure,
    // and ask again for the remaining difference.
    LRESULT field = SendMessageW(repeat_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 4 && field != CB_ERR; ++attempt) {
        RECT now;
        if (!GetWindowRect(repeat_, &now))
            return;
        const int difference = layout_.repeatBox.height - (now.bottom - now.top);
        if (difference == 0 || field + difference <= 0)
            return;
        field += difference;
        SendMessageW(repeat_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
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

    // Unicode messages, so that characters typed into the repeat box reach it whole on
    // every system.
    MSG message;
    while (form_ && IsWindow(form_)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));   // leave it for the caller
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
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
    SetWindowTextW(repeat_, ToWide(FormatHashHash(BgmRepeat)).c_str());
    for (const std::string& item : RepeatListItems())
        SendMessageW(repeat_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(item).c_str()));
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
    for (const Box& mark : layout_.sourceMarks) {
        const RECT rect = ToRect(mark);
        InvalidateRect(panel_, &rect, FALSE);
    }
}

void SettingsDialog::FileClick()
{
    const std::wstring filter = ToWide(dialog::kOpenFilterName) + L'\0' + ToWide(dialog::kOpenFilterPattern) + L'\0';
    const std::wstring title = ToWide(dialog::kOpenTitle);
    const std::wstring initialFolder = AnsiToWide(BgmFolder);
    std::vector<wchar_t> file(dialog::kOpenBufferSize, L'\0');
    std::vector<wchar_t> fileTitle(dialog::kOpenBufferSize, L'\0');

    OPENFILENAMEW request = {};
    // The request record of the generation before Windows 2000 (no pvReserved, dwReserved
    // or FlagsEx), in its size for this architecture.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = form_;
    request.hInstance = instance_;
    request.lpstrFilter = filter.c_str();   // the string's own terminator ends the list
    request.lpstrFile = file.data();
    request.nMaxFile = dialog::kOpenBufferSize;
    request.lpstrFileTitle = fileTitle.data();
    request.nMaxFileTitle = dialog::kOpenBufferSize;
    request.lpstrInitialDir = initialFolder.c_str();
    request.lpstrTitle = title.c_str();
    request.Flags = 0;
    if (!GetOpenFileNameW(&request))
        return;   // cancelled or failed: nothing changes

    // Stored in the code page, as MCI and PlaySound will open it; a path that neither as
    // it is nor by its short form can be written there leaves the previous file.
    file.back() = L'\0';
    const std::optional<std::string> stored = StoredPath(file.data(), SystemPathCodePage());
    if (!stored)
        return;
    UseChosenFile(*stored, platform_.LeadBytes());
    fileLabel_ = BgmFile;
    const RECT label = ToRect(layout_.fileLabel);
    InvalidateRect(panel_, &label, FALSE);
}

void SettingsDialog::SetClick()
{
    std::wstring text(static_cast<size_t>(std::max(0, GetWindowTextLengthW(repeat_))) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(0, GetWindowTextW(repeat_, text.data(), static_cast<int>(text.size())))));
    SaveSettings(platform_, ProgramFolder() + kSettingsFileName, WideToAnsi(text));
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
    const bool overLink = layout_.linkLabel.Contains(at.x, at.y) && linkCursor_;
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
        DrawLabel(canvas, layout_.creditLabel, ToWide(dialog::CreditText()), font_, {DT_LEFT, kWhite});
        DrawLabel(canvas, layout_.linkLabel, ToWide(dialog::kHomePage), linkFont_, {DT_LEFT, kWhite});
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
        Outline(c, ToRect(layout_.headingFrame), layout_.lineWidth);

        DrawLabel(c, layout_.headingLabel, ToWide(dialog::kHeadingCaption), font_, {DT_CENTER});
        DrawLabel(c, layout_.repeatLabel, ToWide(dialog::kRepeatCaption), font_, {});
        for (int source = 0; source < dialog::kSourceCount; ++source) {
            DrawLabel(c, layout_.sourceLabels[source], ToWide(dialog::kSourceCaptions[source]), font_, {});
            // An image control shows its picture at its own size from the top-left corner.
            const int picture = markPicture_[source];
            if (picture >= 0) {
                const Box& mark = layout_.sourceMarks[source];
                DrawBitmap(c, markPictures_[picture], mark.x, mark.y);
            }
        }
        DrawLabel(c, layout_.fileLabel, AnsiToWide(fileLabel_), font_, {DT_LEFT, kBlack, layout_.lineWidth, true});

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
        if (layout_.linkLabel.Contains(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) {
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
            layout_.linkLabel.Contains(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))
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
    case WM_DPICHANGED:
        // Moved to a monitor of another dpi (or that monitor's scaling changed): laid out
        // again at the new dpi, in the window rectangle the system suggests for it.
        LayOut(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        TilePicture();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form_ = nullptr;
        panel_ = nullptr;
        repeat_ = nullptr;
        fileButton_ = nullptr;
        std::fill(std::begin(buttons_), std::end(buttons_), nullptr);
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
        const int source = SourceAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), dpi_);
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
