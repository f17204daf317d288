// SPDX-License-Identifier: GPL-3.0-or-later

#include "scriptedmessenger.h"

namespace corvessa::mainwindow {

void ScriptedMessenger::information(QWidget*, const QString& text) {
    m_shown.append(text);
}

bool ScriptedMessenger::confirm(QWidget*, const QString& text) {
    m_shown.append(text);
    return m_answers.isEmpty() ? true : m_answers.takeFirst();
}

} // namespace corvessa::mainwindow
