// SPDX-License-Identifier: GPL-3.0-or-later

#include "images.h"

#include "primitives.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace corvessa::skin {

namespace {

// A colour stop of a vertical gradient: the row and the exact colour on that row. Rows between two stops are
// interpolated linearly; the stops themselves are kept exactly.
struct Stop {
    int row;
    QRgb colour;
};

QRgb mix(QRgb a, QRgb b, double t) {
    auto ch = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(ch(qRed(a), qRed(b)), ch(qGreen(a), qGreen(b)), ch(qBlue(a), qBlue(b)));
}

template <size_t N> QRgb gradientAt(const std::array<Stop, N>& stops, int row) {
    if (row <= stops.front().row) {
        return stops.front().colour;
    }
    for (size_t i = 1; i < N; ++i) {
        if (row <= stops[i].row) {
            const Stop& a = stops[i - 1];
            const Stop& b = stops[i];
            return mix(a.colour, b.colour, double(row - a.row) / double(b.row - a.row));
        }
    }
    return stops.back().colour;
}

QImage blankImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colors::KeyMagenta);
    return image;
}

// ---- ButtonStrip
// ---------------------------------------------------------------------------------------------

struct ButtonFaceData {
    QRgb outline;
    QRgb corner;                // outermost corner pixel, where the rounded corner fades into the background
    std::array<Stop, 4> centre; // column 3, rows 1 to 19
};

constexpr std::array<ButtonFaceData, 4> kButtonFaces{{
    {qRgb(27, 143, 213),
     qRgb(191, 225, 249),
     {{{1, qRgb(255, 255, 255)},
       {3, qRgb(241, 248, 252)},
       {17, qRgb(177, 208, 234)},
       {19, qRgb(204, 224, 241)}}}},
    {qRgb(27, 143, 213),
     qRgb(191, 225, 249),
     {{{1, qRgb(76, 195, 251)},
       {3, qRgb(210, 238, 252)},
       {17, qRgb(167, 212, 242)},
       {19, qRgb(63, 187, 248)}}}},
    {qRgb(27, 143, 213),
     qRgb(191, 225, 249),
     {{{1, qRgb(57, 188, 251)},
       {3, qRgb(159, 212, 243)},
       {17, qRgb(195, 234, 253)},
       {19, qRgb(64, 193, 253)}}}},
    {qRgb(135, 195, 232),
     qRgb(242, 247, 251),
     {{{1, qRgb(248, 251, 253)},
       {3, qRgb(242, 247, 251)},
       {17, qRgb(210, 227, 243)},
       {19, qRgb(223, 235, 246)}}}},
}};

// How much darker each interior column is than column 3, in percent: a slight roll-off towards the sides,
// one step more on the right so the face looks lit from the left.
constexpr std::array<int, 7> kButtonColumnShade{0, 4, 1, 0, 1, 5, 0};

void drawButtonFace(QImage& image, int top, const ButtonFaceData& face) {
    const int w = tiles::ButtonFaceWidth;
    const int h = tiles::ButtonFaceHeight;
    for (int y = 1; y < h - 1; ++y) {
        const QRgb centre = gradientAt(face.centre, y);
        for (int x = 1; x < w - 1; ++x) {
            image.setPixel(x, top + y, mix(centre, qRgb(0, 0, 0), kButtonColumnShade[x] / 100.0));
        }
    }
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, top, face.outline);
        image.setPixel(x, top + h - 1, face.outline);
    }
    for (int y = 0; y < h; ++y) {
        image.setPixel(0, top + y, face.outline);
        image.setPixel(w - 1, top + y, face.outline);
    }
    // Soften each corner over 3 x 3 pixels: the corner pixel takes the corner colour, its two neighbours on
    // the outline sit halfway between, and the pixel diagonally inside leans towards the outline.
    const std::array<std::pair<int, int>, 4> corners{{{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}};
    for (auto [cx, cy] : corners) {
        const int sx = cx == 0 ? 1 : -1;
        const int sy = cy == 0 ? 1 : -1;
        const QRgb inner = image.pixel(cx + sx, top + cy + sy);
        image.setPixel(cx, top + cy, face.corner);
        image.setPixel(cx + sx, top + cy, mix(face.outline, face.corner, 0.5));
        image.setPixel(cx, top + cy + sy, mix(face.outline, face.corner, 0.5));
        image.setPixel(cx + sx, top + cy + sy, mix(inner, face.outline, 0.35));
    }
}

QImage buildButtonStrip() {
    QImage image = blankImage(tiles::ButtonStripSize);
    for (int state = 0; state < 4; ++state) {
        drawButtonFace(image, tiles::ButtonFaceHeight * state, kButtonFaces[static_cast<size_t>(state)]);
    }
    return image;
}

// ---- ComboStrip
// ----------------------------------------------------------------------------------------------

constexpr QRgb kComboBorder = qRgb(78, 160, 209);
constexpr std::array<Stop, 2> kComboOuter{{{0, qRgb(232, 249, 255)}, {17, qRgb(192, 225, 243)}}};
constexpr std::array<Stop, 2> kComboMiddle{{{1, qRgb(193, 238, 253)}, {16, qRgb(101, 184, 227)}}};
constexpr QRgb kArrowEnabled = qRgb(25, 85, 95);
constexpr QRgb kArrowDisabled = qRgb(132, 165, 172);

void drawComboFace(QImage& image, int left, bool pressed) {
    const int h = tiles::ComboStripSize.height();
    for (int y = 0; y < h; ++y) {
        const int row = pressed ? h - 1 - y : y; // the pressed face is the hover face upside down
        image.setPixel(left, y, kComboBorder);
        image.setPixel(left + 1, y, gradientAt(kComboOuter, row));
        image.setPixel(left + 2, y, gradientAt(kComboMiddle, row));
        image.setPixel(left + 3, y, gradientAt(kComboOuter, row));
    }
}

void drawArrow(QImage& image, QRect tile, QRgb colour) {
    for (int row = 0; row < tile.height(); ++row) {
        for (int x = row; x < tile.width() - row; ++x) { // widths 7, 5, 3, 1
            image.setPixel(tile.x() + x, tile.y() + row, colour);
        }
    }
}

QImage buildComboStrip() {
    QImage image = blankImage(tiles::ComboStripSize);
    drawComboFace(image, tiles::ComboHoverFace.x(), false);
    drawComboFace(image, tiles::ComboPressedFace.x(), true);
    drawArrow(image, tiles::ComboArrowEnabled, kArrowEnabled);
    drawArrow(image, tiles::ComboArrowDisabled, kArrowDisabled);
    return image;
}

// ---- MarkSheet
// -----------------------------------------------------------------------------------------------

// The tick, 9 x 8: a short stroke down from the left over rows 3 to 7 and a long one up to the top-right
// corner.
constexpr std::array<const char*, 8> kTick{{
    ".......##",
    "......###",
    ".....###.",
    "#...###..",
    "##.###...",
    "#####....",
    ".###.....",
    "..#......",
}};

// The option dot, 5 x 5: 'c' is the centre colour, 'r' the lighter rim.
constexpr std::array<const char*, 5> kDot{{
    ".rrr.",
    "rcccr",
    "rcccr",
    "rcccr",
    ".rrr.",
}};

struct MarkColours {
    std::array<Stop, 2> tick;
    std::array<Stop, 2> square;
    QRgb dotCentre;
    QRgb dotRim;
};

constexpr MarkColours kMarksEnabled{{{{0, qRgb(84, 183, 29)}, {7, qRgb(53, 145, 2)}}},
                                    {{{0, qRgb(81, 180, 27)}, {6, qRgb(57, 150, 6)}}},
                                    qRgb(79, 177, 25),
                                    qRgb(139, 206, 101)};
constexpr MarkColours kMarksDisabled{{{{0, qRgb(168, 218, 140)}, {7, qRgb(152, 199, 126)}}},
                                     {{{0, qRgb(166, 217, 139)}, {6, qRgb(154, 201, 128)}}},
                                     qRgb(160, 210, 134),
                                     qRgb(196, 228, 178)};

void drawMarks(QImage& image, QRect tick, QRect square, QRect dot, const MarkColours& c) {
    for (int y = 0; y < tick.height(); ++y) {
        for (int x = 0; x < tick.width(); ++x) {
            if (kTick[static_cast<size_t>(y)][x] == '#') {
                image.setPixel(tick.x() + x, tick.y() + y, gradientAt(c.tick, y));
            }
        }
    }
    for (int y = 0; y < square.height(); ++y) {
        for (int x = 0; x < square.width(); ++x) {
            image.setPixel(square.x() + x, square.y() + y, gradientAt(c.square, y));
        }
    }
    for (int y = 0; y < dot.height(); ++y) {
        for (int x = 0; x < dot.width(); ++x) {
            const char k = kDot[static_cast<size_t>(y)][x];
            if (k != '.') {
                image.setPixel(dot.x() + x, dot.y() + y, k == 'c' ? c.dotCentre : c.dotRim);
            }
        }
    }
}

QImage buildMarkSheet() {
    QImage image = blankImage(tiles::MarkSheetSize);
    drawMarks(image, tiles::CheckMarkEnabled, tiles::GreySquareEnabled, tiles::OptionDotEnabled,
              kMarksEnabled);
    drawMarks(image, tiles::CheckMarkDisabled, tiles::GreySquareDisabled, tiles::OptionDotDisabled,
              kMarksDisabled);
    return image;
}

// ---- BoxSheet
// ------------------------------------------------------------------------------------------------

struct DiscData {
    QRgb insideTopLeft;
    QRgb insideBottomRight;
    QRgb ring; // the darkest ring colour
};

constexpr std::array<DiscData, 4> kDiscs{{
    {qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(131, 166, 210)},
    {qRgb(195, 234, 248), qRgb(225, 245, 253), qRgb(131, 166, 210)},
    {qRgb(173, 225, 245), qRgb(213, 241, 253), qRgb(100, 137, 193)},
    {qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(193, 210, 232)},
}};

// Radii (from the centre of the 13 x 13 face, in pixels) of the ring: solid between kRingInner and
// kRingOuter, half-blended just inside and just outside, key magenta beyond kDiscEdge.
constexpr double kRingInner = 5.0;
constexpr double kRingOuter = 6.0;
constexpr double kRingSoftInner = 4.4;
constexpr double kDiscEdge = 6.5;

void drawDisc(QImage& image, int top, const DiscData& d) {
    const int n = tiles::DiscSize;
    const double c = (n - 1) / 2.0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const double r = std::hypot(x - c, y - c);
            const QRgb inside =
                mix(d.insideTopLeft, d.insideBottomRight, double(x + y) / double(2 * (n - 1)));
            QRgb colour = colors::KeyMagenta;
            if (r <= kRingSoftInner) {
                colour = inside;
            } else if (r < kRingInner) {
                colour = mix(inside, d.ring, 0.5);
            } else if (r <= kRingOuter) {
                colour = d.ring;
            } else if (r <= kDiscEdge) {
                colour = mix(d.ring, colors::White, 0.5);
            }
            image.setPixel(x, top + y, colour);
        }
    }
}

QImage buildBoxSheet() {
    QImage image = blankImage(tiles::BoxSheetSize);
    for (int face = 0; face < 4; ++face) {
        drawDisc(image, tiles::DiscSize * face, kDiscs[static_cast<size_t>(face)]);
    }
    return image;
}

// ---- HeaderStrip
// ---------------------------------------------------------------------------------------------

constexpr QRgb kHeaderBottom = qRgb(192, 218, 242);
constexpr std::array<Stop, 2> kHeaderNormal{{{0, qRgb(234, 245, 254)}, {18, qRgb(211, 229, 246)}}};
constexpr QRgb kHeaderSeparator = qRgb(122, 176, 217);
constexpr int kHeaderSeparatorRow = 9;
constexpr QRgb kHeaderHotSide = qRgb(94, 194, 250);
constexpr std::array<Stop, 2> kHeaderHotMiddle{{{0, qRgb(236, 248, 255)}, {18, qRgb(214, 236, 252)}}};
constexpr QRgb kHeaderPressedSide = qRgb(72, 176, 240);
constexpr std::array<Stop, 2> kHeaderPressedMiddle{{{0, qRgb(246, 251, 255)}, {18, qRgb(228, 243, 253)}}};

QImage buildHeaderStrip() {
    QImage image = blankImage(tiles::HeaderStripSize);
    const int last = tiles::HeaderHeight - 1;
    for (int y = 0; y < last; ++y) {
        const QRgb normal = gradientAt(kHeaderNormal, y);
        const double sep = 1.0 - std::abs(y - kHeaderSeparatorRow) / 10.0;
        image.setPixel(0, y, normal);
        image.setPixel(1, y, normal);
        image.setPixel(2, y, mix(normal, kHeaderSeparator, sep));
        image.setPixel(3, y, kHeaderHotSide);
        image.setPixel(4, y, gradientAt(kHeaderHotMiddle, y));
        image.setPixel(5, y, kHeaderHotSide);
        image.setPixel(6, y, kHeaderPressedSide);
        image.setPixel(7, y, gradientAt(kHeaderPressedMiddle, y));
        image.setPixel(8, y, kHeaderPressedSide);
    }
    for (int x = 0; x < tiles::HeaderStripSize.width(); ++x) {
        image.setPixel(x, last, kHeaderBottom);
    }
    return image;
}

} // namespace

SkinImages buildSkinImages() {
    return {buildButtonStrip(), buildComboStrip(), buildMarkSheet(), buildBoxSheet(), buildHeaderStrip()};
}

} // namespace corvessa::skin
