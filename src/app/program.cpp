// SPDX-License-Identifier: GPL-3.0-or-later

#include "program.h"

#include "groupeditor/groupeditor.h"
#include "mainwindow/errortext.h"
#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "mainwindow/restoredialog.h"
#include "mainwindow/zoom.h"
#include "store/backup.h"
#include "store/connectionstring.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QSocketNotifier>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace corvessa::app {

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString causeText(store::StoreError::Kind kind) {
    using Kind = store::StoreError::Kind;
    switch (kind) {
    case Kind::DiskFull:
        return QStringLiteral("磁盘已满");
    case Kind::ReadOnly:
    case Kind::CannotOpen:
        return QStringLiteral("备份文件夹不能写入");
    case Kind::Locked:
        return QStringLiteral("个人数据库正被另一个窗口使用");
    case Kind::Io:
        return QStringLiteral("读写磁盘时出错");
    default:
        return QStringLiteral("复制时出错");
    }
}

QString unsoundText(const store::DatabaseCheck& check) {
    using State = store::DatabaseCheck::State;
    switch (check.state) {
    case State::Empty:
        return QStringLiteral("文件是空的（0 字节）");
    case State::NotADatabase:
        return QStringLiteral("文件不是本程序的数据库，或开头已损坏");
    case State::WrongShape:
        return QStringLiteral("文件里缺少必需的数据表");
    case State::Missing:
        return QStringLiteral("文件不存在");
    default:
        return QStringLiteral("文件内容已损坏");
    }
}

// Reads the groups for the two pickers after the personal database was replaced.
QStringList readGroups(store::Store& store) {
    store::Recordset& rs = store.recordset();
    QStringList groups;
    try {
        rs.setLockType(store::adLockOptimistic);
        rs.open(QStringLiteral("select * from[分组]"), store.personalConnection());
        while (!rs.eof()) {
            groups << rs.field(QStringLiteral("分组")).toString();
            rs.moveNext();
        }
    } catch (const store::StoreError& error) {
        qCWarning(lcApp) << "groups after restore:" << error.detail();
    }
    rs.release();
    return groups;
}

} // namespace

QString startupMessage(const StartupError& error) {
    switch (error.step()) {
    case StartupError::Step::DataFolder:
        return QStringLiteral("无法建立数据文件夹：\n%1").arg(native(error.path()));
    case StartupError::Step::WriteFile:
        break;
    }
    return QStringLiteral("无法写入数据库文件（磁盘已满或没有写入权限）：\n%1").arg(native(error.path()));
}

QString backupFailureMessage(const store::BackupResult& result) {
    using Failure = store::BackupResult::Failure;
    const QString kept = QStringLiteral("\n以前的备份都已保留。");
    switch (result.failure) {
    case Failure::None:
        return {};
    case Failure::SourceMissing:
        return QStringLiteral("个人数据库没有备份：找不到个人数据库文件。") + kept;
    case Failure::SourceDamaged:
        return QStringLiteral("个人数据库已损坏，这次没有备份，以免覆盖完好的备份。") + kept +
               QStringLiteral("\n下次启动时可以从备份恢复。");
    case Failure::FolderNotCreated:
        return QStringLiteral("个人数据库没有备份：无法建立备份文件夹：\n%1")
                   .arg(native(result.stampFolder)) +
               kept;
    case Failure::CopyFailed:
        return QStringLiteral("个人数据库没有备份：%1。")
                   .arg(causeText(result.cause.value_or(store::StoreError::Kind::Other))) +
               kept;
    case Failure::ReplaceFailed:
        break;
    }
    return QStringLiteral("个人数据库没有备份：备份文件无法放入备份文件夹。") + kept;
}

namespace {

// The restore from the list of backups, run by "从备份恢复…".
void restoreFromBackup(mainwindow::MainWindow& window, store::Store& store, mainwindow::Messenger& messenger,
                       const QString& backupRoot) {
    const QString password = store::parseConnectionString(store.personalConnection()).password;
    const std::vector<store::BackupEntry> entries = store::listBackups(backupRoot, password);
    if (entries.empty()) {
        messenger.information(&window, QStringLiteral("还没有任何备份。每次退出程序时都会备份个人数据库。"));
        return;
    }
    mainwindow::RestoreDialog dialog(entries, &window);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0)
        return;
    const store::BackupEntry& entry = entries[size_t(dialog.chosen())];
    if (!messenger.confirm(&window, QStringLiteral("确定用 %1 的备份（%2 条记录）替换现在的个人数据库吗？\n"
                                                   "现在的个人数据库会先备份一次。")
                                        .arg(entry.stamp)
                                        .arg(entry.check.records)))
        return;
    const store::RestoreResult result =
        store::restorePersonalDatabase(store, backupRoot, entry.path, QDateTime::currentDateTime());
    if (!result.ok) {
        messenger.information(&window,
                              QStringLiteral("没有恢复：%1。现在的个人数据库没有改变。")
                                  .arg(causeText(result.cause.value_or(store::StoreError::Kind::Other))));
        return;
    }
    window.setGroups(readGroups(store));
    window.selectTab(mainwindow::kModePersonal);
    QString text = QStringLiteral("已从 %1 的备份恢复个人数据库。").arg(entry.stamp);
    if (!result.setAsidePath.isEmpty())
        text += QStringLiteral("\n原来的文件已损坏，已改名保留为：\n%1").arg(native(result.setAsidePath));
    messenger.information(&window, text);
}

} // namespace

void connectMainWindow(mainwindow::MainWindow& window, store::Store& store, mainwindow::Messenger& messenger,
                       const QString& backupRoot) {
    window.setGroupEditorOpener([&window, &store, &messenger] {
        // The editor says what it saved; the window refills its own pickers from that.
        if (auto* editor = groupeditor::GroupEditor::open(store, messenger, &window))
            QObject::connect(editor, &groupeditor::GroupEditor::groupsSaved, &window,
                             &mainwindow::MainWindow::setGroups, Qt::UniqueConnection);
    });
    mainwindow::installRestoreAction(window, [&window, &store, &messenger, backupRoot] {
        restoreFromBackup(window, store, messenger, backupRoot);
    });
    // Whether someone is there to read a message box: not when the session ends or a signal closes the
    // window.
    auto interactive = std::make_shared<bool>(true);
    QObject::connect(&window, &mainwindow::MainWindow::closing, &window,
                     [&window, &store, &messenger, backupRoot, interactive] {
                         window.hide();
                         const store::BackupResult backup =
                             store::closeAndBackUp(store, backupRoot, QDateTime::currentDateTime());
                         if (!backup.ok) {
                             const QString text = backupFailureMessage(backup);
                             qCWarning(lcApp) << "exit backup failed:" << backup.detail;
                             if (*interactive)
                                 messenger.information(nullptr, text);
                         }
                         // Every other window goes with the main window, and no further event reaches a
                         // closed database.
                         for (QWidget* other : QApplication::topLevelWidgets()) {
                             if (other != &window)
                                 other->close();
                         }
                         QCoreApplication::quit();
                     });
    // A logout asks the program to save its data and then quits it: the exit backup runs at the first of the
    // two, at most once (closing() is emitted once).
    auto endSession = [&window, interactive] {
        *interactive = false;
        window.close();
    };
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(gui, &QGuiApplication::commitDataRequest, &window, endSession);
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &window, endSession);
}

bool recoverPersonalDatabase(const Placement& placement, const QString& backupRoot,
                             QByteArrayView personalTemplate, mainwindow::Messenger& messenger) {
    const QString personal = store::joinPath(placement.dataFolder, store::kPersonalFileName);
    const QString what =
        QStringLiteral("个人数据库有问题：%1。\n%2").arg(unsoundText(placement.personal), native(personal));
    if (placement.personalReadOnly) {
        messenger.information(nullptr,
                              what + QStringLiteral("\n\n文件是只读的，无法恢复。这次只能查询方剂库。"));
        return false;
    }
    const std::vector<store::BackupEntry> entries = store::listBackups(backupRoot, placement.password);
    const store::BackupEntry* newest = nullptr;
    for (const store::BackupEntry& entry : entries) {
        if (entry.check.sound()) {
            newest = &entry;
            break;
        }
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (!newest) {
        const QString aside = store::setAside(personal, now);
        if (aside.isEmpty()) {
            messenger.information(nullptr,
                                  what + QStringLiteral("\n\n也没有找到完好的备份。这次只能查询方剂库。"));
            return false;
        }
        try {
            placeFile(personal, personalTemplate);
        } catch (const StartupError& error) {
            messenger.information(nullptr, startupMessage(error));
            return false;
        }
        messenger.information(nullptr,
                              what + QStringLiteral("\n\n没有找到完好的备份，已新建一个空的个人数据库。"
                                                    "\n原来的文件已改名保留为：\n%1")
                                         .arg(native(aside)));
        return true;
    }
    if (!messenger.confirm(nullptr,
                           what + QStringLiteral("\n\n要用最新的完好备份恢复吗？\n备份时间：%1，共 %2 "
                                                 "条记录。\n原来的文件会改名保留，不会删除。")
                                      .arg(newest->stamp)
                                      .arg(newest->check.records))) {
        messenger.information(nullptr, QStringLiteral("个人数据库没有恢复，这次只能查询方剂库。\n"
                                                      "以前的备份都已保留，下次启动时会再次询问。"));
        return false;
    }
    store::Store store(placement.dataFolder, placement.libraryConnection, placement.personalConnection);
    const store::RestoreResult result = store::restorePersonalDatabase(store, backupRoot, newest->path, now);
    if (!result.ok) {
        messenger.information(nullptr,
                              QStringLiteral("没有恢复：%1。这次只能查询方剂库。")
                                  .arg(causeText(result.cause.value_or(store::StoreError::Kind::Other))));
        return false;
    }
    QString text = QStringLiteral("已从 %1 的备份恢复个人数据库。").arg(newest->stamp);
    if (!result.setAsidePath.isEmpty())
        text += QStringLiteral("\n原来的文件已改名保留为：\n%1").arg(native(result.setAsidePath));
    messenger.information(nullptr, text);
    return true;
}

#ifdef Q_OS_UNIX
namespace {
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}
} // namespace
#endif

void closeWindowOnTerminationSignals(mainwindow::MainWindow& window) {
#ifdef Q_OS_UNIX
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        qCWarning(lcApp) << "no socket pair for termination signals";
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[1], &byte, 1);
        notifier->setEnabled(false);
        qCWarning(lcApp) << "termination signal: quitting with the exit backup";
        // Leaving the event loop emits aboutToQuit, whose handler (connectMainWindow) closes the window
        // unattended, which runs the exit backup.
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
#else
    Q_UNUSED(window);
#endif
}

std::unique_ptr<store::Store> startStore(const Roots& roots, QByteArrayView library,
                                         QByteArrayView personalTemplate, mainwindow::Messenger& messenger) {
    std::unique_ptr<store::Store> store;
    try {
        const Placement placement = placeDatabases(roots, library, personalTemplate);
        bool personalUsable = true;
        if (!placement.personal.sound())
            personalUsable = recoverPersonalDatabase(placement, roots.backup, personalTemplate, messenger);
        else if (placement.personalReadOnly)
            messenger.information(nullptr,
                                  QStringLiteral("数据库文件是只读的，无法保存。\n"
                                                 "这次可以查询和阅读，但添加、收藏和修改都不会保存。"));
        store = std::make_unique<store::Store>(placement.dataFolder, placement.libraryConnection,
                                               placement.personalConnection);
        // Open both now: a wrong password or a damaged file is reported before any window appears.
        store->connections().connection(store->libraryConnection());
        if (personalUsable)
            store->connections().connection(store->personalConnection());
    } catch (const StartupError& error) {
        qCWarning(lcApp) << "start-up failed:" << error.detail();
        messenger.information(nullptr, startupMessage(error));
        return nullptr;
    } catch (const store::StoreError& error) {
        messenger.information(nullptr, mainwindow::userMessage(error));
        return nullptr;
    }
    return store;
}

int runProgram(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate,
               const QStringList& sourceCatalogue, const std::function<void()>& shown) {
    mainwindow::installFontSubstitutions();
    mainwindow::DialogMessenger messenger;
    const std::unique_ptr<store::Store> store = startStore(roots, library, personalTemplate, messenger);
    if (!store)
        return 1;
    writeHelpPages(store->dataFolder());

    // The window's own settings (the text size) live beside the data folder, not in it.
    const std::unique_ptr<QSettings> settings =
        mainwindow::openViewSettings(QFileInfo(QDir::cleanPath(store->dataFolder())).absolutePath());
    mainwindow::MainWindow window(*store, messenger, sourceCatalogue);
    window.useViewSettings(settings.get());
    connectMainWindow(window, *store, messenger, roots.backup);
    closeWindowOnTerminationSignals(window);
    window.show();
    if (shown)
        shown();
    return QApplication::exec();
}

} // namespace corvessa::app
