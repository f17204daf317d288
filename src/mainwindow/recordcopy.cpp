// SPDX-License-Identifier: GPL-3.0-or-later

// Copying the shown record as text, from the context menu of the result list.
#include "mainwindow.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QListWidget>
#include <QPlainTextEdit>

namespace corvessa::mainwindow {

QString MainWindow::wholeRecordText() const {
    const QString content = m_ui.text2->toPlainText();
    if (!m_shownRecord || content.isEmpty())
        return QString();
    const store::RecordFields& fields = m_shownRecord->fields;
    QStringList lines;
    const auto add = [&lines](const QString& caption, const QVariant& value) {
        const QString text = value.toString();
        if (!text.isEmpty())
            lines << caption + QStringLiteral("：") + text;
    };
    add(QStringLiteral("方名"), fields.name);
    add(QStringLiteral("出处"), fields.source);
    add(QStringLiteral("主治"), fields.indications);
    // The full text as the detail view shows it: readable, with the edits of an own prescription in it.
    lines << QString() << content;
    return lines.join(QLatin1Char('\n'));
}

void MainWindow::setUpRecordCopy() {
    auto* copy = new QAction(QStringLiteral("复制整条记录"), m_ui.list1);
    copy->setObjectName(QStringLiteral("actionCopyRecord"));
    const QKeySequence key(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    copy->setShortcut(key);
    copy->setShortcutContext(Qt::WidgetShortcut);
    copy->setToolTip(QStringLiteral("复制整条记录（%1）").arg(key.toString(QKeySequence::NativeText)));
    // A right click selects the line under the pointer first, so the record copied is the one clicked.
    connect(copy, &QAction::triggered, this, [this] {
        const QString text = wholeRecordText();
        if (!text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
    });
    m_ui.list1->addAction(copy);
    m_ui.list1->setContextMenuPolicy(Qt::ActionsContextMenu);
}

} // namespace corvessa::mainwindow
