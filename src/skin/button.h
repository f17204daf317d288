// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Push buttons: four pre-rendered state images per button and fades between them.

#include <QRegion>

class QEvent;
class QImage;
class QPushButton;

namespace corvessa::skin::button {

inline constexpr int FadeIntervalMs = 15;
inline constexpr int FadeStep = 3;
inline constexpr int FullOpacity = 255;
inline constexpr int LeaveOpacity = 140;  // the hover face laid over the current one as the pointer leaves
inline constexpr int ReleaseOpacity = 60; // where the fade back to normal starts after a release
inline constexpr int FaceBorder = 3;      // fixed borders of the nine-slice face
inline constexpr int CaptionInset = 2;    // caption and focus rectangle are inset this much from the edge

// Bits of the style word kept under "OLDSTYLE".
inline constexpr int StyleDefault = 0x1;  // the dialog's default button
inline constexpr int StyleOwnSheet = 0x2; // the button has a style sheet of its own
inline constexpr int StyleFlat = 0x4;     // a flat button, drawn without a face
inline constexpr int SelfDrawnBits = StyleOwnSheet | StyleFlat;

int styleWord(const QPushButton* b);
bool isSelfDrawn(const QPushButton* b);

// The clip region of a skinned button: its rectangle with the outermost corner pixels cut.
QRegion roundedRegion(int w, int h);

void prepare(QPushButton* b);
void release(QPushButton* b);
void renderStates(QPushButton* b);
void blendState(QPushButton* b);
void startFade(QPushButton* b);
void stopFade(QPushButton* b);

// The image currently shown by the button (what fades blend onto).
QImage shownImage(const QPushButton* b);

// Reacts to one event; true when the engine handled it in the button's place.
bool handle(QPushButton* b, QEvent* event);

} // namespace corvessa::skin::button
