#include "program.h"

#include "groupeditor/groupeditor.h"
#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "mainwindow/zoom.h"
#include "store/backup.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace corvessa::app {

void connectMainWindow(mainwindow::MainWindow& window, store::Store& store, mainwindow::Messenger& messenger,
                       const QString& backupRoot) {
    window.setGroupEditorOpener([&window, &store, &messenger] {
        // The editor says what it saved; the window refills its own pickers from that.
        if (auto* editor = groupeditor::GroupEditor::open(store, messenger, &window))
            QObject::connect(editor, &groupeditor::GroupEditor::groupsSaved, &window,
                             &mainwindow::MainWindow::setGroups, Qt::UniqueConnection);
    });
    QObject::connect(&window, &mainwindow::MainWindow::closing, &window,
                     [&window, &store, &messenger, backupRoot] {
                         window.hide();
                         const store::BackupResult backup =
                             store::closeAndBackUp(store, backupRoot, QDateTime::currentDateTime());
                         if (!backup.ok)
                             messenger.information(nullptr, backup.failure);
                         // Every other window goes with the main window, and no further event reaches a
                         // closed database.
                         for (QWidget* other : QApplication::topLevelWidgets()) {
                             if (other != &window)
                                 other->close();
                         }
                         QCoreApplication::quit();
                     });
}

int runProgram(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate,
               const QStringList& sourceCatalogue) {
    mainwindow::installFontSubstitutions();
    mainwindow::DialogMessenger messenger;
    std::unique_ptr<store::Store> store;
    try {
        const Placement placement = placeDatabases(roots, library, personalTemplate);
        store = std::make_unique<store::Store>(placement.dataFolder, placement.libraryConnection,
                                               placement.personalConnection);
        // Open both now: a wrong password or a damaged file is reported before any window appears.
        store->connections().connection(store->libraryConnection());
        store->connections().connection(store->personalConnection());
    } catch (const StartupError& error) {
        messenger.information(nullptr, error.message());
        return 1;
    } catch (const store::StoreError& error) {
        messenger.information(nullptr, error.message());
        return 1;
    }
    writeHelpPages(store->dataFolder());

    // The window's own settings (the text size) live beside the data folder, not in it.
    const std::unique_ptr<QSettings> settings =
        mainwindow::openViewSettings(QFileInfo(QDir::cleanPath(store->dataFolder())).absolutePath());
    mainwindow::MainWindow window(*store, messenger, sourceCatalogue);
    window.useViewSettings(settings.get());
    connectMainWindow(window, *store, messenger, roots.backup);
    window.show();
    return QApplication::exec();
}

} // namespace corvessa::app
