#include "program.h"

#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QApplication>
#include <memory>

namespace corvessa::app {

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
    window.show();
    return QApplication::exec();
}

} // namespace corvessa::app
