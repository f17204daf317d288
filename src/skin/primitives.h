// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Drawing primitives shared by every painter of the skinning engine. They draw through a QPainter in
// device-independent pixels, so the same call works on an off-screen QImage (with any device pixel ratio) and
// on a widget during its paint event.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>

class QPainter;
class QWidget;

namespace corvessa::skin {

// The colours of the flat look.
namespace colors {
inline constexpr QRgb FrameBlue = qRgb(84, 165, 213);        // frame of enabled controls
inline constexpr QRgb FramePale = qRgb(164, 207, 233);       // frame of disabled controls
inline constexpr QRgb PressedFrame = qRgb(57, 134, 196);     // check box frame while pressed
inline constexpr QRgb FocusMark = qRgb(57, 134, 196);        // band round the control with the keyboard focus
inline constexpr QRgb BarBlue = qRgb(76, 214, 246);          // filled part of a progress bar
inline constexpr QRgb DisabledCaption = qRgb(121, 138, 150); // caption of a disabled push button
inline constexpr QRgb White = qRgb(255, 255, 255);
inline constexpr QRgb Black = qRgb(0, 0, 0);
inline constexpr QRgb KeyMagenta = qRgb(255, 0, 255); // pixels of the skin images that are never drawn
} // namespace colors

// Fixed border widths of a nine-slice stretch.
struct Borders {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Halves a pixel difference, rounding to the nearest integer with ties to the even one (5 -> 2, 7 -> 4,
// -1 -> 0), so that centred pieces land where they always have.
int halve(int value);

// Rounds to the nearest integer with ties to even, for products such as a progress fraction times a width.
int roundHalfEven(double value);

// A new off-screen surface of w by h device-independent pixels at the given device pixel ratio, filled white.
// A null image when either side is not positive.
QImage makeSurface(int w, int h, qreal devicePixelRatio = 1.0);

// Fills (x, y, w, h); right and bottom edges are excluded as with any rectangle given by its size.
void fillBox(QPainter& painter, int x, int y, int w, int h, QRgb colour);

// A one-pixel outline just inside (x, y, w, h). Nothing for an empty rectangle.
void frameBox(QPainter& painter, int x, int y, int w, int h, QRgb colour);

// One line of text in the painter's current font and pen, aligned within (x, y, w, h). With endEllipsis the
// text is cut with "…" when too long. An ampersand underlines the next character.
void drawLabel(QPainter& painter, const QString& text, int x, int y, int w, int h, Qt::Alignment alignment,
               bool endEllipsis);

// A dotted focus rectangle: every other pixel of the outline of (x, y, w, h), in the painter's pen colour.
void drawFocus(QPainter& painter, int x, int y, int w, int h);

// Stretches the source rectangle into the target rectangle keeping the corners at their size, stretching the
// edges along one axis and the middle along both, always without smoothing. With a key colour, source pixels
// of that colour leave the target untouched. Returns false when nothing was drawn (an empty source or
// target).
bool nineSliceBlit(QPainter& painter, const QRect& target, const QImage& source, const QRect& sourceRect,
                   Borders borders, std::optional<QRgb> key = std::nullopt);

// Copies the w by h rectangle at (sx, sy) of the source to (x, y), except the pixels of the key colour
// (compared on 24 bits), where the target keeps its own pixel.
void colorKeyBlit(QPainter& painter, int x, int y, int w, int h, const QImage& source, int sx, int sy,
                  QRgb key);

// The part of a source image with every key-coloured pixel made fully transparent; drawing it over a target
// with source-over is exactly a colour-key copy.
QImage keyedCopy(const QImage& source, const QRect& sourceRect, QRgb key);

// Width of the left border and height of the top border of a control, from its outer and inner sizes and the
// scroll bars standing inside the outer size.
struct BorderSize {
    int bx = 0;
    int by = 0;
};
BorderSize borderWidths(QSize outer, QSize client, int verticalScrollBarWidth, int horizontalScrollBarHeight);

// The same for a widget: the frame of a QFrame, the style's frame of a framed QLineEdit, else none.
BorderSize borderWidths(const QWidget* widget);

} // namespace corvessa::skin
