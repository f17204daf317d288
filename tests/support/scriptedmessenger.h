// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "mainwindow/messenger.h"

#include <QList>
#include <QStringList>

namespace corvessa::mainwindow {

// A messenger for tests and offscreen tools: records every text shown instead of opening a modal box, and
// answers confirmations from a script (Yes when the script is empty).
class ScriptedMessenger : public Messenger {
public:
    void information(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;

    void setNextAnswer(bool yes) { m_answers.append(yes); }
    const QStringList& shown() const { return m_shown; }
    QString last() const { return m_shown.isEmpty() ? QString() : m_shown.last(); }
    void clear() { m_shown.clear(); }

private:
    QStringList m_shown;
    QList<bool> m_answers;
};

} // namespace corvessa::mainwindow
