// SPDX-License-Identifier: GPL-3.0-or-later

#include "pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace corvessa::mainwindow::pictures {

namespace {

const QColor kDeepBlue(41, 110, 163);
const QColor kBlue(75, 151, 199);
const QColor kLightBlue(170, 208, 232);
const QColor kPaleBlue(226, 239, 248);
const QColor kWhite(255, 255, 255);

// Drawn at the device pixel ratio of the screen, in device-independent coordinates, so a picture is as sharp
// at 200 % as at 100 %.
QPixmap transparentPixmap(int width, int height) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(width, height) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A leaf with its mid-rib, the program's sign for herbal medicine, filling `box`.
void drawLeaf(QPainter& painter, const QRectF& box, const QColor& fill, const QColor& rib) {
    QPainterPath leaf;
    leaf.moveTo(box.left(), box.bottom());
    leaf.cubicTo(box.left(), box.top() + box.height() * 0.35, box.left() + box.width() * 0.45, box.top(),
                 box.right(), box.top());
    leaf.cubicTo(box.right(), box.top() + box.height() * 0.55, box.left() + box.width() * 0.6, box.bottom(),
                 box.left(), box.bottom());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(leaf);
    painter.setPen(QPen(rib, qMax(1.0, box.width() / 12.0), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(box.left() + box.width() * 0.1, box.bottom() - box.height() * 0.1),
                     QPointF(box.right() - box.width() * 0.25, box.top() + box.height() * 0.25));
}

} // namespace

QPixmap programIcon(int size) {
    QPixmap pixmap = transparentPixmap(size, size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = size / 5.0;
    painter.setPen(QPen(kWhite, qMax(1.0, size / 16.0)));
    painter.setBrush(kLightBlue);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), radius, radius);
    const qreal margin = size * 0.2;
    drawLeaf(painter, QRectF(margin, margin, size - 2 * margin, size - 2 * margin), kDeepBlue, kLightBlue);
    return pixmap;
}

QIcon windowIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(programIcon(size));
    return icon;
}

QPixmap tabIcon(int tab) {
    const int s = kTabIconSize;
    QPixmap pixmap = transparentPixmap(s, s);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (tab) {
    case 0: { // the library: a closed book
        painter.setPen(QPen(kDeepBlue, 1));
        painter.setBrush(kLightBlue);
        painter.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
        painter.setBrush(kDeepBlue);
        painter.drawRect(QRectF(2.5, 1.5, 2.5, 13));
        painter.setPen(QPen(kDeepBlue, 1));
        painter.drawLine(QPointF(7, 5.5), QPointF(11.5, 5.5));
        painter.drawLine(QPointF(7, 8.5), QPointF(11.5, 8.5));
        break;
    }
    case 1: { // favourites: a star
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const qreal radius = (i % 2 == 0) ? 7.0 : 3.0;
            const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
            const QPointF point(8 + radius * std::cos(angle), 8.5 + radius * std::sin(angle));
            i == 0 ? star.moveTo(point) : star.lineTo(point);
        }
        star.closeSubpath();
        painter.setPen(QPen(kDeepBlue, 1));
        painter.setBrush(kLightBlue);
        painter.drawPath(star);
        break;
    }
    case 2: { // own prescriptions: a note with a pen
        painter.setPen(QPen(kDeepBlue, 1));
        painter.setBrush(kPaleBlue);
        painter.drawRect(QRectF(1.5, 2.5, 10, 12));
        painter.drawLine(QPointF(3.5, 6.5), QPointF(9, 6.5));
        painter.drawLine(QPointF(3.5, 9.5), QPointF(7, 9.5));
        painter.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(8.5, 12.5), QPointF(14, 4));
        break;
    }
    case 3: // herbs: a leaf
        drawLeaf(painter, QRectF(2, 2, 12, 12), kBlue, kPaleBlue);
        break;
    default: { // the tutorial: a play sign in a circle
        painter.setPen(QPen(kDeepBlue, 1));
        painter.setBrush(kLightBlue);
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        QPainterPath play;
        play.moveTo(6.5, 4.8);
        play.lineTo(11.5, 8);
        play.lineTo(6.5, 11.2);
        play.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(kDeepBlue);
        painter.drawPath(play);
        break;
    }
    }
    return pixmap;
}

QPixmap closeImage() {
    QPixmap pixmap = transparentPixmap(kCloseImageWidth, kCloseImageHeight);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDeepBlue);
    painter.drawRoundedRect(QRectF(0, 0, kCloseImageWidth, kCloseImageHeight), 3, 3);
    painter.setPen(QPen(kWhite, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(kCloseImageWidth / 2.0, kCloseImageHeight / 2.0);
    const qreal arm = 4.0;
    painter.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    painter.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
    return pixmap;
}

} // namespace corvessa::mainwindow::pictures
