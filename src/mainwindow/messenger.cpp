// SPDX-License-Identifier: GPL-3.0-or-later

#include "messenger.h"

#include <QMessageBox>
#include <QPushButton>

namespace corvessa::mainwindow {

namespace {
const QString kTitle = QStringLiteral("提示");
}

void DialogMessenger::information(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, parent);
    // A screen reader announces the box by its title and reads the message with it.
    box.setAccessibleName(kTitle);
    box.setAccessibleDescription(text);
    // The program ships no Qt translations; the button captions are set here so every text stays Chinese.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

bool DialogMessenger::confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, kTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setAccessibleName(kTitle);
    box.setAccessibleDescription(text);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace corvessa::mainwindow
