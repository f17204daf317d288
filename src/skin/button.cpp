// SPDX-License-Identifier: GPL-3.0-or-later

#include "button.h"

#include "engine.h"
#include "images.h"
#include "primitives.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimerEvent>

namespace corvessa::skin::button {

namespace {

// Takes an image out of its property so that painting on it does not copy it, leaving the property empty.
QImage takeImage(QPushButton* b, const char* key) {
    QImage image = qvariant_cast<QImage>(b->property(key));
    removeProp(b, key);
    return image;
}

QImage stateImageOf(const QPushButton* b, int s) {
    return qvariant_cast<QImage>(b->property(keys::stateImage(s).constData()));
}

// Everything the four images depend on besides the state: when any of it changes, they are rendered anew.
QString renderKey(const QPushButton* b) {
    return QStringLiteral("%1x%2@%3|%4|%5|%6")
        .arg(b->width())
        .arg(b->height())
        .arg(b->devicePixelRatioF())
        .arg(b->hasFocus() ? 1 : 0)
        .arg(b->font().key(), b->text());
}

int currentState(QPushButton* b) {
    if (!b->isEnabled()) {
        setProp(b, keys::OldState, state::Disabled);
    }
    return intProp(b, keys::OldState);
}

// Shows a state at once, replacing whatever the screen image held.
void showAtOnce(QPushButton* b) {
    setProp(b, keys::ScreenBmp, stateImageOf(b, currentState(b)));
    b->update();
}

void pressNow(QPushButton* b) {
    stopFade(b);
    setProp(b, keys::OldState, state::Pressed);
    setProp(b, keys::AlphaLevel, FullOpacity);
    blendState(b);
    setProp(b, keys::AlphaLevel, 0);
}

void fadeTo(QPushButton* b, int s, int fromLevel) {
    setProp(b, keys::OldState, s);
    setProp(b, keys::AlphaLevel, fromLevel);
    startFade(b);
}

void fadeStep(QPushButton* b) {
    int level = intProp(b, keys::AlphaLevel);
    blendState(b);
    level += FadeStep;
    if (level > FullOpacity) {
        stopFade(b);
        level = 0;
    }
    setProp(b, keys::AlphaLevel, level);
}

// A button that is not shown yet has no settled size (one just put into a layout is still 640 x 480), so its
// images are rendered when it is first shown rather than for a size it will never have.
void renderIfShown(QPushButton* b) {
    if (b->isVisible()) {
        renderStates(b);
        showAtOnce(b);
    }
}

void applyClip(QPushButton* b) {
    if (!isSelfDrawn(b)) {
        b->setMask(roundedRegion(b->width(), b->height()));
    }
}

bool isSpace(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    return key->key() == Qt::Key_Space && !key->isAutoRepeat();
}

bool isLeft(QEvent* event) {
    return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
}

} // namespace

int styleWord(const QPushButton* b) {
    int word = 0;
    if (b->isDefault()) {
        word |= StyleDefault;
    }
    if (!b->styleSheet().isEmpty()) {
        word |= StyleOwnSheet;
    }
    if (b->isFlat()) {
        word |= StyleFlat;
    }
    return word;
}

bool isSelfDrawn(const QPushButton* b) {
    return (intProp(b, keys::OldStyle) & SelfDrawnBits) != 0;
}

QRegion roundedRegion(int w, int h) {
    QRegion region(0, 0, w, h);
    if (w > 2 && h > 2) {
        region -= QRegion(0, 0, 1, 1);
        region -= QRegion(w - 1, 0, 1, 1);
        region -= QRegion(0, h - 1, 1, 1);
        region -= QRegion(w - 1, h - 1, 1, 1);
    }
    return region;
}

void renderStates(QPushButton* b) {
    const SkinImages* images = skinImages();
    const int w = b->width();
    const int h = b->height();
    const QString caption = b->text();
    for (int s = state::Normal; s <= state::Disabled; ++s) {
        QImage image = makeSurface(w, h, b->devicePixelRatioF());
        if (!image.isNull() && images != nullptr) {
            QPainter p(&image);
            p.setFont(b->font());
            nineSliceBlit(p, QRect(0, 0, w, h), images->buttonStrip, tiles::buttonFace(s),
                          {FaceBorder, FaceBorder, FaceBorder, FaceBorder});
            p.setPen(QColor::fromRgb(s == state::Disabled ? colors::DisabledCaption : colors::Black));
            const int iw = w - 2 * CaptionInset;
            const int ih = h - 2 * CaptionInset;
            drawLabel(p, caption, CaptionInset, CaptionInset, iw, ih, Qt::AlignCenter, true);
            if (b->hasFocus()) {
                drawFocus(p, CaptionInset, CaptionInset, iw, ih);
            }
        }
        setProp(b, keys::stateImage(s).constData(), image);
    }
    setProp(b, keys::RenderKey, renderKey(b));
}

void blendState(QPushButton* b) {
    const int s = currentState(b);
    if (isSelfDrawn(b)) {
        return;
    }
    const QImage source = stateImageOf(b, s);
    QImage screen = takeImage(b, keys::ScreenBmp);
    if (screen.isNull() || screen.size() != source.size()) {
        screen = makeSurface(b->width(), b->height(), b->devicePixelRatioF());
    }
    if (!screen.isNull() && !source.isNull()) {
        QPainter p(&screen);
        p.setOpacity(intProp(b, keys::AlphaLevel) / double(FullOpacity));
        p.drawImage(0, 0, source);
    }
    setProp(b, keys::ScreenBmp, screen);
    b->update();
}

void startFade(QPushButton* b) {
    if (intProp(b, keys::TimerId) != 0) {
        return; // the running fade simply goes on towards the state now wanted
    }
    setProp(b, keys::TimerId, b->startTimer(FadeIntervalMs));
}

void stopFade(QPushButton* b) {
    const int id = intProp(b, keys::TimerId);
    if (id == 0) {
        return;
    }
    b->killTimer(id);
    setProp(b, keys::TimerId, 0);
}

QImage shownImage(const QPushButton* b) {
    return qvariant_cast<QImage>(b->property(keys::ScreenBmp));
}

void prepare(QPushButton* b) {
    setProp(b, keys::OldStyle, styleWord(b));
    setProp(b, keys::MouseFlag, 0);
    setProp(b, keys::TimerId, 0);
    setProp(b, keys::OldState, b->isEnabled() ? state::Normal : state::Disabled);
    setProp(b, keys::AlphaLevel, 0);
    renderIfShown(b);
    applyClip(b);
}

void release(QPushButton* b) {
    stopFade(b);
    const bool selfDrawn = isSelfDrawn(b);
    for (int s = state::Normal; s <= state::Disabled; ++s) {
        removeProp(b, keys::stateImage(s).constData());
    }
    for (const char* key : {keys::ScreenBmp, keys::RenderKey, keys::OldStyle, keys::MouseFlag, keys::TimerId,
                            keys::OldState, keys::AlphaLevel}) {
        removeProp(b, key);
    }
    if (!selfDrawn) {
        b->clearMask();
    }
    b->update();
}

bool handle(QPushButton* b, QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint: {
        if (isSelfDrawn(b)) {
            return false;
        }
        // A caption, font or size changed since the images were made (none of these sends the button an event
        // the engine could act on earlier): render anew and show the current state at once.
        if (b->property(keys::RenderKey).toString() != renderKey(b)) {
            renderStates(b);
            showAtOnce(b);
        }
        const QImage screen = shownImage(b);
        if (screen.isNull()) {
            showAtOnce(b);
        }
        QPainter p(b);
        p.drawImage(0, 0, shownImage(b));
        return true;
    }
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (intProp(b, keys::MouseFlag) == 0) {
            setProp(b, keys::MouseFlag, 1);
            fadeTo(b, state::Hover, 0);
        } else if (!b->rect().contains(move->position().toPoint())) {
            stopFade(b);
            setProp(b, keys::AlphaLevel, FullOpacity);
            blendState(b);
        }
        return false;
    }
    case QEvent::Leave:
        // Qt reports every leave; only one that follows an entry the engine saw counts.
        if (intProp(b, keys::MouseFlag) != 0) {
            setProp(b, keys::MouseFlag, 0);
            setProp(b, keys::OldState, state::Hover);
            setProp(b, keys::AlphaLevel, LeaveOpacity);
            blendState(b);
            fadeTo(b, state::Normal, 0);
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (isLeft(event)) {
            pressNow(b);
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (isLeft(event)) {
            setProp(b, keys::MouseFlag, 0); // the next move over the button fades the hover face in again
            fadeTo(b, state::Normal, ReleaseOpacity);
        }
        return false;
    case QEvent::KeyPress:
        if (isSpace(event)) {
            pressNow(b);
        }
        return false;
    case QEvent::KeyRelease:
        if (isSpace(event)) {
            setProp(b, keys::MouseFlag, 0);
            fadeTo(b, state::Normal, 0);
        }
        return false;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        renderStates(b); // adds or removes the focus rectangle in all four images
        setProp(b, keys::AlphaLevel, 0);
        startFade(b);
        return false;
    case QEvent::EnabledChange:
        stopFade(b);
        setProp(b, keys::OldState, b->isEnabled() ? state::Normal : state::Disabled);
        setProp(b, keys::AlphaLevel, FullOpacity);
        blendState(b);
        setProp(b, keys::AlphaLevel, 0);
        return false;
    case QEvent::Resize:
        renderIfShown(b);
        applyClip(b);
        return false;
    case QEvent::Show:
        if (b->property(keys::RenderKey).toString() != renderKey(b)) {
            renderStates(b);
            showAtOnce(b);
        }
        return false;
    case QEvent::Timer:
        if (static_cast<QTimerEvent*>(event)->timerId() == intProp(b, keys::TimerId) &&
            intProp(b, keys::TimerId) != 0) {
            fadeStep(b);
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace corvessa::skin::button
