#include "messenger.h"

#include <QMessageBox>

namespace corvessa::mainwindow {

namespace {
const QString kTitle = QStringLiteral("提示");
}

void DialogMessenger::information(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

bool DialogMessenger::confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, kTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void ScriptedMessenger::information(QWidget*, const QString& text) {
    m_shown.append(text);
}

bool ScriptedMessenger::confirm(QWidget*, const QString& text) {
    m_shown.append(text);
    return m_answers.isEmpty() ? true : m_answers.takeFirst();
}

} // namespace corvessa::mainwindow
