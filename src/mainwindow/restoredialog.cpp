// SPDX-License-Identifier: GPL-3.0-or-later

#include "restoredialog.h"

#include "mainwindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvessa::mainwindow {

QAction* installRestoreAction(MainWindow& window, std::function<void()> restore) {
    // List1 may be any item view: only what every QWidget offers is used on it.
    auto* list = window.findChild<QWidget*>(QStringLiteral("List1"));
    auto* action = new QAction(kRestoreActionText, list ? static_cast<QObject*>(list) : &window);
    action->setObjectName(QStringLiteral("RestoreAction"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(QStringLiteral("从备份恢复个人验方 (Ctrl+R)"));
    action->setVisible(window.currentTab() == kModePersonal);
    if (list) {
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        list->addAction(action);
    } else {
        window.addAction(action);
    }
    QObject::connect(&window, &MainWindow::modeSelected, action,
                     [action](int mode) { action->setVisible(mode == kModePersonal); });
    QObject::connect(action, &QAction::triggered, &window, [restore = std::move(restore)] { restore(); });
    return action;
}

QString backupLine(const store::BackupEntry& entry) {
    if (!entry.check.sound())
        return QStringLiteral("%1    已损坏，不能恢复").arg(entry.stamp);
    return QStringLiteral("%1    %2 条记录    完好").arg(entry.stamp).arg(entry.check.records);
}

RestoreDialog::RestoreDialog(const std::vector<store::BackupEntry>& entries, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("RestoreDialog"));
    setWindowTitle(QStringLiteral("从备份恢复"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("选择一个备份，恢复个人验方、我的收藏和分组。\n"
                                           "恢复前，现在的个人数据库会先备份一次。"),
                            this);
    layout->addWidget(hint);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("RestoreList"));
    m_list->setAccessibleName(QStringLiteral("备份列表"));
    for (const store::BackupEntry& entry : entries) {
        m_list->addItem(backupLine(entry));
        m_sound.push_back(entry.check.sound());
    }
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(QStringLiteral("恢复"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::currentRowChanged, this, &RestoreDialog::updateButton);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (chosen() >= 0)
            accept();
    });
    for (size_t i = 0; i < m_sound.size(); ++i) {
        if (m_sound[i]) {
            m_list->setCurrentRow(int(i));
            break;
        }
    }
    updateButton();
}

int RestoreDialog::chosen() const {
    const int row = m_list->currentRow();
    return row >= 0 && size_t(row) < m_sound.size() && m_sound[size_t(row)] ? row : -1;
}

void RestoreDialog::updateButton() {
    m_restore->setEnabled(chosen() >= 0);
}

} // namespace corvessa::mainwindow
