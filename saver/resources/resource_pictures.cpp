#include "resource_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "byte_order.h"
#include "display_scale.h"

namespace glowmere::resources {

namespace {

struct Colour {
    double r = 0, g = 0, b = 0;   // 0..255
};

Colour Mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Add(Colour a, Colour b, double amount)
{
    return {a.r + b.r * amount, a.g + b.g * amount, a.b + b.b * amount};
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

// Share of a pixel covered by a shape, from 4 × 4 samples.
double Coverage(int x, int y, const std::function<bool(double, double)>& inside)
{
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
            if (inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0))
                ++hits;
    return hits / 16.0;
}

bool InRoundedRect(double px, double py, double left, double top, double right, double bottom, double radius)
{
    const double cx = std::clamp(px, left + radius, right - radius);
    const double cy = std::clamp(py, top + radius, bottom - radius);
    return std::hypot(px - cx, py - cy) <= radius && px >= left && px <= right && py >= top && py <= bottom;
}

// Distance from a point to the segment a–b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// An .ico or .cur file with one 32 × 32 image: directory, entry, then the image as a DIB
// of double height (colour bits followed by the 1-bit transparency mask, bottom-up).
std::vector<uint8_t> IconFile(bool cursor, uint16_t hotX, uint16_t hotY, uint16_t bitCount,
                              const std::vector<std::array<uint8_t, 3>>& palette,
                              const std::vector<uint8_t>& colourBits, const std::vector<uint8_t>& maskBits)
{
    std::vector<uint8_t> image;
    AppendLe32(image, 40);
    AppendLe32(image, 32);
    AppendLe32(image, 64);
    AppendLe16(image, 1);
    AppendLe16(image, bitCount);
    AppendLe32(image, 0);
    AppendLe32(image, static_cast<uint32_t>(colourBits.size() + maskBits.size()));
    AppendLe32(image, 0);
    AppendLe32(image, 0);
    AppendLe32(image, static_cast<uint32_t>(palette.size()));
    AppendLe32(image, 0);
    for (const auto& c : palette) {
        image.push_back(c[2]);
        image.push_back(c[1]);
        image.push_back(c[0]);
        image.push_back(0);
    }
    image.insert(image.end(), colourBits.begin(), colourBits.end());
    image.insert(image.end(), maskBits.begin(), maskBits.end());

    std::vector<uint8_t> file;
    AppendLe16(file, 0);
    AppendLe16(file, cursor ? 2 : 1);
    AppendLe16(file, 1);
    file.push_back(32);
    file.push_back(32);
    file.push_back(palette.size() >= 256 ? 0 : static_cast<uint8_t>(palette.size()));
    file.push_back(0);
    AppendLe16(file, cursor ? hotX : 1);
    AppendLe16(file, cursor ? hotY : bitCount);
    AppendLe32(file, static_cast<uint32_t>(image.size()));
    AppendLe32(file, 22);
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

// A 1-bit mask row of 32 pixels is exactly 4 bytes; rows are stored bottom-up.
std::vector<uint8_t> MaskBits(const std::function<bool(int, int)>& transparent)
{
    std::vector<uint8_t> bits(32 * 4, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (transparent(x, y))
                bits[(31 - y) * 4 + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    return bits;
}

// 256 colours: the 6 × 6 × 6 cube, 16 greys and 24 night blues for the icon's sky.
std::vector<std::array<uint8_t, 3>> IconPalette()
{
    std::vector<std::array<uint8_t, 3>> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back({static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51)});
    for (int i = 0; i < 16; ++i) {
        const uint8_t v = static_cast<uint8_t>(8 + i * 16);
        palette.push_back({v, v, v});
    }
    for (int i = 0; i < 24; ++i)
        palette.push_back({static_cast<uint8_t>(2 + i * 2), static_cast<uint8_t>(4 + i * 3), static_cast<uint8_t>(20 + i * 8)});
    return palette;
}

uint8_t NearestIndex(const std::vector<std::array<uint8_t, 3>>& palette, Colour c)
{
    int best = 0;
    double bestDistance = 1e18;
    for (size_t i = 0; i < palette.size(); ++i) {
        const double dr = palette[i][0] - c.r, dg = palette[i][1] - c.g, db = palette[i][2] - c.b;
        const double d = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

// The icon: a night-blue tile with a desktop floor in perspective and light spirits.
Colour IconPixel(int x, int y)
{
    const double px = x + 0.5, py = y + 0.5;
    Colour c = Mix({4, 6, 24}, {16, 26, 70}, py / 32.0);

    // The floor: from the horizon at y = 19 to the bottom edge, its tiles converging on
    // the middle of the horizon.
    const double horizon = 19.0;
    if (py > horizon) {
        const double depth = (py - horizon) / (32.0 - horizon);      // 0 far, 1 near
        const double u = (px - 16.0) / (depth * 18.0 + 0.5);         // across, in tiles
        const double v = 6.0 / (py - horizon + 0.6);                 // along, in tiles
        const bool line = std::fabs(u - std::round(u)) < 0.08 + 0.05 * (1 - depth) ||
                          std::fabs(v - std::round(v)) < 0.12;
        const Colour tile = (static_cast<int>(std::floor(u)) + static_cast<int>(std::floor(v))) % 2 == 0
                                ? Colour{40, 95, 180}
                                : Colour{58, 120, 205};
        c = Mix(tile, Colour{150, 190, 240}, line ? 0.55 : 0.0);
        c = Mix(c, Colour{10, 14, 40}, std::clamp(1.0 - depth * 1.6, 0.0, 1.0) * 0.7);
    }

    // Spirits: a large blue-white one and three small coloured ones, added as light.
    struct Spirit {
        double x, y, radius;
        Colour colour;
    };
    const Spirit spirits[] = {
        {15.5, 11.0, 5.5, {200, 220, 255}},
        {7.5, 17.0, 2.6, {255, 210, 40}},
        {24.5, 7.5, 2.4, {70, 255, 70}},
        {25.0, 17.5, 2.2, {255, 60, 40}},
    };
    for (const Spirit& s : spirits) {
        const double r = std::hypot(px - s.x, py - s.y);
        const double glow = (s.radius > 4 ? 1.0 : 1.8) * std::exp(-r / (s.radius * 0.5));
        const double ray = s.radius > 4 ? 0.6 * std::exp(-std::pow(std::min(std::fabs(px - s.x), std::fabs(py - s.y)), 2) / 0.5) *
                                              std::exp(-r / 6.0)
                                        : 0.0;
        c = Add(c, s.colour, glow + ray);
        if (r < 1.0)
            c = Add(c, Colour{255, 255, 255}, s.radius > 4 ? 1.0 : 0.5);
    }
    return c;
}

bool IconOutside(double px, double py) { return !InRoundedRect(px, py, 0.5, 0.5, 31.5, 31.5, 5.0); }

// The texture's design: 20-row bands, each a little lighter at its top and darker at its
// bottom, with faint streaks along the rows. A pixel at `dpi` takes the design's colour
// at its centre: the shading and the streaks are smooth, and each row of the design (the
// light top row, the dark bottom row, the streaks' phase) covers its share of the rows.
Colour PanelPixel(int x, int y, int dpi)
{
    const double toDesign = static_cast<double>(kDesignDpi) / dpi;
    const double designX = (x + 0.5) * toDesign - 0.5;
    const double centreY = (y + 0.5) * toDesign;
    const int row = std::clamp(static_cast<int>(centreY), 0, 19);
    double v = 236.0 - 9.0 * std::clamp(centreY - 0.5, 0.0, 19.0) / 19.0;
    if (row == 0)
        v += 8.0;
    if (row == 19)
        v -= 8.0;
    const uint32_t seed = static_cast<uint32_t>(row) * 2654435761u;
    const double streak =
        std::sin(designX * 0.021 + (seed % 97) * 0.13) + 0.5 * std::sin(designX * 0.067 + (seed % 31) * 0.7);
    v += 2.2 * streak;
    return {v, v - 1.0, v - 5.0};
}

}  // namespace

std::vector<uint8_t> MakeProgramIcon()
{
    const auto palette = IconPalette();
    std::vector<uint8_t> colourBits(32 * 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double inside = 1.0 - Coverage(x, y, IconOutside);
            // Edge pixels blend toward black, so the rounded corners stay smooth on any background.
            const Colour c = Mix(Colour{0, 0, 0}, IconPixel(x, y), inside);
            colourBits[(31 - y) * 32 + x] = NearestIndex(palette, c);
        }
    const auto mask = MaskBits([](int x, int y) { return Coverage(x, y, IconOutside) > 0.5; });
    return IconFile(false, 0, 0, 8, palette, colourBits, mask);
}

Bitmap24 DrawRadioMark(bool selected, int dpi)
{
    const int size = ScaleToDpi(12, dpi);
    const double unit = size / 12.0;   // one pixel of the 12 × 12 design
    const double centre = size / 2.0;
    Bitmap24 picture = Bitmap24::Black(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const auto within = [&](double radius) {
                return [=](double px, double py) { return std::hypot(px - centre, py - centre) <= radius * unit; };
            };
            const double outer = Coverage(x, y, within(5.6));
            const double inner = Coverage(x, y, within(4.4));
            const double dot = selected ? Coverage(x, y, within(2.5)) : 0.0;
            // A white well with a shade toward its lower right, in a dark blue ring, on the
            // panel's colour.
            const double shade = std::clamp(((x + 0.5 - centre) + (y + 0.5 - centre)) / (10.0 * unit), 0.0, 1.0);
            Colour c = PanelPixel(x, y, dpi);
            c = Mix(c, Colour{60, 90, 138}, outer);
            c = Mix(c, Mix(Colour{255, 255, 255}, Colour{214, 218, 226}, shade), inner);
            c = Mix(c, Colour{30, 80, 160}, dot);
            picture.SetPixel(x, y, Byte(c.r), Byte(c.g), Byte(c.b));
        }
    return picture;
}

Bitmap24 DrawPanelTexture(int dpi)
{
    Bitmap24 picture = Bitmap24::Black(ScaleToDpi(556, dpi), ScaleToDpi(20, dpi));
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const Colour c = PanelPixel(x, y, dpi);
            picture.SetPixel(x, y, Byte(c.r), Byte(c.g), Byte(c.b));
        }
    return picture;
}

std::vector<uint8_t> MakeLinkCursor()
{
    // A pointing hand: the index finger up, three folded fingers, the palm and the thumb,
    // each a rounded shape; the tip of the index finger is the hot spot.
    struct Capsule {
        double ax, ay, bx, by, radius;
    };
    const Capsule fingers[] = {
        {13.5, 3.0, 13.5, 15.0, 2.2},    // index
        {17.6, 11.0, 17.6, 16.0, 2.0},   // middle
        {21.4, 12.0, 21.4, 16.5, 1.9},   // ring
        {24.8, 13.5, 24.8, 17.5, 1.7},   // little
        {8.0, 15.5, 11.5, 21.0, 2.0},    // thumb
    };
    const auto regionAt = [&](int x, int y) {
        const double px = x + 0.5, py = y + 0.5;
        for (int i = 0; i < 5; ++i) {
            const Capsule& f = fingers[i];
            if (SegmentDistance(px, py, f.ax, f.ay, f.bx, f.by) <= f.radius)
                return 2 + i;
        }
        if (InRoundedRect(px, py, 11.3, 14.0, 26.6, 27.0, 3.5) || InRoundedRect(px, py, 13.0, 24.0, 24.8, 30.5, 1.0))
            return 1;   // palm and wrist
        return 0;
    };
    int region[32][32];
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            region[y][x] = regionAt(x, y);
    const auto at = [&](int x, int y) { return x < 0 || y < 0 || x >= 32 || y >= 32 ? 0 : region[y][x]; };

    // White inside, black where the hand meets the outside or one finger meets another.
    std::vector<uint8_t> colourBits(32 * 4, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int here = at(x, y);
            if (here == 0)
                continue;
            bool edge = false;
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int there = at(x + dx, y + dy);
                if (there == 0 || (here >= 2 && there >= 2 && there != here && dx > 0))
                    edge = true;
            }
            if (!edge)
                colourBits[(31 - y) * 4 + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    const auto mask = MaskBits([&](int x, int y) { return at(x, y) == 0; });
    return IconFile(true, 13, 1, 1, {{0, 0, 0}, {255, 255, 255}}, colourBits, mask);
}

std::vector<ResourceFile> AllGeneratedResources()
{
    return {
        {"glowmere.ico", MakeProgramIcon()},
        {"radio_off.bmp", EncodeBmp24(DrawRadioMark(false, kDesignDpi))},
        {"radio_on.bmp", EncodeBmp24(DrawRadioMark(true, kDesignDpi))},
        {"panel.bmp", EncodeBmp24(DrawPanelTexture(kDesignDpi))},
        {"link.cur", MakeLinkCursor()},
    };
}

}  // namespace glowmere::resources
