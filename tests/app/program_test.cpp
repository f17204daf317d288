// The main window tied to the rest of the program: closing it backs up the personal database and ends the
// program, and "编辑分组" opens the group editor over it.
#include "fixture.h"
#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "program.h"
#include "scriptedmessenger.h"
#include "store/backup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

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
        QFile copy(store::backupFolderPath(backupRoot.path()) + QLatin1Char('/') + folders[0] +
                   QStringLiteral("/个人经方数据库.dat"));
        QFile original(db.personalPath());
        QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
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
