// SPDX-License-Identifier: GPL-3.0-or-later

// The main window tied to the rest of the program: closing it backs up the personal database and ends the
// program, and "编辑分组" opens the group editor over it.
#include "fixture.h"
#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "program.h"
#include "scriptedmessenger.h"
#include "store/backup.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/store.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvessa;

namespace {

void clickHitArea(QWidget* hitArea) {
    const QPointF inside(2, 2);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, inside, hitArea->mapToGlobal(inside), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(hitArea, &event);
    }
}

QStringList backupFolders(const QString& root) {
    return QDir(store::backupFolderPath(root)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 personalRecords(const QString& path) {
    store::Connection connection(path, testsupport::FixtureDatabases::password());
    store::Statement count(connection, QStringLiteral("SELECT count(*) FROM [中药方剂]"));
    return count.step() ? count.int64(0) : -1;
}

void addRecord(testsupport::FixtureDatabases& db, const QString& name) {
    db.execPersonal(QStringLiteral("INSERT INTO [中药方剂] ([方名],[内容],[类别],[序号],[分组]) VALUES "
                                   "('%1','x','个人验方','%1','')")
                        .arg(name));
}

// The program's start on fixture databases: the data folder below `root`, the backups beside it.
struct Start {
    testsupport::FixtureDatabases db;
    QTemporaryDir dir;
    QString root = dir.path();
    QString dataFolder = root + QStringLiteral("/中药方剂数据库");
    QString personal = dataFolder + QStringLiteral("/个人经方数据库.dat");
    QByteArray library = readAll(db.libraryPath());
    QByteArray personalTemplate = readAll(db.personalPath());
    app::Roots roots() const { return {root, QString(), root}; }
};

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { mainwindow::installFontSubstitutions(); }

    void closingBacksUpAndClosesTheDatabases() {
        testsupport::FixtureDatabases db;
        mainwindow::ScriptedMessenger messenger;
        QTemporaryDir backupRoot;
        mainwindow::MainWindow window(db.store(), messenger, {});
        app::connectMainWindow(window, db.store(), messenger, backupRoot.path());
        window.show();
        QVERIFY(db.store().connections().isOpen(db.store().personalConnection()));

        clickHitArea(window.findChild<QLabel*>(QStringLiteral("Image1"))); // the close image
        QVERIFY(!window.isVisible());
        QVERIFY(!db.store().connections().isOpen(db.store().personalConnection()));
        const QStringList folders = backupFolders(backupRoot.path());
        QCOMPARE(folders.size(), 1);
        QVERIFY(store::isBackupStamp(folders[0]));
        const QString copy = store::backupFolderPath(backupRoot.path()) + QLatin1Char('/') + folders[0] +
                             QStringLiteral("/个人经方数据库.dat");
        const store::DatabaseCheck check =
            store::checkPersonalDatabase(copy, testsupport::FixtureDatabases::password());
        QVERIFY(check.sound());
        QCOMPARE(check.records, personalRecords(db.personalPath()));
        QVERIFY(messenger.shown().isEmpty());
    }

    void aFailedBackupIsReported() {
        testsupport::FixtureDatabases db;
        mainwindow::ScriptedMessenger messenger;
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("中药方剂数据库备份")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the backup folder must go
        blocker.close();
        mainwindow::MainWindow window(db.store(), messenger, {});
        app::connectMainWindow(window, db.store(), messenger, dir.path());
        window.close();
        QCOMPARE(messenger.shown().size(), 1);
        QVERIFY(messenger.last().contains(QStringLiteral("备份")));
    }

    void anUnsoundPersonalFileIsRestoredFromTheNewestSoundBackup() {
        Start start;
        QDir().mkpath(start.dataFolder);
        // A sound backup with two records, and a newer one that is damaged.
        addRecord(start.db, QStringLiteral("甲"));
        addRecord(start.db, QStringLiteral("乙"));
        start.db.store().closeAll();
        const store::BackupResult good = store::backupPersonalDatabase(
            start.db.dataFolder(), start.root, QDateTime(QDate(2026, 12, 1), QTime(9, 0)),
            testsupport::FixtureDatabases::password());
        QVERIFY(good.ok);
        const QString newer = store::backupFolderPath(start.root) + QStringLiteral("/2026-12-02 09：00");
        QDir().mkpath(newer);
        QFile(good.copyPath).copy(newer + QStringLiteral("/个人经方数据库.dat"));
        QFile::resize(newer + QStringLiteral("/个人经方数据库.dat"), 0);
        // The file in place is empty (a crash, a full disk).
        QFile(start.personal).open(QIODevice::WriteOnly);

        mainwindow::ScriptedMessenger messenger;
        messenger.setNextAnswer(true);
        auto store = app::startStore(start.roots(), start.library, start.personalTemplate, messenger);
        QVERIFY(store);
        QVERIFY2(messenger.shown().size() == 2, qPrintable(messenger.shown().join(QLatin1Char('|'))));
        QVERIFY(messenger.shown()[0].contains(QStringLiteral("0 字节")));
        QVERIFY(messenger.shown()[0].contains(QStringLiteral("2026-12-01 09：00")));
        QVERIFY(messenger.shown()[1].contains(QStringLiteral("已从 2026-12-01 09：00 的备份恢复")));
        store->closeAll();
        QCOMPARE(personalRecords(start.personal), qint64(2));
        // The empty file was set aside, not deleted.
        const QStringList aside =
            QDir(start.dataFolder).entryList({QStringLiteral("个人经方数据库.dat.损坏-*")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(QFileInfo(start.dataFolder + QLatin1Char('/') + aside[0]).size(), qint64(0));
    }

    void aDeclinedRestoreLeavesTheFileWhereItIs() {
        Start start;
        QDir().mkpath(start.dataFolder);
        start.db.store().closeAll();
        QVERIFY(store::backupPersonalDatabase(start.db.dataFolder(), start.root, QDateTime::currentDateTime(),
                                              testsupport::FixtureDatabases::password())
                    .ok);
        QFile damaged(start.personal);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();

        mainwindow::ScriptedMessenger messenger;
        messenger.setNextAnswer(false);
        auto store = app::startStore(start.roots(), start.library, start.personalTemplate, messenger);
        QVERIFY(store); // the library can still be used
        QCOMPARE(readAll(start.personal), QByteArray(8192, 'x'));
        QVERIFY(messenger.last().contains(QStringLiteral("没有恢复")));
        store->closeAll();
    }

    void aReadOnlyPersonalFileStartsAndSaysSoOnce() {
        Start start;
        QDir().mkpath(start.dataFolder);
        QVERIFY(QFile::copy(start.db.personalPath(), start.personal));
        QFile::setPermissions(start.personal, QFile::ReadOwner);
        mainwindow::ScriptedMessenger messenger;
        auto store = app::startStore(start.roots(), start.library, start.personalTemplate, messenger);
        QVERIFY(store);
        QCOMPARE(messenger.shown().size(), 1);
        QVERIFY(messenger.last().startsWith(QStringLiteral("数据库文件是只读的，无法保存。")));
        // The library answers searches.
        mainwindow::MainWindow window(*store, messenger, {});
        QVERIFY(window.findChild<QAbstractItemView*>(QStringLiteral("List1"))->model()->rowCount() > 0);
        QCOMPARE(messenger.shown().size(), 1);
        store->closeAll();
        QFile::setPermissions(start.personal, QFile::ReadOwner | QFile::WriteOwner);
    }

    void aTerminationSignalLeavesABackup() {
#ifdef Q_OS_UNIX
        Start start;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(CORVESSA_SESSION_CHILD),
                    {start.root, start.db.libraryPath(), start.db.personalPath()});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(60000));
        QVERIFY(child.readAllStandardOutput().contains("ready"));
        child.terminate(); // SIGTERM, as at logout
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        const QStringList folders = backupFolders(start.root);
        QCOMPARE(folders.size(), 1);
        const QString copy = store::backupFolderPath(start.root) + QLatin1Char('/') + folders[0] +
                             QStringLiteral("/个人经方数据库.dat");
        QVERIFY(store::checkPersonalDatabase(copy, testsupport::FixtureDatabases::password()).sound());
#else
        QSKIP("signals are a POSIX matter");
#endif
    }

    void restoreIsOnThePersonalTabsListAndRestoresABackup() {
        testsupport::FixtureDatabases db;
        mainwindow::ScriptedMessenger messenger;
        QTemporaryDir backupRoot;
        addRecord(db, QStringLiteral("备份里的方"));
        db.store().closeAll();
        const store::BackupResult backup = store::backupPersonalDatabase(
            db.dataFolder(), backupRoot.path(), QDateTime(QDate(2026, 12, 1), QTime(9, 0)),
            testsupport::FixtureDatabases::password());
        QVERIFY(backup.ok);
        addRecord(db, QStringLiteral("后来的方"));

        mainwindow::MainWindow window(db.store(), messenger, {});
        app::connectMainWindow(window, db.store(), messenger, backupRoot.path());
        auto* list = window.findChild<QWidget*>(QStringLiteral("List1"));
        QAction* action = window.findChild<QAction*>(QStringLiteral("RestoreAction"));
        QVERIFY(action);
        QVERIFY(list->actions().contains(action));
        QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(action->text(), QStringLiteral("从备份恢复…"));
        QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        QVERIFY(!action->isVisible());
        window.selectTab(mainwindow::kModePersonal);
        QVERIFY(action->isVisible());
        window.selectTab(mainwindow::kModeFavourites);
        QVERIFY(!action->isVisible());
        window.selectTab(mainwindow::kModePersonal);

        // The dialog lists the backup with its record count; choosing it and confirming restores it.
        QString listed;
        QTimer::singleShot(0, &window, [&] {
            auto* dialog = window.findChild<QDialog*>(QStringLiteral("RestoreDialog"));
            if (!dialog)
                return;
            auto* lines = dialog->findChild<QListWidget*>(QStringLiteral("RestoreList"));
            listed = lines->item(0)->text();
            dialog->accept();
        });
        messenger.setNextAnswer(true);
        action->trigger();
        QVERIFY(listed.contains(QStringLiteral("2026-12-01 09：00")));
        QVERIFY(listed.contains(QStringLiteral("1 条记录")));
        QVERIFY(listed.contains(QStringLiteral("完好")));
        QVERIFY(messenger.last().contains(QStringLiteral("已从 2026-12-01 09：00 的备份恢复")));
        auto* view = window.findChild<QAbstractItemView*>(QStringLiteral("List1"));
        QCOMPARE(view->model()->rowCount(), 1);
        QVERIFY(view->model()->index(0, 0).data().toString().contains(QStringLiteral("备份里的方")));
        // The file that was replaced went into a backup of its own first.
        QCOMPARE(backupFolders(backupRoot.path()).size(), 2);
    }

    void editGroupsOpensTheGroupEditorOverTheWindow() {
        testsupport::FixtureDatabases db;
        mainwindow::ScriptedMessenger messenger;
        QTemporaryDir backupRoot;
        mainwindow::MainWindow window(db.store(), messenger, {});
        app::connectMainWindow(window, db.store(), messenger, backupRoot.path());
        window.selectTab(2);
        clickHitArea(window.findChild<QLabel*>(QStringLiteral("Label9_8")));
        QWidget* editor = window.findChild<QWidget*>(QStringLiteral("Form2"));
        QVERIFY(editor);
        QTRY_VERIFY(editor->isVisible());
        QVERIFY(editor->isWindow());
    }
};

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
