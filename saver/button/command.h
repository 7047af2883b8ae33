#pragma once
// Command, the saver shell's own push button, without the platform: its state, the rules
// that turn mouse, focus and hover-poll events into looks and Click events, its
// properties with their side effects, and the geometry of one drawing. The control says
// what to draw as a DrawPlan and hands it to a CommandSurface; command_win32.cpp
// executes the plan with GDI.
//
// Units: the control measures in twips, 1440 to an inch: 15 to a pixel on the 96-dpi
// screen all its constants assume, 1440 / dpi on a scaled display, so that its whole
// geometry (frame, state bitmaps, caption) scales with one rule. The face gradient is set
// up in pixels.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "display_scale.h"
#include "properties.h"

namespace glowmere::button {

// ---------------------------------------------------------------------------------------
// What one drawing is made of

// The six frame sources, 64 x 25 at 96 dpi (state_bitmaps.h draws them).
enum class StateBitmap : uint8_t { HighLight, Pressed, Normal, Disable, HighLightSelect, Selected };
constexpr int kStateBitmapCount = 6;
const char* Name(StateBitmap bitmap);

constexpr int32_t kTwipsPerPixel = 15;
constexpr int32_t kBitmapWidthTwips = 960;    // 64 pixels
constexpr int32_t kBitmapHeightTwips = 375;   // 25 pixels

struct TwipRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const TwipRect& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};

// Twips to whole pixels at `dpi`, to the nearest pixel, halves away from zero (the rule
// of ScaleToDpi): a 1-twip offset falls on pixel 0.
int TwipsToPixels(double twips, int dpi = kDesignDpi);
PixelRect ToPixels(const TwipRect& twips, int dpi = kDesignDpi);
// Pixels at `dpi` to whole twips.
int32_t PixelsToTwips(int pixels, int dpi);

// One opaque, stretching copy of a piece of the state bitmap onto the surface.
struct FrameCopy {
    TwipRect source;
    TwipRect destination;
    // A piece with no area is not copied: a button narrower or lower than 8 pixels has
    // stretched sides of zero or negative size, and those are left out.
    bool Drawn() const { return destination.width > 0 && destination.height > 0; }
};

// The eight frame pieces for a button of width x height twips, in copy order: top-left
// corner, top edge, top-right corner, right edge, bottom-right corner, bottom edge,
// bottom-left corner, left edge. The bitmap's 4-pixel bands go around the edges; its
// centre is never copied, so the inside shows the face gradient.
std::array<FrameCopy, 8> FrameCopies(int32_t width, int32_t height);

// A gradient vertex colour: each channel is the colour byte times 256; alpha 0.
struct FaceColour {
    uint16_t red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const FaceColour& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
};

// Reads "&HRRGGBB" left to right as red, green and blue (not as a platform colour
// value, whose byte order is the other way round); each channel gets "00" appended.
std::optional<FaceColour> ParseFaceColour(std::string_view text);

struct GradientVertex {
    int32_t x = 0, y = 0;   // pixels
    FaceColour colour;
};

// Indices into the two vertices. Upper-left is 1 and lower-right 0: the vertical fill
// spans the two vertices and gives its top edge the colour of the upper vertex, 0.
struct GradientMesh {
    uint32_t upperLeft = 1;
    uint32_t lowerRight = 0;
};

struct FaceGradient {
    std::array<GradientVertex, 2> vertices;
    GradientMesh mesh;
};

// The face from (0, 0) to (width - 1, height - 1) pixels: white at the top to
// (0xC6, 0xC5, 0xD7) at the bottom, or the other way round for the hot face. The last
// column and row are left to the frame.
FaceGradient FillFace(int32_t widthPixels, int32_t heightPixels, bool hotFace);

// The caption label: 195 twips (13 px) high, as wide as the button, its text centred.
constexpr int32_t kCaptionHeightTwips = 195;

struct CaptionPlacement {
    double top = 0;    // twips; 10 twips above the vertical middle
    int32_t left = 0;
    int32_t width = 0;
    int32_t height = kCaptionHeightTwips;
};

// (height - caption height - 20) / 2: 80 twips for a 375-twip button.
double CaptionTop(int32_t height);

// Everything one DrawButton paints, in order: clear to the background colour, the face
// gradient, the eight frame copies from `bitmap` (drawn for `dpi`), refresh; then the
// caption's place. Its twips become pixels at `dpi`.
struct DrawPlan {
    int dpi = kDesignDpi;
    StateBitmap bitmap = StateBitmap::Normal;
    bool hotFace = false;
    FaceGradient face;
    std::array<FrameCopy, 8> frame;
    CaptionPlacement caption;
};

DrawPlan PlanDrawing(StateBitmap bitmap, bool hotFace, int32_t width, int32_t height, int dpi = kDesignDpi);

// ---------------------------------------------------------------------------------------
// The control

// Where a button stands between the mouse and the focus; the tables below use the numbers.
enum class ButtonState : uint8_t {
    Uninitialized = 0,     // until the host calls Initialize
    Normal = 1,
    HighLight = 2,         // hovered, not focused
    Selected = 3,          // focused, not hovered
    HighLightSelect = 4,   // focused and hovered
};

// Mouse buttons as the mouse events carry them.
constexpr int16_t kLeftButton = 1;
constexpr int16_t kRightButton = 2;
constexpr int16_t kMiddleButton = 4;

// Where the hover poll found the cursor.
enum class CursorOver { Button, ParentForm, Elsewhere };

constexpr unsigned kPollMilliseconds = 100;

// The caption as the surface paints it over what DrawButton drew.
struct CaptionLook {
    std::string text = "Command";   // UTF-8
    Font font = DesignFont();
    uint32_t colour = 0;            // 0x00BBGGRR, or 0x800000nn for system colour nn
    bool enabled = true;            // false: the platform's greyed text
};

// What the control needs from its platform and its host.
class CommandSurface {
public:
    virtual ~CommandSurface() = default;
    // Execute one DrawButton and keep the result: later repaints come from it.
    virtual void Draw(const DrawPlan& plan) = 0;
    // The caption or the background style changed: repaint from what was kept.
    virtual void Repaint() = 0;
    // Start the hover poll, ticking for the life of the button.
    virtual void StartPoll(unsigned milliseconds) = 0;
    // The control's one event.
    virtual void RaiseClick() = 0;
    // A property the host stores changed ("Caption", "Font", "FontColour", "Enabled",
    // "Visible").
    virtual void ReportChange(std::string_view property) = 0;
};

// State and looks. ButtonState: 1 Normal, 2 HighLight (hovered, not focused),
// 3 Selected (focused, not hovered), 4 HighLightSelect (focused and hovered); it is 0
// until the host calls Initialize. Every row applies only while Enabled is True; a
// disabled button ignores the mouse, the focus and the poll, but Resize and writes of
// Enabled still run ApplyEnabled.
//
//   trigger                       condition                    ButtonState  drawn / raised
//   ----------------------------  ---------------------------  -----------  -------------------------
//   mouse moves over the button   1                            2            HighLight
//   mouse moves over the button   3 and LeftPressed False      4            HighLightSelect
//   mouse moves over the button   any other case               unchanged    nothing
//   mouse moves off the button    (captured while held)        unchanged    nothing
//   left press                    -                            unchanged    Pressed; LeftPressed True
//   right or middle press         -                            unchanged    nothing
//   left release                  -                            unchanged    2: Normal, 4: HighLightSelect,
//                                                                           others nothing; LeftPressed False
//   any release over the button   after the row above; not 3   unchanged    Click
//   any release off the button    after the left-release row   unchanged    no Click
//   focus gained                  2                            4            Pressed
//   focus gained                  any other                    3            Selected
//   focus lost                    not 1                        1            Normal
//   poll: cursor off the button   2                            1            Normal     (EndHover)
//   poll: cursor off the button   4                            3            Selected   (EndHover)
//   resize, Enabled written       any                          unchanged    Normal or Disable (ApplyEnabled)
//
// DrawButton first sets HotFace from ButtonState (1 False, 2 True, 3 False, others keep
// it), so a button that reached 4 through a click keeps the hot face and one that
// reached 4 from the keyboard keeps the plain face. No key raises Click.
//
// A click on an unfocused button, event by event:
//
//   event        mouse in     left press   focus (press)  left release
//   ButtonState  1 -> 2       2            2 -> 4         4
//   drawn        HighLight    Pressed      Pressed        HighLightSelect
//   raised       -            -            -              Click
//
// Keyboard focus, then the mouse in and out:
//
//   event        focus        mouse in        poll, cursor off
//   ButtonState  1 -> 3       3 -> 4          4 -> 3
//   drawn        Selected     HighLightSelect Selected
//
// A drag out and back while held raises nothing:
//
//   event        (state 4)    poll, off    mouse back in           release
//   ButtonState  4            4 -> 3       3 (LeftPressed blocks)  3
//   drawn        Pressed      Selected     nothing                 nothing, no Click
class Command {
public:
    // A button as created, before its properties are read: 1755 x 420 twips, Enabled
    // False, FirstRun 0, caption "Command".
    static constexpr int32_t kCreatedWidth = 1755;
    static constexpr int32_t kCreatedHeight = 420;

    explicit Command(CommandSurface& surface, int32_t width = kCreatedWidth, int32_t height = kCreatedHeight);

    // Stored properties (load order "Enabled", "Caption", "Font", "FirstRun",
    // "FontColour", "Visible"; save order "Enabled", "Caption", "FirstRun", "Font",
    // "FontColour", "Visible"); both end with ResetLook. `ambient` is the host's font,
    // the default of "Font".
    void ReadProperties(const PropertyStore& store, const Font& ambient);
    void WriteProperties(PropertyStore& store, const Font& ambient);

    // The host's one call after creating the button: state 1 and the 100 ms hover poll.
    void Initialize();

    // The dpi of the display the button is on (96 until the host says otherwise); its
    // next drawing follows it. The host resizes the button to go with it.
    void SetDpi(int dpi) { dpi_ = dpi; }
    int Dpi() const { return dpi_; }

    // Events.
    void Resize(int32_t width, int32_t height);
    void MouseDown(int16_t button);
    void MouseMove(int16_t buttons, bool overButton);
    void MouseUp(int16_t button, bool overButton);
    void GotFocus();
    void LostFocus();
    void PollTick(CursorOver where);   // TmrMouse's tick

    // Properties. Reads of Enabled, FontColour and Visible redraw (see the table in
    // command.cpp); no read or write changes ButtonState.
    const std::string& Caption() const { return caption_.text; }
    void SetCaption(std::string_view newCaption);
    const Font& CaptionFont() const { return caption_.font; }
    void SetFont(const Font& newFont);
    uint32_t FontColour();
    void SetFontColour(uint32_t newFontColour);
    bool Enabled();
    void SetEnabled(bool newEnabled);
    bool Visible();
    void SetVisible(bool newVisible);

    // State as it is, without side effects: for the surface's painting and for tests.
    ButtonState State() const { return buttonState_; }
    bool EnabledValue() const { return enabled_; }
    uint8_t FirstRun() const { return firstRun_; }
    bool LeftPressed() const { return leftPressed_; }
    bool Opaque() const { return opaque_; }
    bool Polling() const { return polling_; }
    const CaptionLook& Look() const { return caption_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

private:
    void DrawButton(StateBitmap bitmap);
    void EndHover();
    void ApplyEnabled();
    void ResetLook();

    CommandSurface& surface_;
    int32_t width_;
    int32_t height_;
    int dpi_ = kDesignDpi;
    ButtonState buttonState_ = ButtonState::Uninitialized;
    bool enabled_ = false;
    uint8_t firstRun_ = 0;
    bool hotFace_ = false;
    bool leftPressed_ = false;
    bool opaque_ = true;
    bool polling_ = false;
    CaptionLook caption_;
};

}  // namespace glowmere::button
