#include "program.h"

#include "groupeditor/groupeditor.h"
#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "store/backup.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <memory>

namespace corvessa::app {

void connectMainWindow(mainwindow::MainWindow& window, store::Store& store, mainwindow::Messenger& messenger,
                       const QString& backupRoot) {
    window.setGroupEditorOpener([&window, &store, &messenger] {
        groupeditor::GroupEditor::open(store, messenger, window.controls().text6, window.controls().c1,
                                       &window);
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

    mainwindow::MainWindow window(*store, messenger, sourceCatalogue);
    connectMainWindow(window, *store, messenger, roots.backup);
    window.show();
    return QApplication::exec();
}

} // namespace corvessa::app
