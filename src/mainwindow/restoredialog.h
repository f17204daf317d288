// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/backup.h"

#include <QDialog>
#include <functional>
#include <vector>

class QAction;
class QListWidget;

namespace corvessa::mainwindow {

class MainWindow;

inline const QString kRestoreActionText = QStringLiteral("从备份恢复…");

// Adds "从备份恢复…" to the result list `List1`: in its context menu and as Ctrl+R, both only while the
// 个人验方 tab is selected. `restore` runs when it is triggered.
QAction* installRestoreAction(MainWindow& window, std::function<void()> restore);

// One line of the restore list: the stamp, the number of records and whether the backup is sound.
QString backupLine(const store::BackupEntry& entry);

// The list of backups (`RestoreList`), newest first, with "恢复" and "取消". Only a sound backup can be
// chosen.
class RestoreDialog : public QDialog {
    Q_OBJECT
public:
    RestoreDialog(const std::vector<store::BackupEntry>& entries, QWidget* parent = nullptr);
    // The index into the entries of the line chosen, or -1.
    int chosen() const;

private:
    void updateButton();

    QListWidget* m_list = nullptr;
    QPushButton* m_restore = nullptr;
    std::vector<bool> m_sound;
};

} // namespace corvessa::mainwindow
