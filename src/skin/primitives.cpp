// SPDX-License-Identifier: GPL-3.0-or-later

#include "primitives.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <cmath>

namespace corvessa::skin {

int halve(int value) {
    const int floorHalf = value >> 1; // arithmetic shift: floor for negative values too
    if ((value & 1) == 0) {
        return floorHalf;
    }
    // An exact tie between floorHalf and floorHalf + 1: take the even one.
    return (floorHalf & 1) == 0 ? floorHalf : floorHalf + 1;
}

int roundHalfEven(double value) {
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5) {
        return static_cast<int>(down);
    }
    if (diff > 0.5) {
        return static_cast<int>(down) + 1;
    }
    const int d = static_cast<int>(down);
    return (d % 2 == 0) ? d : d + 1;
}

QImage makeSurface(int w, int h, qreal devicePixelRatio) {
    if (w <= 0 || h <= 0) {
        return {};
    }
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(static_cast<int>(std::ceil(w * dpr)), static_cast<int>(std::ceil(h * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(colors::White);
    return image;
}

void fillBox(QPainter& painter, int x, int y, int w, int h, QRgb colour) {
    if (w <= 0 || h <= 0) {
        return;
    }
    painter.fillRect(QRect(x, y, w, h), QColor::fromRgb(colour));
}

void frameBox(QPainter& painter, int x, int y, int w, int h, QRgb colour) {
    if (w <= 0 || h <= 0) {
        return;
    }
    const QColor c = QColor::fromRgb(colour);
    painter.fillRect(QRect(x, y, w, 1), c);
    painter.fillRect(QRect(x, y + h - 1, w, 1), c);
    painter.fillRect(QRect(x, y, 1, h), c);
    painter.fillRect(QRect(x + w - 1, y, 1, h), c);
}

void drawLabel(QPainter& painter, const QString& text, int x, int y, int w, int h, Qt::Alignment alignment,
               bool endEllipsis) {
    if (text.isEmpty() || w <= 0 || h <= 0) {
        return;
    }
    const int flags = static_cast<int>(alignment) | Qt::TextSingleLine | Qt::TextShowMnemonic;
    QString shown = text;
    if (endEllipsis) {
        shown = QFontMetrics(painter.font()).elidedText(text, Qt::ElideRight, w, Qt::TextShowMnemonic);
    }
    painter.drawText(QRect(x, y, w, h), flags, shown);
}

void drawFocus(QPainter& painter, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) {
        return;
    }
    const QColor c = painter.pen().color();
    // Walk the outline once, clockwise, and set every other pixel, so the dots run on evenly round the
    // corners.
    int step = 0;
    auto dot = [&](int px, int py) {
        if (step++ % 2 == 0) {
            painter.fillRect(QRect(px, py, 1, 1), c);
        }
    };
    const int right = x + w - 1;
    const int bottom = y + h - 1;
    for (int px = x; px <= right; ++px) {
        dot(px, y);
    }
    for (int py = y + 1; py <= bottom; ++py) {
        dot(right, py);
    }
    if (bottom > y) {
        for (int px = right - 1; px >= x; --px) {
            dot(px, bottom);
        }
    }
    if (right > x) {
        for (int py = bottom - 1; py > y; --py) {
            dot(x, py);
        }
    }
}

QImage keyedCopy(const QImage& source, const QRect& sourceRect, QRgb key) {
    QImage piece = source.copy(sourceRect).convertToFormat(QImage::Format_ARGB32);
    const QRgb key24 = key & 0x00ffffffu;
    for (int y = 0; y < piece.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
        for (int x = 0; x < piece.width(); ++x) {
            if ((line[x] & 0x00ffffffu) == key24) {
                line[x] = 0; // fully transparent: source-over leaves the target pixel as it was
            }
        }
    }
    return piece;
}

namespace {

// Copies a source rectangle onto a target rectangle, stretched by pixel repetition when the sizes differ.
void stretch(QPainter& painter, const QRect& target, const QImage& source, const QRect& sourceRect) {
    if (target.isEmpty() || sourceRect.isEmpty()) {
        return;
    }
    painter.drawImage(target, source, sourceRect);
}

} // namespace

bool nineSliceBlit(QPainter& painter, const QRect& target, const QImage& source, const QRect& sourceRect,
                   Borders b, std::optional<QRgb> key) {
    if (target.width() <= 0 || target.height() <= 0 || sourceRect.width() <= 0 || sourceRect.height() <= 0) {
        return false;
    }
    // Work from a copy of just the source piece; with a key colour its key pixels become transparent, so that
    // every stretched piece keeps the target's pixels where the key is.
    const QImage piece = key ? keyedCopy(source, sourceRect, *key)
                             : source.copy(sourceRect).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int sw = piece.width();
    const int sh = piece.height();
    const int dx = target.x();
    const int dy = target.y();
    const int dw = target.width();
    const int dh = target.height();

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(key ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Source);
    if (b.left == 0 && b.top == 0 && b.right == 0 && b.bottom == 0) {
        stretch(painter, target, piece, piece.rect());
        painter.restore();
        return true;
    }
    const int L = b.left;
    const int T = b.top;
    const int R = b.right;
    const int B = b.bottom;
    if (L > 0 && T > 0) {
        stretch(painter, QRect(dx, dy, L, T), piece, QRect(0, 0, L, T));
    }
    if (R > 0 && T > 0) {
        stretch(painter, QRect(dx + dw - R, dy, R, T), piece, QRect(sw - R, 0, R, T));
    }
    if (L > 0 && B > 0) {
        stretch(painter, QRect(dx, dy + dh - B, L, B), piece, QRect(0, sh - B, L, B));
    }
    if (R > 0 && B > 0) {
        stretch(painter, QRect(dx + dw - R, dy + dh - B, R, B), piece, QRect(sw - R, sh - B, R, B));
    }
    if (L > 0) {
        stretch(painter, QRect(dx, dy + T, L, dh - T - B), piece, QRect(0, T, L, sh - T - B));
    }
    if (R > 0) {
        stretch(painter, QRect(dx + dw - R, dy + T, R, dh - T - B), piece, QRect(sw - R, T, R, sh - T - B));
    }
    if (T > 0) {
        stretch(painter, QRect(dx + L, dy, dw - L - R, T), piece, QRect(L, 0, sw - L - R, T));
    }
    if (B > 0) {
        stretch(painter, QRect(dx + L, dy + dh - B, dw - L - R, B), piece, QRect(L, sh - B, sw - L - R, B));
    }
    stretch(painter, QRect(dx + L, dy + T, dw - L - R, dh - T - B), piece,
            QRect(L, T, sw - L - R, sh - T - B));
    painter.restore();
    return true;
}

void colorKeyBlit(QPainter& painter, int x, int y, int w, int h, const QImage& source, int sx, int sy,
                  QRgb key) {
    if (w <= 0 || h <= 0) {
        return;
    }
    const QImage piece = keyedCopy(source, QRect(sx, sy, w, h), key);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QRect(x, y, w, h), piece);
    painter.restore();
}

BorderSize borderWidths(QSize outer, QSize client, int verticalScrollBarWidth,
                        int horizontalScrollBarHeight) {
    return {halve(outer.width() - client.width() - verticalScrollBarWidth),
            halve(outer.height() - client.height() - horizontalScrollBarHeight)};
}

BorderSize borderWidths(const QWidget* widget) {
    if (widget == nullptr) {
        return {};
    }
    int frame = 0;
    if (const auto* f = qobject_cast<const QFrame*>(widget)) {
        frame = f->frameWidth();
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(widget); edit && edit->hasFrame()) {
        frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    }
    const QSize outer = widget->size();
    return borderWidths(outer, outer - QSize(2 * frame, 2 * frame), 0, 0);
}

} // namespace corvessa::skin
