// The Command button's Win32 edge: the window class, the six state bitmaps as DIB
// sections at each dpi in use, the back buffer that keeps what DrawButton drew, the
// caption font, and the translation of window messages into the portable Command's
// events. The decisions all live in command.cpp; this file only executes them.
#include "command_win32.h"

#include <windows.h>

#include <array>
#include <map>
#include <vector>

#include "ansi_text_win32.h"
#include "command.h"
#include "gdi_win32.h"
#include "state_bitmaps.h"

namespace glowmere::button {

namespace {

constexpr UINT_PTR kPollTimerId = 1;

struct CreateParams {
    const PropertyStore* stored = nullptr;
    Font ambient;
};

HBITMAP MakeStateBitmap(const StatePixels& pixels)
{
    const size_t stride = (static_cast<size_t>(pixels.Width()) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> rows(stride * static_cast<size_t>(pixels.Height()));
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) {
            const Rgb pixel = pixels.At(x, y);
            uint8_t* at = &rows[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
            at[0] = pixel.b;
            at[1] = pixel.g;
            at[2] = pixel.r;
        }
    return MakeBitmap(pixels.Width(), -pixels.Height(), rows);   // top row first
}

// The six frame sources at one dpi, drawn when a button first needs them and shared by
// every button at that dpi for the life of the process.
HBITMAP StateBitmapAt(StateBitmap which, int dpi)
{
    static std::map<int, std::array<HBITMAP, kStateBitmapCount>> drawn;
    auto found = drawn.find(dpi);
    if (found == drawn.end()) {
        std::array<HBITMAP, kStateBitmapCount> bitmaps{};
        for (int i = 0; i < kStateBitmapCount; ++i)
            bitmaps[static_cast<size_t>(i)] = MakeStateBitmap(DrawStateBitmap(static_cast<StateBitmap>(i), dpi));
        found = drawn.emplace(dpi, bitmaps).first;
    }
    return found->second[static_cast<size_t>(which)];
}

// A caption colour: 0x00BBGGRR, or a system colour when the high bit is set.
COLORREF ToColourRef(uint32_t colour)
{
    if (colour & 0x80000000u)
        return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour & 0xFFFFFF);
}

unsigned short ChangeCode(std::string_view property)
{
    if (property == "Caption")
        return kCommandChangedCaption;
    if (property == "Font")
        return kCommandChangedFont;
    if (property == "FontColour")
        return kCommandChangedFontColour;
    if (property == "Enabled")
        return kCommandChangedEnabled;
    return kCommandChangedVisible;
}

class CommandWindow final : public CommandSurface {
public:
    CommandWindow(HWND window, int widthPixels, int heightPixels, int dpi, const CreateParams& params)
        : window_(window),
          ambient_(params.ambient),
          stored_(params.stored),
          control_(*this, PixelsToTwips(widthPixels, dpi), PixelsToTwips(heightPixels, dpi))
    {
        control_.SetDpi(dpi);
    }

    ~CommandWindow() override
    {
        if (font_)
            DeleteObject(font_);
    }

    // Runs `work` with the object kept alive: a Click or change report may destroy the
    // window (the host closes its form), and then the object goes when the outermost
    // caller is done with it.
    template <class Work>
    auto Guarded(Work work)
    {
        struct Depth {
            CommandWindow* self;
            explicit Depth(CommandWindow* s) : self(s) { ++self->depth_; }
            ~Depth()
            {
                if (--self->depth_ == 0 && self->destroyed_)
                    delete self;
            }
        } depth(this);
        return work(*this);
    }

    Command& Control() { return control_; }
    const Font& Ambient() const { return ambient_; }

    // The button at its present size in twips at `dpi` (a new size, or a display of another
    // dpi), redrawn.
    void Rescale(int dpi)
    {
        control_.SetDpi(dpi);
        control_.Resize(PixelsToTwips(width_, dpi), PixelsToTwips(height_, dpi));
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_CREATE:
            MakeBackBuffer();
            // Stored properties, as the host's form data has them; without a store the
            // button stays as created.
            if (stored_)
                control_.ReadProperties(*stored_, ambient_);
            stored_ = nullptr;
            SyncWindowText();
            return 0;
        case WM_SIZE:
            MakeBackBuffer();
            Rescale(control_.Dpi());
            return 0;
        case WM_ERASEBKGND:
            return 1;   // WM_PAINT covers every pixel
        case WM_PAINT:
            Paint();
            return 0;
        case WM_MOUSEMOVE:
            control_.MouseMove(HeldButtons(wParam), Inside(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            // The press comes first, then the focus the press brings (2 -> 4 for a
            // hovered button). A disabled button does not take the focus.
            Press(kLeftButton, wParam, lParam);
            if (control_.EnabledValue() && GetFocus() != window_)
                SetFocus(window_);
            return 0;
        case WM_RBUTTONDOWN:
            Press(kRightButton, wParam, lParam);
            return 0;
        case WM_MBUTTONDOWN:
            Press(kMiddleButton, wParam, lParam);
            return 0;
        case WM_LBUTTONUP:
            Release(kLeftButton, wParam, lParam);
            return 0;
        case WM_RBUTTONUP:
            Release(kRightButton, wParam, lParam);
            return 0;
        case WM_MBUTTONUP:
            Release(kMiddleButton, wParam, lParam);
            return 0;
        case WM_SETFOCUS:
            control_.GotFocus();
            return 0;
        case WM_KILLFOCUS:
            control_.LostFocus();
            return 0;
        case WM_TIMER:
            if (wParam == kPollTimerId) {
                Poll();
                return 0;
            }
            break;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(CaptionFont());
        case WM_SETTEXT:
            // Another program's SetWindowTextA sets the caption; the window text follows.
            control_.SetCaption(FromAnsi(lParam ? reinterpret_cast<const char*>(lParam) : ""));
            return TRUE;
        case WM_DESTROY:
            KillTimer(window_, kPollTimerId);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            destroyed_ = true;
            break;
        default:
            break;
        }
        return DefWindowProcA(window_, message, wParam, lParam);
    }

    // CommandSurface ------------------------------------------------------------------

    void Draw(const DrawPlan& plan) override
    {
        captionTop_ = TwipsToPixels(plan.caption.top, plan.dpi);
        if (!back_.Dc())
            return;
        RECT all = {0, 0, width_, height_};
        FillRect(back_.Dc(), &all, GetSysColorBrush(COLOR_BTNFACE));

        TRIVERTEX vertices[2];
        for (int i = 0; i < 2; ++i) {
            const GradientVertex& v = plan.face.vertices[static_cast<size_t>(i)];
            vertices[i].x = v.x;
            vertices[i].y = v.y;
            vertices[i].Red = v.colour.red;
            vertices[i].Green = v.colour.green;
            vertices[i].Blue = v.colour.blue;
            vertices[i].Alpha = v.colour.alpha;
        }
        GRADIENT_RECT mesh = {plan.face.mesh.upperLeft, plan.face.mesh.lowerRight};
        GradientFill(back_.Dc(), vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);

        HBITMAP bitmap = StateBitmapAt(plan.bitmap, plan.dpi);
        HDC source = CreateCompatibleDC(back_.Dc());
        if (source && bitmap) {
            HGDIOBJ previous = SelectObject(source, bitmap);
            SetStretchBltMode(back_.Dc(), COLORONCOLOR);
            for (const FrameCopy& copy : plan.frame) {
                if (!copy.Drawn())
                    continue;
                const PixelRect from = ToPixels(copy.source, plan.dpi);
                const PixelRect to = ToPixels(copy.destination, plan.dpi);
                StretchBlt(back_.Dc(), to.x, to.y, to.width, to.height, source, from.x, from.y, from.width,
                           from.height, SRCCOPY);
            }
            SelectObject(source, previous);
        }
        if (source)
            DeleteDC(source);
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }

    void Repaint() override
    {
        SyncWindowText();
        InvalidateRect(window_, nullptr, FALSE);
    }

    void StartPoll(unsigned milliseconds) override { SetTimer(window_, kPollTimerId, milliseconds, nullptr); }

    void RaiseClick() override { Notify(kCommandClicked); }

    void ReportChange(std::string_view property) override { Notify(ChangeCode(property)); }

private:
    void Notify(unsigned short code)
    {
        HWND host = GetAncestor(window_, GA_ROOT);
        if (host && host != window_)
            SendMessageA(host, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), code),
                         reinterpret_cast<LPARAM>(window_));
    }

    static int16_t HeldButtons(WPARAM wParam)
    {
        return static_cast<int16_t>(((wParam & MK_LBUTTON) ? kLeftButton : 0) |
                                    ((wParam & MK_RBUTTON) ? kRightButton : 0) |
                                    ((wParam & MK_MBUTTON) ? kMiddleButton : 0));
    }

    // A press is always over the button, and a move over it normally comes first. When the
    // window under a pointer that stands still goes away (a chooser closed with a key), Wine
    // sends no move, and the button would ignore the click; the press brings the hover the
    // move would have brought (nothing changes for a button already hovered).
    void Press(int16_t button, WPARAM wParam, LPARAM lParam)
    {
        SetCapture(window_);
        control_.MouseMove(HeldButtons(wParam), Inside(lParam));
        control_.MouseDown(button);
    }

    bool Inside(LPARAM lParam) const
    {
        const int x = static_cast<short>(LOWORD(lParam));
        const int y = static_cast<short>(HIWORD(lParam));
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }

    void Release(int16_t button, WPARAM wParam, LPARAM lParam)
    {
        // Let the mouse go before the host hears of a Click: its handler may open a
        // modal dialog, which must not find the mouse captured by this button.
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == window_)
            ReleaseCapture();
        control_.MouseUp(button, Inside(lParam));
    }

    void Poll()
    {
        POINT cursor = {0, 0};
        GetCursorPos(&cursor);   // a failed read leaves (0, 0); the window there decides
        HWND under = WindowFromPoint(cursor);
        CursorOver where = CursorOver::Elsewhere;
        if (under == window_)
            where = CursorOver::Button;
        else if (under == GetAncestor(window_, GA_ROOT))
            where = CursorOver::ParentForm;
        control_.PollTick(where);
    }

    void MakeBackBuffer()
    {
        RECT client;
        GetClientRect(window_, &client);
        width_ = client.right - client.left;
        height_ = client.bottom - client.top;
        const bool fresh = !back_.Dc() || back_.Width() != width_ || back_.Height() != height_;
        if (back_.Make(width_, height_) && fresh)
            back_.Fill(GetSysColor(COLOR_BTNFACE));
    }

    HFONT CaptionFont()
    {
        const Font& wanted = control_.Look().font;
        if (font_ && fontMadeFrom_ == wanted && fontDpi_ == control_.Dpi())
            return font_;
        HFONT made = MakeFont(wanted, control_.Dpi());
        if (!made)
            return font_;   // keep the font we had
        if (font_)
            DeleteObject(font_);
        font_ = made;
        fontMadeFrom_ = wanted;
        fontDpi_ = control_.Dpi();
        return font_;
    }

    // Draws the parent's background under a transparent button.
    void PaintParentBackground(HDC dc)
    {
        HWND parent = GetParent(window_);
        if (!parent)
            return;
        POINT origin = {0, 0};
        MapWindowPoints(window_, parent, &origin, 1);
        POINT previous;
        OffsetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
        SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
    }

    // The caption label: no window of its own, text centred across the whole width from
    // its top, transparent; greyed (embossed) while disabled.
    void PaintCaption(HDC dc)
    {
        const CaptionLook& look = control_.Look();
        const std::wstring text = ToWide(look.text);
        HGDIOBJ previousFont = SelectObject(dc, CaptionFont());
        SetBkMode(dc, TRANSPARENT);
        const int dpi = control_.Dpi();
        RECT label = {0, captionTop_, width_, captionTop_ + TwipsToPixels(kCaptionHeightTwips, dpi)};
        const UINT format = DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOCLIP;
        if (look.enabled) {
            SetTextColor(dc, ToColourRef(look.colour));
            DrawTextW(dc, text.c_str(), -1, &label, format);
        } else {
            const int emboss = ScaleToDpi(1, dpi);
            OffsetRect(&label, emboss, emboss);
            SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
            DrawTextW(dc, text.c_str(), -1, &label, format);
            OffsetRect(&label, -emboss, -emboss);
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextW(dc, text.c_str(), -1, &label, format);
        }
        SelectObject(dc, previousFont);
    }

    void Paint()
    {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        if (!dc)
            return;
        if (control_.Opaque() && back_.Dc())
            BitBlt(dc, 0, 0, width_, height_, back_.Dc(), 0, 0, SRCCOPY);
        else
            PaintParentBackground(dc);
        PaintCaption(dc);
        EndPaint(window_, &paint);
    }

    // The window text mirrors the caption, in the ANSI code page.
    void SyncWindowText()
    {
        const std::string text = ToAnsi(control_.Look().text);
        if (text == windowText_)
            return;
        windowText_ = text;
        DefWindowProcA(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    HWND window_;
    Font ambient_;
    const PropertyStore* stored_;   // only until WM_CREATE has read it
    Command control_;

    Canvas back_;   // what the button shows; paints copy from it
    int width_ = 0;
    int height_ = 0;
    int captionTop_ = TwipsToPixels(CaptionTop(Command::kCreatedHeight));

    HFONT font_ = nullptr;
    Font fontMadeFrom_;
    int fontDpi_ = 0;
    std::string windowText_;

    int depth_ = 0;
    bool destroyed_ = false;
};

LRESULT CALLBACK CommandProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        // This class has no frame, so the window's size is its client size.
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        const auto* params = static_cast<const CreateParams*>(create->lpCreateParams);
        // It lays itself out at the dpi of the window it is created in.
        auto* self = new CommandWindow(window, create->cx, create->cy, WindowDpi(create->hwndParent),
                                       params ? *params : CreateParams{nullptr, DesignFont()});
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    auto* self = reinterpret_cast<CommandWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->Guarded([&](CommandWindow& w) { return w.HandleMessage(message, wParam, lParam); });
}

CommandWindow* Find(NativeWindow button)
{
    HWND window = static_cast<HWND>(button);
    if (!IsCommand(window))
        return nullptr;
    return reinterpret_cast<CommandWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Runs `work` on the button's control, or returns `fallback` when `button` is none.
template <class Result, class Work>
Result With(NativeWindow button, Result fallback, Work work)
{
    CommandWindow* self = Find(button);
    if (!self)
        return fallback;
    return self->Guarded(work);
}

}  // namespace

const char* CommandChangeName(unsigned short code)
{
    switch (code) {
    case kCommandChangedCaption:
        return "Caption";
    case kCommandChangedFont:
        return "Font";
    case kCommandChangedFontColour:
        return "FontColour";
    case kCommandChangedEnabled:
        return "Enabled";
    case kCommandChangedVisible:
        return "Visible";
    default:
        return nullptr;
    }
}

bool RegisterCommandClass()
{
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = CommandProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kCommandClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered;
}

NativeWindow CreateCommand(NativeWindow parent, int id, int x, int y, int width, int height,
                           const PropertyStore* stored, const Font* ambient)
{
    if (!RegisterCommandClass())
        return nullptr;
    CreateParams params{stored, ambient ? *ambient : DesignFont()};
    return CreateWindowExA(0, kCommandClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, x, y,
                           width, height, static_cast<HWND>(parent),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), &params);
}

bool IsCommand(NativeWindow window)
{
    if (!window || !IsWindow(static_cast<HWND>(window)))
        return false;
    char className[64] = {};
    GetClassNameA(static_cast<HWND>(window), className, sizeof className);
    return lstrcmpA(className, kCommandClassName) == 0;
}

void SetCommandDpi(NativeWindow button, int dpi)
{
    With(button, 0, [dpi](CommandWindow& w) {
        w.Rescale(dpi);
        return 0;
    });
}

void InitializeCommand(NativeWindow button)
{
    With(button, 0, [](CommandWindow& w) {
        w.Control().Initialize();
        return 0;
    });
}

void SaveCommandProperties(NativeWindow button, PropertyStore& store)
{
    With(button, 0, [&](CommandWindow& w) {
        w.Control().WriteProperties(store, w.Ambient());
        return 0;
    });
}

std::string CommandCaption(NativeWindow button)
{
    return With(button, std::string(), [](CommandWindow& w) { return w.Control().Caption(); });
}

void SetCommandCaption(NativeWindow button, std::string_view caption)
{
    With(button, 0, [&](CommandWindow& w) {
        w.Control().SetCaption(caption);
        return 0;
    });
}

Font CommandFont(NativeWindow button)
{
    return With(button, Font(), [](CommandWindow& w) { return w.Control().CaptionFont(); });
}

void SetCommandFont(NativeWindow button, const Font& font)
{
    With(button, 0, [&](CommandWindow& w) {
        w.Control().SetFont(font);
        return 0;
    });
}

uint32_t CommandFontColour(NativeWindow button)
{
    return With(button, uint32_t{0}, [](CommandWindow& w) { return w.Control().FontColour(); });
}

void SetCommandFontColour(NativeWindow button, uint32_t colour)
{
    With(button, 0, [&](CommandWindow& w) {
        w.Control().SetFontColour(colour);
        return 0;
    });
}

bool CommandEnabled(NativeWindow button)
{
    return With(button, false, [](CommandWindow& w) { return w.Control().Enabled(); });
}

void SetCommandEnabled(NativeWindow button, bool enabled)
{
    With(button, 0, [&](CommandWindow& w) {
        w.Control().SetEnabled(enabled);
        return 0;
    });
}

bool CommandVisible(NativeWindow button)
{
    return With(button, false, [](CommandWindow& w) { return w.Control().Visible(); });
}

void SetCommandVisible(NativeWindow button, bool visible)
{
    With(button, 0, [&](CommandWindow& w) {
        w.Control().SetVisible(visible);
        return 0;
    });
}

}  // namespace glowmere::button
