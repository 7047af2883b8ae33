#include "command.h"

#include <cmath>

namespace glowmere::button {

namespace {

// The face's two colours, as the literal texts they are read from.
constexpr char kWhiteText[] = "&HFFFFFF";
constexpr char kFaceText[] = "&HC6C5D7";

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

const char* Name(StateBitmap bitmap)
{
    switch (bitmap) {
    case StateBitmap::HighLight:
        return "HighLight";
    case StateBitmap::Pressed:
        return "Pressed";
    case StateBitmap::Normal:
        return "Normal";
    case StateBitmap::Disable:
        return "Disable";
    case StateBitmap::HighLightSelect:
        return "HighLightSelect";
    case StateBitmap::Selected:
        return "Selected";
    }
    return "?";
}

// ---------------------------------------------------------------------------------------
// Geometry

int TwipsToPixels(double twips, int dpi)
{
    // One multiplication and one division: a half pixel stays an exact half.
    return static_cast<int>(std::lround(twips * dpi / (kTwipsPerPixel * kDesignDpi)));
}

PixelRect ToPixels(const TwipRect& twips, int dpi)
{
    return {TwipsToPixels(twips.x, dpi), TwipsToPixels(twips.y, dpi), TwipsToPixels(twips.width, dpi),
            TwipsToPixels(twips.height, dpi)};
}

int32_t PixelsToTwips(int pixels, int dpi)
{
    return static_cast<int32_t>(std::lround(static_cast<double>(pixels) * kTwipsPerPixel * kDesignDpi / dpi));
}

std::array<FrameCopy, 8> FrameCopies(int32_t width, int32_t height)
{
    // Twips throughout; the bitmap counts as 960 x 375. Its 4-pixel bands are 60 twips,
    // the middle of its top and bottom bands 840 (56 px), of its sides 255 (17 px).
    // The sizes are worked out in 32 bits, so a button wider or higher than 2192 pixels
    // (32767 + 120 twips) still gets a whole frame.
    const int32_t stretchedWidth = width - 120;
    const int32_t stretchedHeight = height - 120;
    const int32_t right = width - 60;
    const int32_t bottom = height - 60;
    return {{
        {{0, 0, 60, 60}, {1, 1, 60, 60}},                                  // top-left corner
        {{60, 1, 840, 60}, {60, 1, stretchedWidth, 60}},                   // top edge
        {{900, 1, 60, 60}, {right, 1, 60, 60}},                            // top-right corner
        {{900, 60, 60, 255}, {right, 60, 60, stretchedHeight}},            // right edge
        {{900, 315, 60, 60}, {right, bottom, 60, 60}},                     // bottom-right corner
        {{60, 315, 840, 60}, {60, bottom, stretchedWidth, 60}},            // bottom edge
        {{0, 315, 60, 60}, {1, bottom, 60, 60}},                           // bottom-left corner
        {{1, 60, 60, 255}, {1, 60, 60, stretchedHeight}},                  // left edge
    }};
}

std::optional<FaceColour> ParseFaceColour(std::string_view text)
{
    if (text.size() != 8 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h'))
        return std::nullopt;
    uint16_t channels[3];
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigit(text[2 + 2 * i]);
        const int low = HexDigit(text[3 + 2 * i]);
        if (high < 0 || low < 0)
            return std::nullopt;
        // The two digits followed by "00".
        channels[i] = static_cast<uint16_t>((high * 16 + low) << 8);
    }
    return FaceColour{channels[0], channels[1], channels[2], 0};
}

FaceGradient FillFace(int32_t widthPixels, int32_t heightPixels, bool hotFace)
{
    const FaceColour white = *ParseFaceColour(kWhiteText);
    const FaceColour face = *ParseFaceColour(kFaceText);
    FaceGradient gradient;
    gradient.vertices[0] = {0, 0, hotFace ? face : white};
    gradient.vertices[1] = {widthPixels - 1, heightPixels - 1, hotFace ? white : face};
    gradient.mesh = GradientMesh{1, 0};
    return gradient;
}

double CaptionTop(int32_t height) { return (height - kCaptionHeightTwips - 20) / 2.0; }

DrawPlan PlanDrawing(StateBitmap bitmap, bool hotFace, int32_t width, int32_t height, int dpi)
{
    DrawPlan plan;
    plan.dpi = dpi;
    plan.bitmap = bitmap;
    plan.hotFace = hotFace;
    plan.face = FillFace(TwipsToPixels(width, dpi), TwipsToPixels(height, dpi), hotFace);
    plan.frame = FrameCopies(width, height);
    plan.caption = CaptionPlacement{CaptionTop(height), 0, width, kCaptionHeightTwips};
    return plan;
}

// ---------------------------------------------------------------------------------------
// The control

Command::Command(CommandSurface& surface, int32_t width, int32_t height)
    : surface_(surface), width_(width), height_(height)
{
}

void Command::ReadProperties(const PropertyStore& store, const Font& ambient)
{
    ReadProperty(store, "Enabled", true, enabled_);
    ReadProperty(store, "Caption", std::string("Command1"), caption_.text);
    ReadProperty(store, "Font", ambient, caption_.font);
    ReadProperty(store, "FirstRun", uint8_t{1}, firstRun_);
    ReadProperty(store, "FontColour", uint32_t{0}, caption_.colour);
    // The background style takes 1 (opaque) or 0 (transparent); any other stored
    // number is refused and the style stays as it was.
    int16_t backStyle = opaque_ ? 1 : 0;
    ReadProperty(store, "Visible", int16_t{1}, backStyle);
    if (backStyle == 0 || backStyle == 1)
        opaque_ = backStyle == 1;
    surface_.Repaint();
    ResetLook();
}

void Command::WriteProperties(PropertyStore& store, const Font& ambient)
{
    WriteProperty(store, "Enabled", enabled_, true);
    WriteProperty(store, "Caption", caption_.text, std::string("Command"));
    WriteProperty(store, "FirstRun", firstRun_, uint8_t{1});
    WriteProperty(store, "Font", caption_.font, ambient);
    WriteProperty(store, "FontColour", caption_.colour, uint32_t{0});
    WriteProperty(store, "Visible", static_cast<int16_t>(opaque_ ? 1 : 0), int16_t{1});
    ResetLook();
}

void Command::Initialize()
{
    buttonState_ = ButtonState::Normal;
    polling_ = true;
    surface_.StartPoll(kPollMilliseconds);
}

void Command::Resize(int32_t width, int32_t height)
{
    width_ = width;
    height_ = height;
    ApplyEnabled();
}

void Command::MouseDown(int16_t button)
{
    if (!enabled_)
        return;
    if (button == kLeftButton) {
        leftPressed_ = true;
        DrawButton(StateBitmap::Pressed);
    }
}

void Command::MouseMove(int16_t /*buttons*/, bool overButton)
{
    // While a press holds the capture, moves off the button arrive here too; they are
    // not "over the button", and leaving is the hover poll's business.
    if (!enabled_ || !overButton)
        return;
    if (buttonState_ == ButtonState::Normal) {
        buttonState_ = ButtonState::HighLight;
        DrawButton(StateBitmap::HighLight);
    } else if (buttonState_ == ButtonState::Selected && !leftPressed_) {
        buttonState_ = ButtonState::HighLightSelect;
        DrawButton(StateBitmap::HighLightSelect);
    }
}

void Command::MouseUp(int16_t button, bool overButton)
{
    if (!enabled_)
        return;
    if (button == kLeftButton) {
        leftPressed_ = false;
        if (buttonState_ == ButtonState::HighLight)
            DrawButton(StateBitmap::Normal);
        else if (buttonState_ == ButtonState::HighLightSelect)
            DrawButton(StateBitmap::HighLightSelect);
    }
    // Any button's release over the button clicks it, unless it is focused and the
    // cursor has been found off it since (state 3). A release off the button (the press
    // captured the mouse) is a cancelled press: no Click, whichever the poll saw last.
    if (buttonState_ != ButtonState::Selected && overButton)
        surface_.RaiseClick();
}

void Command::GotFocus()
{
    if (!enabled_)
        return;
    if (buttonState_ == ButtonState::HighLight) {
        buttonState_ = ButtonState::HighLightSelect;
        DrawButton(StateBitmap::Pressed);
    } else {
        buttonState_ = ButtonState::Selected;
        DrawButton(StateBitmap::Selected);
    }
}

void Command::LostFocus()
{
    if (!enabled_)
        return;
    if (buttonState_ != ButtonState::Normal) {
        buttonState_ = ButtonState::Normal;
        DrawButton(StateBitmap::Normal);
    }
}

void Command::PollTick(CursorOver where)
{
    if (!enabled_)
        return;
    // Over the parent form, or over any window that is neither the button nor the form:
    // the hover has ended. The caption has no window of its own, so it is the button.
    if (where != CursorOver::Button)
        EndHover();
}

// Properties and their side effects:
//
//   property    read                                         write
//   ----------  -------------------------------------------  ---------------------------------------------
//   Caption     caption text                                 text; report "Caption"
//   Font        caption font                                 font; report "Font"
//   FontColour  caption colour, then ResetLook               colour, ResetLook; report "FontColour"
//   Enabled     FirstRun 0: ResetLook, FirstRun 1, Enabled   value; report "Enabled"; ApplyEnabled
//               True. Then the value, and ApplyEnabled
//   Visible     opaque: True and ResetLook; else False       True: opaque, ResetLook. False: transparent,
//                                                            no redraw. Either way report "Visible"

void Command::SetCaption(std::string_view newCaption)
{
    caption_.text = std::string(newCaption);
    surface_.Repaint();
    surface_.ReportChange("Caption");
}

void Command::SetFont(const Font& newFont)
{
    caption_.font = newFont;
    surface_.Repaint();
    surface_.ReportChange("Font");
}

uint32_t Command::FontColour()
{
    const uint32_t colour = caption_.colour;
    ResetLook();
    return colour;
}

void Command::SetFontColour(uint32_t newFontColour)
{
    caption_.colour = newFontColour;
    surface_.Repaint();
    ResetLook();
    surface_.ReportChange("FontColour");
}

bool Command::Enabled()
{
    // A button created without stored properties is set up by its first read.
    if (firstRun_ == 0) {
        ResetLook();
        firstRun_ = 1;
        enabled_ = true;
    }
    const bool value = enabled_;
    ApplyEnabled();
    return value;
}

void Command::SetEnabled(bool newEnabled)
{
    enabled_ = newEnabled;
    surface_.ReportChange("Enabled");
    ApplyEnabled();
}

bool Command::Visible()
{
    if (!opaque_)
        return false;
    ResetLook();
    return true;
}

void Command::SetVisible(bool newVisible)
{
    opaque_ = newVisible;
    surface_.Repaint();
    if (newVisible)
        ResetLook();
    surface_.ReportChange("Visible");
}

// ---------------------------------------------------------------------------------------
// Internal operations

void Command::DrawButton(StateBitmap bitmap)
{
    // HighLightSelect keeps the face it had: hot when it came from a hover, plain from the
    // keyboard.
    switch (buttonState_) {
    case ButtonState::Normal:
        hotFace_ = false;
        break;
    case ButtonState::HighLight:
        hotFace_ = true;
        break;
    case ButtonState::Selected:
        hotFace_ = false;
        break;
    case ButtonState::Uninitialized:
    case ButtonState::HighLightSelect:
        break;
    }
    surface_.Draw(PlanDrawing(bitmap, hotFace_, width_, height_, dpi_));
}

void Command::EndHover()
{
    if (!enabled_)
        return;
    if (buttonState_ == ButtonState::HighLight) {
        buttonState_ = ButtonState::Normal;
        DrawButton(StateBitmap::Normal);
    } else if (buttonState_ == ButtonState::HighLightSelect) {
        buttonState_ = ButtonState::Selected;
        DrawButton(StateBitmap::Selected);
    }
}

void Command::ApplyEnabled()
{
    DrawButton(enabled_ ? StateBitmap::Normal : StateBitmap::Disable);
    if (caption_.enabled != enabled_) {
        caption_.enabled = enabled_;   // a disabled caption shows the platform's greyed text
        surface_.Repaint();
    }
}

void Command::ResetLook()
{
    if (!enabled_)
        return;
    bool changed = !caption_.enabled;
    caption_.enabled = true;
    if (firstRun_ == 0) {
        changed = changed || caption_.colour != 0;
        caption_.colour = 0;
    }
    if (changed)
        surface_.Repaint();
    DrawButton(StateBitmap::Normal);
}

}  // namespace glowmere::button
