// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QAbstractItemView;
class QPlainTextEdit;
class QSettings;
class QWidget;

namespace corvessa::mainwindow {

// Bigger (or smaller) text in the two places where the user reads: the detail view and the result list.
// Ctrl+= / Ctrl+- / Ctrl+0 and Ctrl with the mouse wheel step through fixed sizes; the size chosen is kept in
// the settings handed in, so the next window opens with it.
class ViewZoom : public QObject {
    Q_OBJECT
public:
    static constexpr int kNormal = 100;
    // The sizes, in percent of the designed fonts, that the keys step through.
    static const std::array<int, 10>& steps();

    // `setItemHeight` sets the height of every line of the list, in pixels.
    ViewZoom(QWidget& window, QPlainTextEdit* detail, QAbstractItemView* list,
             std::function<void(int)> setItemHeight);

    // Reads the remembered size from `settings` (null: nothing is remembered) and applies it.
    void useSettings(QSettings* settings);

    int percent() const { return m_percent; }
    void setPercent(int percent);
    void zoomIn();
    void zoomOut();
    void reset() { setPercent(kNormal); }

signals:
    void changed(int percent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();

    QPlainTextEdit* m_detail;
    QAbstractItemView* m_list;
    std::function<void(int)> m_setItemHeight;
    qreal m_detailPoints;
    qreal m_listPoints;
    int m_percent = kNormal;
    QSettings* m_settings = nullptr;
};

// The settings file of the window ("corvessa.ini" in `folder`), readable by its owner only. The folder is the
// one that holds the data folder.
std::unique_ptr<QSettings> openViewSettings(const QString& folder);

} // namespace corvessa::mainwindow
