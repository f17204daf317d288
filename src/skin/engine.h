// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Attachment and registry of skinned windows. Everything the engine knows about a window lives in dynamic
// properties of that window under the keys below; the only engine-wide state is the attached count and the
// shared skin images, which exist while at least one window is attached.

#include "images.h"

#include <QByteArray>
#include <QVariant>

class QWidget;
class QObject;
class QEvent;

namespace corvessa::skin {

// Property keys. An absent property reads as 0.
namespace keys {
inline constexpr char ProcAddr[] = "PROCADDR"; // non-zero on every attached window; see PriorSetting
inline constexpr char OldStyle[] = "OLDSTYLE";
inline constexpr char MouseFlag[] = "MOUSEFLAG";
inline constexpr char TimerId[] = "TIMERID";
inline constexpr char OldState[] = "OLDSTATE";
inline constexpr char AlphaLevel[] = "ALPHALEVEL";
inline constexpr char HdIndex[] = "HDINDEX";
inline constexpr char HmIndex[] = "HMINDEX";
inline constexpr char ScreenBmp[] = "SCREENBMP";       // what a push button shows; fades blend onto it
inline constexpr char RenderKey[] = "RENDERKEY";       // caption and font the state images were rendered with
inline constexpr char FocusRepaint[] = "FOCUSREPAINT"; // a viewport repainted whole after it scrolls
QByteArray stateImage(int state);                      // "0BMP" … "3BMP"
} // namespace keys

// What "PROCADDR" records besides marking the window: the settings the engine changed on attachment, so that
// detaching puts each back as it was.
namespace prior {
inline constexpr qulonglong Attached = 0x1;
inline constexpr qulonglong MouseTracking = 0x2; // the widget already tracked the mouse
} // namespace prior

// Visual states.
namespace state {
inline constexpr int Normal = 0;
inline constexpr int Hover = 1;
inline constexpr int Pressed = 2;
inline constexpr int Disabled = 3;
} // namespace state

enum class Kind {
    Form,
    PushButton,
    ComboBox,
    DriveList,
    CheckBox,
    OptionButton,
    ProgressBar,
    Header,
    DataList,
    DropDownList,
    Grid,
    Other,
};

// The lower-cased class name of a widget.
QByteArray className(const QObject* widget);

// The kind of a widget, decided afresh each time: the first class name along its class chain found in the
// kind table; failing that a dialog or top-level window is a form and anything else is other.
Kind classKind(const QWidget* widget);

// Attaches one window and, for a form, every descendant that is not a window of its own. Returns 1 when the
// window was newly attached, 0 when it was already attached or null.
int attachWindow(QWidget* window);

// Undoes attachWindow for one window and, for a form, its descendants. True when the window was attached.
bool detachWindow(QWidget* window);

// Number of windows currently attached.
int attachedCount();

// The shared skin images; null while no window is attached.
const SkinImages* skinImages();

bool isAttached(const QWidget* widget);

// Property helpers: an absent property reads as 0.
int intProp(const QObject* object, const char* key);
void setProp(QObject* object, const char* key, const QVariant& value);
void removeProp(QObject* object, const char* key);

// Hands an event on to the widget's own handling (and any filters installed before the engine's) without the
// engine seeing it again, so that a painter can draw over what the widget drew itself.
void forwardEvent(QWidget* widget, QEvent* event);

// Builds the shared images and installs the application-wide watcher when nothing is attached yet.
void ensureSetUp();

} // namespace corvessa::skin
