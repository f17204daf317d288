// SPDX-License-Identifier: GPL-3.0-or-later

#include "painters.h"

#include "images.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace corvessa::skin::painters {

namespace {

QRgb frameColour(const QWidget* w) {
    return w->isEnabled() ? colors::FrameBlue : colors::FramePale;
}

bool isLeft(QEvent* event) {
    return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
}

bool leftHeld(QEvent* event) {
    return (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton) != 0;
}

QPoint mousePos(QEvent* event) {
    return static_cast<QMouseEvent*>(event)->position().toPoint();
}

bool isSpace(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    return key->key() == Qt::Key_Space && !key->isAutoRepeat();
}

// The pointer entered: note it, so that the leave is the only other thing to wait for.
void track(QWidget* w) {
    if (intProp(w, keys::MouseFlag) == 0) {
        setProp(w, keys::MouseFlag, 1);
    }
}

bool isDropped(const QComboBox* combo) {
    const auto kids = combo->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* kid : kids) {
        if (kid->isWindow() && kid->isVisible()) {
            return true;
        }
    }
    return false;
}

// ---- Combo boxes
// ---------------------------------------------------------------------------------------------

bool paintCombo(QComboBox* combo) {
    const int w = combo->width();
    const int h = combo->height();
    QPainter p(combo);
    fillBox(p, 0, 0, w, h, colors::White);
    frameBox(p, 0, 0, w, h, frameColour(combo));
    if (!combo->isEditable()) {
        // A list-only combo box shows its current text on white; the engine draws it so that no part of the
        // style's own arrow shows beside the drop button.
        frameBox(p, 1, 1, w - 2, h - 2, colors::White);
        p.setFont(combo->font());
        p.setPen(combo->palette().color(combo->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                        QPalette::Text));
        const int textWidth = w - comboButtonWidth(combo) - 2 - 2 * ComboTextInset;
        drawLabel(p, combo->currentText(), ComboTextInset, 1, textWidth, h - 2,
                  Qt::AlignLeft | Qt::AlignVCenter, true);
    }
    paintComboButton(p, combo);
    if (showsFocusMark(combo)) {
        paintFocusMark(p, combo);
    }
    return true;
}

bool handleCombo(QComboBox* combo, QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        return paintCombo(combo);
    case QEvent::MouseMove: {
        track(combo);
        const int s = inComboHotZone(combo, mousePos(event))
                          ? (leftHeld(event) ? state::Pressed : state::Hover)
                          : state::Normal;
        requestState(combo, s, false);
        return false;
    }
    case QEvent::Leave:
        setProp(combo, keys::MouseFlag, 0);
        requestState(combo, state::Normal, false);
        return false;
    case QEvent::MouseButtonPress:
        if (isLeft(event) && inComboHotZone(combo, mousePos(event))) {
            requestState(combo, state::Pressed, false);
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (isLeft(event)) {
            requestState(combo, combo->rect().contains(mousePos(event)) ? state::Hover : state::Normal,
                         false);
        }
        return false;
    case QEvent::Move:
    case QEvent::Resize:
        requestState(combo, state::Normal, false);
        return false;
    default:
        return false;
    }
}

// ---- Check boxes and option buttons
// --------------------------------------------------------------------------

QRect indicatorRect(QWidget* w, bool option) {
    QStyleOptionButton opt;
    opt.initFrom(w);
    return w->style()->subElementRect(option ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator,
                                      &opt, w);
}

Qt::CheckState checkValue(const QWidget* w) {
    if (const auto* cb = qobject_cast<const QCheckBox*>(w)) {
        return cb->checkState();
    }
    if (const auto* ab = qobject_cast<const QAbstractButton*>(w)) {
        return ab->isChecked() ? Qt::Checked : Qt::Unchecked;
    }
    return Qt::Unchecked;
}

bool handleGlyph(QWidget* w, QEvent* event, bool option) {
    switch (event->type()) {
    case QEvent::Paint: {
        forwardEvent(w, event);
        QPainter p(w);
        if (option) {
            paintOptionGlyph(p, w);
        } else {
            paintCheckGlyph(p, w);
        }
        return true;
    }
    case QEvent::MouseMove:
        track(w);
        requestState(w, leftHeld(event) ? state::Pressed : state::Hover, true);
        return false;
    case QEvent::Leave:
        setProp(w, keys::MouseFlag, 0);
        requestState(w, state::Normal, false);
        return false;
    case QEvent::MouseButtonPress:
        if (isLeft(event)) {
            requestState(w, state::Pressed, false);
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (isLeft(event)) {
            requestState(w, state::Normal, false);
        }
        return false;
    case QEvent::KeyPress:
        if (isSpace(event)) {
            requestState(w, state::Pressed, false);
        }
        return false;
    case QEvent::KeyRelease:
        if (isSpace(event)) {
            requestState(w, state::Normal, false);
        }
        return false;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (option) {
            requestState(w, state::Normal, true);
        }
        return false;
    default:
        return false;
    }
}

// ---- Progress bars
// -------------------------------------------------------------------------------------------

bool paintProgress(QProgressBar* bar) {
    const int w = bar->width();
    const int h = bar->height();
    const int cw = w - 2 * ProgressFrame;
    const int ch = h - 2 * ProgressFrame;
    const double f = progressFraction(bar->value(), bar->minimum(), bar->maximum());
    QPainter p(bar);
    fillBox(p, 0, 0, w, h, colors::FrameBlue);
    fillBox(p, ProgressFrame, ProgressFrame, cw, ch, colors::White);
    if (f > 0) {
        if (bar->orientation() == Qt::Vertical) {
            const int filled = roundHalfEven(ch * f);
            fillBox(p, ProgressFrame, ProgressFrame + ch - filled, cw, filled, colors::BarBlue);
        } else {
            fillBox(p, ProgressFrame, ProgressFrame, roundHalfEven(cw * f), ch, colors::BarBlue);
        }
    }
    return true;
}

// ---- Lists, grids and plain controls
// -------------------------------------------------------------------------

bool paintAfterOwn(QWidget* w, QEvent* event, Kind kind) {
    const bool edge = kind != Kind::DataList && kind != Kind::DropDownList && hasSunkenEdge(w);
    const auto* frame = qobject_cast<const QFrame*>(w);
    const bool gridBorder = kind == Kind::Grid && frame && frame->frameShape() != QFrame::NoFrame;
    const bool listFrame = kind == Kind::DataList || kind == Kind::DropDownList;
    const bool focusMark = showsFocusMark(w);
    if (!edge && !gridBorder && !listFrame && !focusMark) {
        return false;
    }
    forwardEvent(w, event);
    QPainter p(w);
    if (edge) {
        paintClientEdge(p, w);
    }
    if (listFrame) {
        frameBox(p, 0, 0, w->width(), w->height(), frameColour(w));
        frameBox(p, 1, 1, w->width() - 2, w->height() - 2, colors::White);
    }
    if (gridBorder) {
        frameBox(p, 0, 0, w->width(), w->height(), frameColour(w));
    }
    if (focusMark) {
        paintFocusMark(p, w);
    }
    return true;
}

// ---- Headers
// -------------------------------------------------------------------------------------------------

int itemAt(const QHeaderView* header, QPoint pos) {
    if (header->count() == 0) {
        return -1;
    }
    return header->logicalIndexAt(header->orientation() == Qt::Horizontal ? pos.x() : pos.y());
}

bool paintHeader(QHeaderView* header, QWidget* viewport) {
    const SkinImages* images = skinImages();
    if (images == nullptr) {
        return false;
    }
    const int w = viewport->width();
    const int h = viewport->height();
    const int pressed = intProp(header, keys::HdIndex);
    const int hot = intProp(header, keys::HmIndex);
    const bool horizontal = header->orientation() == Qt::Horizontal;
    QPainter p(viewport);
    nineSliceBlit(p, QRect(0, 0, w, h), images->headerStrip, tiles::HeaderBackground, {});
    p.setFont(header->font());
    p.setPen(header->palette().color(header->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                     QPalette::ButtonText));
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical)) {
            continue;
        }
        const int start = header->sectionViewportPosition(logical);
        const int size = header->sectionSize(logical);
        const QRect item = horizontal ? QRect(start, 0, size, h) : QRect(0, start, w, size);
        const int s = logical == pressed ? state::Pressed : logical == hot ? state::Hover : state::Normal;
        nineSliceBlit(p, item, images->headerStrip, tiles::headerFace(s), HeaderItemBorders);
        const QString text = header->model()
                                 ? header->model()->headerData(logical, header->orientation()).toString()
                                 : QString();
        drawLabel(p, text, item.x(), item.y(), item.width(), item.height(), Qt::AlignCenter, true);
    }
    return true;
}

} // namespace

QWidget* scrollHost(QWidget* widget) {
    if (widget == nullptr) {
        return nullptr;
    }
    auto* area = qobject_cast<QAbstractScrollArea*>(widget->parentWidget());
    return area != nullptr && area->viewport() == widget ? area : nullptr;
}

void requestState(QWidget* widget, int s, bool force) {
    if (!force && intProp(widget, keys::OldState) == s) {
        return;
    }
    setProp(widget, keys::OldState, s);
    widget->update();
}

int comboButtonWidth(const QWidget* combo) {
    return combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo) + 1;
}

bool inComboHotZone(const QComboBox* combo, QPoint pos) {
    if (!combo->isEditable()) {
        return true; // a list-only combo box is all button
    }
    const int w = combo->width();
    const int h = combo->height();
    const int s = comboButtonWidth(combo) - 1;
    return pos.x() >= w - s - 2 && pos.x() <= w - 2 && pos.y() >= 2 && pos.y() <= h - 2;
}

void paintComboButton(QPainter& p, QComboBox* combo) {
    const SkinImages* images = skinImages();
    if (images == nullptr) {
        return;
    }
    if (isDropped(combo)) {
        setProp(combo, keys::OldState, state::Pressed); // an open list always shows the pressed button
    }
    const int s = intProp(combo, keys::OldState);
    const int w = combo->width();
    const int h = combo->height();
    const int bw = comboButtonWidth(combo);
    const int bh = h - 2;
    const int bx = w - bw - 1;
    if (s == state::Hover || s == state::Pressed) {
        const QRect face = s == state::Hover ? tiles::ComboHoverFace : tiles::ComboPressedFace;
        nineSliceBlit(p, QRect(bx, 1, bw, bh), images->comboStrip, face, ComboButtonBorders);
    } else {
        fillBox(p, bx, 1, bw, bh, colors::White);
    }
    const QRect arrow = combo->isEnabled() ? tiles::ComboArrowEnabled : tiles::ComboArrowDisabled;
    colorKeyBlit(p, bx + halve(bw - arrow.width()), 1 + halve(h - 6), arrow.width(), arrow.height(),
                 images->comboStrip, arrow.x(), arrow.y(), colors::KeyMagenta);
}

void paintCheckGlyph(QPainter& p, QWidget* checkBox) {
    const SkinImages* images = skinImages();
    if (images == nullptr) {
        return;
    }
    const QRect box = indicatorRect(checkBox, false);
    const int x = box.x();
    const int y = box.y();
    const int cw = box.width();
    const int ch = box.height();
    const int s = intProp(checkBox, keys::OldState);
    const bool enabled = checkBox->isEnabled();
    fillBox(p, x, y, cw, ch, colors::White);
    if (enabled) {
        frameBox(p, x, y, cw, ch, s == state::Pressed ? colors::PressedFrame : colors::FrameBlue);
        if (s == state::Hover || s == state::Pressed) {
            const QRect strip = s == state::Hover ? tiles::CheckHoverStrip : tiles::CheckPressedStrip;
            nineSliceBlit(p, QRect(x + 1, y + 1, cw - 2, ch - 2), images->boxSheet, strip, {});
        }
    } else {
        frameBox(p, x, y, cw, ch, colors::FramePale);
    }
    const Qt::CheckState value = checkValue(checkBox);
    if (value == Qt::Checked) {
        const QRect mark = enabled ? tiles::CheckMarkEnabled : tiles::CheckMarkDisabled;
        colorKeyBlit(p, x + halve(cw - mark.width()), y + halve(ch - mark.height()), mark.width(),
                     mark.height(), images->markSheet, mark.x(), mark.y(), colors::KeyMagenta);
    } else if (value == Qt::PartiallyChecked) {
        const QRect square = enabled ? tiles::GreySquareEnabled : tiles::GreySquareDisabled;
        colorKeyBlit(p, x + halve(cw - square.width()), y + halve(ch - square.height()), square.width(),
                     square.height(), images->markSheet, square.x(), square.y(), colors::KeyMagenta);
    }
}

void paintOptionGlyph(QPainter& p, QWidget* optionButton) {
    const SkinImages* images = skinImages();
    if (images == nullptr) {
        return;
    }
    const QRect box = indicatorRect(optionButton, true);
    const int cw = box.width();
    const int ch = box.height();
    const bool enabled = optionButton->isEnabled();
    const int s = intProp(optionButton, keys::OldState);
    const QRect face = tiles::disc(enabled ? std::clamp(s, 0, 2) : state::Disabled);
    nineSliceBlit(p, box, images->boxSheet, face, DiscBorders, colors::KeyMagenta);
    if (checkValue(optionButton) == Qt::Checked) {
        const QRect dot = enabled ? tiles::OptionDotEnabled : tiles::OptionDotDisabled;
        colorKeyBlit(p, box.x() + halve(cw - dot.width()), roundHalfEven(box.y() + (ch - dot.height()) / 2.0),
                     dot.width(), dot.height(), images->markSheet, dot.x(), dot.y(), colors::KeyMagenta);
    }
}

bool hasSunkenEdge(const QWidget* widget) {
    if (const auto* frame = qobject_cast<const QFrame*>(widget)) {
        return frame->frameShape() != QFrame::NoFrame && frame->frameShadow() == QFrame::Sunken &&
               frame->frameWidth() > 0;
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->hasFrame();
    }
    return false;
}

void paintClientEdge(QPainter& p, QWidget* widget) {
    const int w = widget->width();
    const int h = widget->height();
    const QWidget* client = widget;
    if (const auto* area = qobject_cast<const QAbstractScrollArea*>(widget)) {
        client = area->viewport();
    }
    const QRgb background = client->palette().color(client->backgroundRole()).rgb();
    frameBox(p, 0, 0, w, h, frameColour(widget));
    const int bx = borderWidths(widget).bx;
    for (int k = 1; k < bx; ++k) {
        frameBox(p, k, k, w - 2 * k, h - 2 * k, background);
    }
}

double progressFraction(int value, int minimum, int maximum) {
    if (maximum <= minimum) {
        return 0.0;
    }
    return std::clamp(double(value - minimum) / double(maximum - minimum), 0.0, 1.0);
}

namespace {

// Whether the user is working by keyboard: the mark shows from a key press until the next mouse press, so a
// click looks as it always has and the mark appears as soon as the keyboard is used.
bool g_keyboardInUse = false;

bool isModifierOnly(int key) {
    return key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr;
}

void updateMarked(QWidget* widget) {
    auto* combo = qobject_cast<QComboBox*>(widget->parentWidget());
    (combo != nullptr ? static_cast<QWidget*>(combo) : widget)->update();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        area->viewport()->update();
    }
}

void updateFocusedControl() {
    if (QWidget* focused = QApplication::focusWidget()) {
        updateMarked(focused);
    }
}

} // namespace

void noteInput(QEvent* event) {
    bool keyboard = g_keyboardInUse;
    if (event->type() == QEvent::KeyPress) {
        keyboard = keyboard || !isModifierOnly(static_cast<QKeyEvent*>(event)->key());
    } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        keyboard = false;
    }
    if (keyboard != g_keyboardInUse) {
        g_keyboardInUse = keyboard;
        updateFocusedControl();
    }
}

bool keyboardInUse() {
    return g_keyboardInUse;
}

bool showsFocusMark(const QWidget* widget) {
    const QWidget* focused = QApplication::focusWidget();
    if (!g_keyboardInUse || focused == nullptr || classKind(widget) == Kind::PushButton) {
        return false; // a push button draws its own dotted focus rectangle into its faces
    }
    if (qobject_cast<const QComboBox*>(widget->parentWidget()) != nullptr) {
        return false; // a combo box's text field: the box around it carries the mark
    }
    if (qobject_cast<const QComboBox*>(widget) != nullptr) {
        return focused == widget || widget->isAncestorOf(focused);
    }
    return focused == widget && (widget->focusPolicy() & Qt::TabFocus) != 0;
}

void paintFocusMark(QPainter& p, const QWidget* widget) {
    // Whole device-independent pixels: on a high-density screen the band is as many device pixels wider
    // and stays sharp.
    const int w = widget->width();
    const int h = widget->height();
    const int m = std::min({FocusMarkWidth, w / 2, h / 2});
    if (m <= 0) {
        return;
    }
    fillBox(p, 0, 0, w, m, colors::FocusMark);
    fillBox(p, 0, h - m, w, m, colors::FocusMark);
    fillBox(p, 0, m, m, h - 2 * m, colors::FocusMark);
    fillBox(p, w - m, m, m, h - 2 * m, colors::FocusMark);
}

namespace {

// The band continued inside a scroll area's viewport, so that it is as wide there as elsewhere although the
// frame is thinner. The viewport moves its pixels when it scrolls; it is then painted whole again, so no copy
// of the band is left inside the content.
bool paintViewportMark(QWidget* viewport, QEvent* event) {
    auto* host = qobject_cast<QAbstractScrollArea*>(scrollHost(viewport));
    if (host == nullptr || !showsFocusMark(host)) {
        return false;
    }
    if (!viewport->property(keys::FocusRepaint).toBool()) {
        setProp(viewport, keys::FocusRepaint, true);
        for (QScrollBar* bar : {host->verticalScrollBar(), host->horizontalScrollBar()}) {
            QObject::connect(bar, &QScrollBar::valueChanged, viewport, [viewport] { viewport->update(); });
        }
    }
    forwardEvent(viewport, event);
    QPainter p(viewport);
    const int w = viewport->width();
    const int h = viewport->height();
    const int m = std::min({std::max(1, FocusMarkWidth - host->frameWidth()), w / 2, h / 2});
    if (m > 0) {
        fillBox(p, 0, 0, w, m, colors::FocusMark);
        fillBox(p, 0, h - m, w, m, colors::FocusMark);
        fillBox(p, 0, m, m, h - 2 * m, colors::FocusMark);
        fillBox(p, w - m, m, m, h - 2 * m, colors::FocusMark);
    }
    return true;
}

} // namespace

bool handle(QWidget* widget, Kind kind, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        // The mark comes and goes with the focus; a combo box's text field takes it for the box.
        updateMarked(widget);
    }
    switch (kind) {
    case Kind::ComboBox:
    case Kind::DriveList:
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            return handleCombo(combo, event);
        }
        return false;
    case Kind::CheckBox:
        return handleGlyph(widget, event, false);
    case Kind::OptionButton:
        return handleGlyph(widget, event, true);
    case Kind::ProgressBar:
        if (auto* bar = qobject_cast<QProgressBar*>(widget); bar && event->type() == QEvent::Paint) {
            return paintProgress(bar);
        }
        return false;
    default:
        if (event->type() != QEvent::Paint) {
            return false;
        }
        return paintViewportMark(widget, event) || paintAfterOwn(widget, event, kind);
    }
}

bool handleHeaderViewport(QHeaderView* header, QWidget* viewport, QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        return paintHeader(header, viewport);
    case QEvent::MouseMove: {
        track(header);
        const int h0 = intProp(header, keys::HmIndex);
        const int n = itemAt(header, mousePos(event));
        if (h0 != n && !leftHeld(event)) {
            setProp(header, keys::HmIndex, n);
            viewport->update();
        }
        return false;
    }
    case QEvent::Leave:
        setProp(header, keys::MouseFlag, 0);
        setProp(header, keys::HdIndex, -1);
        setProp(header, keys::HmIndex, -1);
        viewport->update();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (isLeft(event)) {
            setProp(header, keys::HdIndex, itemAt(header, mousePos(event)));
            viewport->update();
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (isLeft(event)) {
            const int pressed = intProp(header, keys::HdIndex);
            setProp(header, keys::HdIndex, -1);
            if (pressed >= 0) {
                // Still over the header: the item under the pointer is hot again; released elsewhere: normal.
                const QPoint pos = mousePos(event);
                setProp(header, keys::HmIndex, viewport->rect().contains(pos) ? itemAt(header, pos) : -1);
                viewport->update();
            }
        }
        return false;
    default:
        return false;
    }
}

void refreshGlyphs(QWidget* widget) {
    QWidget* around = widget->parentWidget() ? widget->parentWidget() : widget;
    const auto descendants = around->findChildren<QWidget*>();
    for (QWidget* d : descendants) {
        if (!isAttached(d)) {
            continue;
        }
        const Kind kind = classKind(d);
        if (kind == Kind::CheckBox || kind == Kind::OptionButton) {
            requestState(d, state::Normal, true);
        }
    }
}

void comboPopupChanged(QComboBox* combo, bool shown) {
    if (!shown) {
        setProp(combo, keys::OldState, state::Normal);
    }
    combo->update();
}

} // namespace corvessa::skin::painters
