// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the main window on each of its four mode tabs, the way a user first sees it, into PNG files. It
// runs on the offscreen platform, so it needs no display; the databases are placed in a temporary folder from
// the copies built into the program.
#include "assets.h"
#include "embedded_databases.h"
#include "groupeditor/groupeditor.h"
#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "mainwindow/zoom.h"
#include "scriptedmessenger.h"
#include "startup.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>

using namespace corvessa;

namespace {

bool save(const QPixmap& picture, const QString& path) {
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// A favourite and an own prescription, copied from the first textbook formula, so those tabs show a list.
void addSampleRecords(store::Store& store) {
    store::Recordset& records = store.recordset();
    records.setLockType(store::adLockOptimistic);
    records.setCursorLocation(store::adUseClient);
    records.open(
        QStringLiteral("select * from[中药方剂] where [分组] ='1' and [类别] = '中药经方' order by [方名]"),
        store.libraryConnection());
    if (records.eof()) {
        records.release();
        return;
    }
    const QVariant name = records.field(QStringLiteral("方名"));
    const QVariant source = records.field(QStringLiteral("出处"));
    const QVariant indications = records.field(QStringLiteral("主治"));
    const QVariant content = records.field(QStringLiteral("内容"));
    records.release();

    records.setLockType(store::adLockOptimistic);
    records.setCursorLocation(store::adUseClient);
    records.open(QStringLiteral("select * from[中药方剂] "), store.personalConnection());
    const struct {
        QString category;
        QString group;
        QString key;
    } copies[] = {{store::kCategoryFavourite, QString(), QStringLiteral("240301090000")},
                  {store::kCategoryPersonal, QStringLiteral("解表剂"), QStringLiteral("240301090100")}};
    for (const auto& copy : copies) {
        records.addNew();
        records.setField(QStringLiteral("方名"), name);
        records.setField(QStringLiteral("出处"), copy.group.isEmpty() ? source : QString());
        records.setField(QStringLiteral("主治"), copy.group.isEmpty() ? indications : QString());
        records.setField(QStringLiteral("内容"), content);
        records.setField(QStringLiteral("类别"), copy.category);
        records.setField(QStringLiteral("分组"), copy.group);
        records.setField(QStringLiteral("序号"), copy.key);
        records.update();
    }
    records.release();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(CORVESSA_DOCS_DIR);
    QDir().mkpath(output);

    QTemporaryDir root;
    mainwindow::installFontSubstitutions();
    mainwindow::ScriptedMessenger messenger;
    try {
        const app::Roots roots{root.path(), QString(), root.path()};
        const app::Placement placement =
            app::placeDatabases(roots, resources::libraryDatabase(), resources::personalTemplate());
        store::Store store(placement.dataFolder, placement.libraryConnection, placement.personalConnection);
        addSampleRecords(store);

        mainwindow::MainWindow window(store, messenger, resources::sourceCatalogue());
        window.move(0, 0);
        window.show();
        QApplication::processEvents();
        static const char* const names[] = {"library", "favourites", "personal", "herbs"};
        for (int tab = 0; tab < 4; ++tab) {
            window.selectTab(tab);
            QListView* list = window.controls().list1;
            const int lines = list->model()->rowCount();
            if (lines > 0)
                list->setCurrentIndex(list->model()->index(0, 0));
            QApplication::processEvents();
            const QString path = QDir(output).filePath(
                QStringLiteral("mainwindow-%1-%2.png").arg(tab).arg(QLatin1String(names[tab])));
            if (!window.grab().save(path)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
            std::printf("%s: %d lines\n", qPrintable(path), lines);
        }

        // A record whose text holds characters of the CJK extensions (䗪, Ext A), drawn by the fallback
        // fonts.
        window.selectTab(0);
        window.controls().text1->setText(QStringLiteral("䵟𪑅"));
        window.librarySearch();
        if (QListView* list = window.controls().list1; list->model()->rowCount() > 0)
            list->setCurrentIndex(list->model()->index(0, 0));
        QApplication::processEvents();
        if (!save(window.grab(), QDir(output).filePath(QStringLiteral("rare-characters.png"))))
            return 1;
        // Read by keyboard: bigger text and the focus mark on the result list.
        window.selectTab(0);
        window.zoom().setPercent(150);
        window.activateWindow();
        for (int i = 0; i < 100 && !window.isActiveWindow(); ++i) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
        window.controls().list1->setCurrentIndex(window.controls().list1->model()->index(1, 0));
        window.controls().list1->setFocus(Qt::TabFocusReason);
        // A key, as the user presses it: the skin shows the focus band once the keyboard is in use.
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(window.controls().list1, &down);
        QApplication::processEvents();
        if (!save(window.grab(), QDir(output).filePath(QStringLiteral("mainwindow-keyboard.png"))))
            return 1;
        window.zoom().reset();

        // The group editor and a message box, both skinned because they appear over the skinned window.
        mainwindow::DialogMessenger dialogs;
        auto* editor = groupeditor::GroupEditor::open(store, dialogs, &window);
        QApplication::processEvents();
        if (!save(editor->grab(), QDir(output).filePath(QStringLiteral("groupeditor.png"))))
            return 1;
        editor->close();
        QPixmap messagePicture;
        QTimer::singleShot(200, [&messagePicture] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                messagePicture = box->grab();
                box->accept();
            }
        });
        dialogs.information(&window, QStringLiteral("已收藏！"));
        if (messagePicture.isNull() ||
            !save(messagePicture, QDir(output).filePath(QStringLiteral("messagebox.png"))))
            return 1;
        store.closeAll();
    } catch (const app::StartupError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.detail()));
        return 1;
    } catch (const store::StoreError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.detail()));
        return 1;
    }
    for (const QString& text : messenger.shown())
        std::printf("message: %s\n", qPrintable(text));
    return 0;
}
