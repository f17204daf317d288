// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine.h"

#include "button.h"
#include "painters.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <optional>
#include <string_view>

namespace corvessa::skin {

QByteArray keys::stateImage(int state) {
    return QByteArray::number(state) + "BMP";
}

int intProp(const QObject* object, const char* key) {
    return object ? object->property(key).toInt() : 0;
}

void setProp(QObject* object, const char* key, const QVariant& value) {
    object->setProperty(key, value);
}

void removeProp(QObject* object, const char* key) {
    object->setProperty(key, QVariant()); // an invalid value removes a dynamic property
}

bool isAttached(const QWidget* widget) {
    return widget != nullptr && widget->property(keys::ProcAddr).toULongLong() != 0;
}

// ---- Kinds
// ---------------------------------------------------------------------------------------------------

namespace {

struct KindEntry {
    std::string_view name; // lower-cased; a trailing '*' matches any run of characters
    Kind kind;
};

// One table for the designed class names and the Qt classes that stand in for them.
constexpr std::array kKindTable{
    KindEntry{"#32770", Kind::Form},
    KindEntry{"thunderformdc", Kind::Form},
    KindEntry{"thunderrt6formdc", Kind::Form},
    KindEntry{"form", Kind::Form},
    KindEntry{"qdialog", Kind::Form},
    KindEntry{"thundercommandbutton", Kind::PushButton},
    KindEntry{"thunderrt6commandbutton", Kind::PushButton},
    KindEntry{"button", Kind::PushButton},
    KindEntry{"qcommandlinkbutton",
              Kind::Other}, // a push button that draws a quite different face of its own
    KindEntry{"qpushbutton", Kind::PushButton},
    KindEntry{"thundercombobox", Kind::ComboBox},
    KindEntry{"thunderrt6combobox", Kind::ComboBox},
    KindEntry{"combo", Kind::ComboBox},
    KindEntry{"combobox", Kind::ComboBox},
    KindEntry{"qcombobox", Kind::ComboBox},
    KindEntry{"thunderdrivelistbox", Kind::DriveList},
    KindEntry{"thunderrt6drivelistbox", Kind::DriveList},
    KindEntry{"thundercheckbox", Kind::CheckBox},
    KindEntry{"thunderrt6checkbox", Kind::CheckBox},
    KindEntry{"qcheckbox", Kind::CheckBox},
    KindEntry{"thunderoptionbutton", Kind::OptionButton},
    KindEntry{"thunderrt6optionbutton", Kind::OptionButton},
    KindEntry{"qradiobutton", Kind::OptionButton},
    KindEntry{"progressbar20wndclass", Kind::ProgressBar},
    KindEntry{"progressbarwndclass", Kind::ProgressBar},
    KindEntry{"qprogressbar", Kind::ProgressBar},
    KindEntry{"msvb_lib_header", Kind::Header},
    KindEntry{"sysheader32", Kind::Header},
    KindEntry{"qheaderview", Kind::Header},
    KindEntry{"datalistwndclass", Kind::DataList},
    KindEntry{"dblistwndclass", Kind::DataList},
    KindEntry{"qlistview", Kind::DataList},
    KindEntry{"qlistwidget", Kind::DataList},
    KindEntry{"qtreeview", Kind::DataList},
    KindEntry{"qtreewidget", Kind::DataList},
    KindEntry{"combolbox", Kind::DropDownList},
    KindEntry{"qcomboboxprivatecontainer", Kind::DropDownList},
    KindEntry{"apexgrid*", Kind::Grid},
    KindEntry{"qtableview", Kind::Grid},
    KindEntry{"qtablewidget", Kind::Grid},
};

std::optional<Kind> lookUpKind(const QByteArray& name) {
    const std::string_view n(name.constData(), static_cast<size_t>(name.size()));
    for (const KindEntry& e : kKindTable) {
        if (e.name.ends_with('*')) {
            if (n.starts_with(e.name.substr(0, e.name.size() - 1))) {
                return e.kind;
            }
        } else if (n == e.name) {
            return e.kind;
        }
    }
    return std::nullopt;
}

} // namespace

QByteArray className(const QObject* widget) {
    return widget ? QByteArray(widget->metaObject()->className()).toLower() : QByteArray();
}

Kind classKind(const QWidget* widget) {
    if (widget == nullptr) {
        return Kind::Other;
    }
    // Walk the class chain so that the program's own subclasses of standard controls keep the look of the
    // control they are.
    for (const QMetaObject* mo = widget->metaObject(); mo != nullptr; mo = mo->superClass()) {
        if (auto kind = lookUpKind(QByteArray(mo->className()).toLower())) {
            return *kind;
        }
    }
    return widget->isWindow() ? Kind::Form : Kind::Other;
}

// ---- Engine-wide state
// ---------------------------------------------------------------------------------------

namespace {

class Engine;
class Watcher;

struct EngineState {
    bool initialised = false;
    int attachedCount = 0;
    std::optional<SkinImages> images;
    QPointer<Engine> filter;
    QPointer<Watcher> watcher;
};

EngineState& engine() {
    static EngineState state;
    return state;
}

// A widget whose event is being handed on to its own handling, so the filter lets that one event through.
struct Forwarding {
    const QWidget* widget = nullptr;
    const QEvent* event = nullptr;
};
Forwarding g_forwarding;

void releaseShared();

// The filter installed on every attached window: it sees each event before the window's own handling.
class Engine : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == g_forwarding.widget && event == g_forwarding.event) {
            return false;
        }
        if (!isAttached(widget)) {
            return false; // detached while this event was on its way
        }
        painters::noteInput(event);
        bool consumed = false;
        const Kind kind = classKind(widget);
        if (auto* host = qobject_cast<QHeaderView*>(painters::scrollHost(widget)); host && isAttached(host)) {
            consumed = painters::handleHeaderViewport(host, widget, event);
        } else if (auto* pushButton = qobject_cast<QPushButton*>(widget);
                   pushButton && kind == Kind::PushButton) {
            consumed = button::handle(pushButton, event);
        } else {
            consumed = painters::handle(widget, kind, event);
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            painters::refreshGlyphs(widget);
        }
        return consumed;
    }

    void widgetDestroyed() {
        // The window is going away while attached: it leaves the count, as a detached window would.
        EngineState& s = engine();
        if (--s.attachedCount <= 0) {
            releaseShared();
        }
    }
};

bool overAttachedWindow(const QWidget* window) {
    if (const QWidget* parent = window->parentWidget(); parent && isAttached(parent->window())) {
        return true;
    }
    const QWidget* active = QApplication::activeWindow();
    return active != nullptr && active != window && isAttached(active);
}

void attachTree(QWidget* root) {
    attachWindow(root);
    const auto descendants = root->findChildren<QWidget*>();
    for (QWidget* child : descendants) {
        if (child->window() == root->window()) {
            attachWindow(child);
        }
    }
}

// The application-wide filter: attaches windows that appear later over an attached window (dialogs, message
// boxes, a combo box's drop-down list) and controls added to an attached window after it was attached.
class Watcher : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Hide) || !watched->isWidgetType()) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        auto* combo = widget->isWindow() ? qobject_cast<QComboBox*>(widget->parentWidget()) : nullptr;
        if (type == QEvent::Hide) {
            if (combo && isAttached(combo)) {
                painters::comboPopupChanged(combo, false);
            }
            return false;
        }
        if (combo) {
            if (isAttached(combo)) {
                if (!isAttached(widget)) {
                    attachTree(widget);
                }
                painters::comboPopupChanged(combo, true);
            }
        } else if (isAttached(widget)) {
            // nothing to do
        } else if (widget->isWindow()) {
            if (qobject_cast<QDialog*>(widget) && overAttachedWindow(widget)) {
                attachTree(widget);
            }
        } else if (isAttached(widget->parentWidget())) {
            attachTree(widget);
        }
        return false;
    }
};

void releaseShared() {
    EngineState& s = engine();
    s.attachedCount = 0;
    s.images.reset();
    s.initialised = false;
    if (s.watcher) {
        qApp->removeEventFilter(s.watcher);
    }
}

Engine* filterObject() {
    EngineState& s = engine();
    if (!s.filter) {
        s.filter = new Engine(qApp);
    }
    return s.filter;
}

// Kinds that react to the pointer moving over them, and so need mouse-move events without a button held.
bool tracksPointer(Kind kind) {
    return kind == Kind::PushButton || kind == Kind::ComboBox || kind == Kind::DriveList ||
           kind == Kind::CheckBox || kind == Kind::OptionButton;
}

inline constexpr qulonglong kTrackingSetByEngine = 0x4;

} // namespace

void ensureSetUp() {
    EngineState& s = engine();
    if (s.initialised) {
        return;
    }
    s.initialised = true;
    s.images = buildSkinImages();
    if (!s.watcher) {
        s.watcher = new Watcher(qApp);
    }
    qApp->installEventFilter(s.watcher);
}

const SkinImages* skinImages() {
    const EngineState& s = engine();
    return s.images ? &*s.images : nullptr;
}

int attachedCount() {
    return engine().attachedCount;
}

int attachWindow(QWidget* window) {
    if (window == nullptr || isAttached(window) || qApp == nullptr) {
        return 0;
    }
    ensureSetUp();
    const Kind kind = classKind(window);
    if (kind == Kind::Form) {
        // Children first, the form itself last.
        const auto descendants = window->findChildren<QWidget*>();
        for (QWidget* child : descendants) {
            if (child->window() == window) {
                attachWindow(child);
            }
        }
    }
    switch (kind) {
    case Kind::PushButton:
        if (auto* b = qobject_cast<QPushButton*>(window)) {
            button::prepare(b);
        }
        break;
    case Kind::ComboBox:
    case Kind::DriveList:
    case Kind::CheckBox:
    case Kind::OptionButton:
        setProp(window, keys::MouseFlag, 0);
        setProp(window, keys::OldState, state::Normal);
        break;
    case Kind::Header:
        setProp(window, keys::MouseFlag, 0);
        setProp(window, keys::HdIndex, -1);
        setProp(window, keys::HmIndex, -1);
        break;
    default:
        break;
    }

    qulonglong prior = prior::Attached;
    const bool headerViewport = qobject_cast<QHeaderView*>(painters::scrollHost(window)) != nullptr;
    if (window->hasMouseTracking()) {
        prior |= prior::MouseTracking;
    } else if (tracksPointer(kind) || headerViewport) {
        window->setMouseTracking(true);
        prior |= kTrackingSetByEngine;
    }

    EngineState& s = engine();
    ++s.attachedCount;
    Engine* filter = filterObject();
    window->installEventFilter(filter);
    QObject::connect(window, &QObject::destroyed, filter, &Engine::widgetDestroyed);
    setProp(window, keys::ProcAddr, prior);
    window->update();
    return 1;
}

bool detachWindow(QWidget* window) {
    if (!isAttached(window)) {
        return false;
    }
    const Kind kind = classKind(window);
    if (kind == Kind::Form) {
        const auto descendants = window->findChildren<QWidget*>();
        for (QWidget* child : descendants) {
            detachWindow(child);
        }
    }
    switch (kind) {
    case Kind::PushButton:
        if (auto* b = qobject_cast<QPushButton*>(window)) {
            button::release(b);
        }
        break;
    case Kind::ComboBox:
    case Kind::DriveList:
    case Kind::CheckBox:
    case Kind::OptionButton:
        removeProp(window, keys::MouseFlag);
        removeProp(window, keys::OldState);
        break;
    case Kind::Header:
        removeProp(window, keys::MouseFlag);
        removeProp(window, keys::HdIndex);
        removeProp(window, keys::HmIndex);
        break;
    default:
        break;
    }

    const qulonglong prior = window->property(keys::ProcAddr).toULongLong();
    if (prior & kTrackingSetByEngine) {
        window->setMouseTracking(false);
    }
    EngineState& s = engine();
    if (s.filter) {
        window->removeEventFilter(s.filter);
        QObject::disconnect(window, &QObject::destroyed, s.filter, &Engine::widgetDestroyed);
    }
    removeProp(window, keys::ProcAddr);
    window->update();

    if (--s.attachedCount <= 0) {
        releaseShared();
    }
    return true;
}

void forwardEvent(QWidget* widget, QEvent* event) {
    const Forwarding saved = g_forwarding;
    g_forwarding = {widget, event};
    QCoreApplication::sendEvent(widget, event);
    g_forwarding = saved;
}

} // namespace corvessa::skin
