// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Painters for every attached control that is not a push button: combo boxes, check and option glyphs,
// headers, progress bars, the frames of lists and grids and the flat edge that replaces sunken ones.
//
// All drawing happens in paint events: an input event only records the new state in the control's properties
// and schedules a repaint, which then draws that state.

#include "engine.h"
#include "primitives.h"

#include <QPoint>

class QComboBox;
class QEvent;
class QHeaderView;
class QPainter;
class QWidget;

namespace corvessa::skin::painters {

inline constexpr int ComboTextInset = 4; // left margin of the current text of a list-only combo box
inline constexpr Borders ComboButtonBorders{2, 1, 1, 1};
inline constexpr Borders DiscBorders{5, 5, 5, 5};
inline constexpr Borders HeaderItemBorders{1, 1, 1, 1};
inline constexpr int ProgressFrame = 1;  // the flat progress bar's frame width
inline constexpr int FocusMarkWidth = 2; // the band round a control with the keyboard focus

// Reacts to one event of an attached control of the given kind; true when the engine painted in its place.
bool handle(QWidget* widget, Kind kind, QEvent* event);

// Events of a header's viewport, where a header receives its paint and mouse events.
bool handleHeaderViewport(QHeaderView* header, QWidget* viewport, QEvent* event);

// The scroll area whose viewport the widget is, or null.
QWidget* scrollHost(QWidget* widget);

// Redraws, in the normal state, the glyphs of every attached check box and option button beside the widget.
void refreshGlyphs(QWidget* widget);

// A combo box's list was shown or hidden.
void comboPopupChanged(QComboBox* combo, bool shown);

// Records a state and schedules a repaint when it differs from the one drawn last, or always when forced.
void requestState(QWidget* widget, int state, bool force);

// The individual painters, also used by the benchmarks.
void paintComboButton(QPainter& p, QComboBox* combo);
void paintCheckGlyph(QPainter& p, QWidget* checkBox);
void paintOptionGlyph(QPainter& p, QWidget* optionButton);
void paintClientEdge(QPainter& p, QWidget* widget);
bool hasSunkenEdge(const QWidget* widget);

// Follows whether the user works by keyboard: a key press (other than a modifier alone) turns it on, a mouse
// press turns it off; the focused control is repainted when it changes.
void noteInput(QEvent* event);
bool keyboardInUse();

// Whether the widget shows the focus mark: the keyboard is in use, the widget has the keyboard focus and
// takes the focus by Tab (a combo box also while its text field has it). Push buttons draw their own focus
// rectangle and never show the mark.
bool showsFocusMark(const QWidget* widget);
// A band of FocusMarkWidth pixels in the focus colour along the inside of the widget's edge.
void paintFocusMark(QPainter& p, const QWidget* widget);

// The fraction of a progress bar that is filled, 0 to 1.
double progressFraction(int value, int minimum, int maximum);

// Where the drop button of a combo box begins and how wide it is.
int comboButtonWidth(const QWidget* combo);
bool inComboHotZone(const QComboBox* combo, QPoint pos);

} // namespace corvessa::skin::painters
