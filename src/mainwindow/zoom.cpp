// SPDX-License-Identifier: GPL-3.0-or-later

#include "zoom.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QSettings>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

namespace corvessa::mainwindow {

namespace {

const QString kZoomKey = QStringLiteral("view/zoomPercent");
constexpr int kDesignedItemHeight = 22;
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString withShortcut(const QString& text, const QKeySequence& key) {
    return QStringLiteral("%1（%2）").arg(text, key.toString(QKeySequence::NativeText));
}

} // namespace

const std::array<int, 10>& ViewZoom::steps() {
    static const std::array<int, 10> values{80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
    return values;
}

ViewZoom::ViewZoom(QWidget& window, QPlainTextEdit* detail, QAbstractItemView* list,
                   std::function<void(int)> setItemHeight)
    : QObject(&window), m_detail(detail), m_list(list), m_setItemHeight(std::move(setItemHeight)),
      m_detailPoints(detail->font().pointSizeF()), m_listPoints(list->font().pointSizeF()) {
    struct Command {
        const char* name;
        const char16_t* text;
        QList<QKeySequence> keys;
        void (ViewZoom::*run)();
    };
    // Ctrl+= is the key on the keyboard; Ctrl++ is what the platform calls zooming in (Shift held).
    const Command commands[] = {
        {"actionZoomIn",
         u"放大文字",
         {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence::ZoomIn},
         &ViewZoom::zoomIn},
        {"actionZoomOut", u"缩小文字", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, &ViewZoom::zoomOut},
        {"actionZoomReset", u"文字恢复原大小", {QKeySequence(Qt::CTRL | Qt::Key_0)}, &ViewZoom::reset},
    };
    for (const Command& command : commands) {
        auto* action = new QAction(QString::fromUtf16(command.text), &window);
        action->setObjectName(QString::fromLatin1(command.name));
        action->setShortcuts(command.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setToolTip(withShortcut(action->text(), command.keys.first()));
        connect(action, &QAction::triggered, this, command.run);
        window.addAction(action);
    }
    m_detail->viewport()->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

void ViewZoom::useSettings(QSettings* settings) {
    m_settings = settings;
    if (!m_settings)
        return;
    bool ok = false;
    const int remembered = m_settings->value(kZoomKey, kNormal).toInt(&ok);
    // A value edited by hand may be anything; only the sizes offered by the keys are taken.
    const auto& s = steps();
    if (ok && std::find(s.begin(), s.end(), remembered) != s.end() && remembered != m_percent) {
        m_percent = remembered;
        apply();
        emit changed(m_percent);
    }
}

void ViewZoom::setPercent(int percent) {
    percent = std::clamp(percent, steps().front(), steps().back());
    if (percent == m_percent)
        return;
    m_percent = percent;
    apply();
    if (m_settings) {
        m_settings->setValue(kZoomKey, m_percent);
        m_settings->sync();
        QFile::setPermissions(m_settings->fileName(), kOwnerOnly);
    }
    emit changed(m_percent);
}

void ViewZoom::zoomIn() {
    const auto& s = steps();
    const auto next = std::upper_bound(s.begin(), s.end(), m_percent);
    if (next != s.end())
        setPercent(*next);
}

void ViewZoom::zoomOut() {
    const auto& s = steps();
    const auto below = std::lower_bound(s.begin(), s.end(), m_percent);
    if (below != s.begin())
        setPercent(*std::prev(below));
}

void ViewZoom::apply() {
    const qreal factor = m_percent / 100.0;
    QFont detailFont = m_detail->font();
    detailFont.setPointSizeF(m_detailPoints * factor);
    m_detail->setFont(detailFont);
    QFont listFont = m_list->font();
    listFont.setPointSizeF(m_listPoints * factor);
    m_list->setFont(listFont);
    if (m_setItemHeight)
        m_setItemHeight(int(std::lround(kDesignedItemHeight * factor)));
}

bool ViewZoom::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier))
        return false;
    const int delta = wheel->angleDelta().y();
    if (delta > 0)
        zoomIn();
    else if (delta < 0)
        zoomOut();
    return true; // Ctrl with the wheel zooms; it never scrolls
}

std::unique_ptr<QSettings> openViewSettings(const QString& folder) {
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("corvessa.ini"));
    // The file exists with owner-only rights before anything is written into it.
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.close();
    QFile::setPermissions(path, kOwnerOnly);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace corvessa::mainwindow
