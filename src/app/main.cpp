// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandline.h"
#include "corvessa/version.h"
#include "embedded_databases.h"
#include "program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt's own texts (the text boxes' context menus, the command line's help) in Simplified Chinese like the rest
// of the program.
void installQtTexts(QTranslator& qtTexts) {
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

void setNames() {
    QCoreApplication::setApplicationName(QStringLiteral("Corvessa"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVESSA_VERSION));
}

} // namespace

int main(int argc, char** argv) {
    QTranslator qtTexts;
    if (corvessa::app::answersWithoutWindow(argc, argv)) {
        QCoreApplication core(argc, argv);
        setNames();
        installQtTexts(qtTexts);
        return corvessa::app::printAnswer(corvessa::app::readCommandLine(QCoreApplication::arguments()));
    }
    QApplication application(argc, argv);
    setNames();
    QApplication::setApplicationDisplayName(QStringLiteral("Corvessa V" CORVESSA_VERSION));
    // Ties the window to its menu entry, for the desktop's task bar and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvessa.Corvessa"));
    installQtTexts(qtTexts);
    const corvessa::app::CommandLineAnswer answer = corvessa::app::readCommandLine(QApplication::arguments());
    if (!answer.startProgram)
        return corvessa::app::printAnswer(answer);
    return corvessa::app::runProgram(corvessa::app::platformRoots(), corvessa::resources::libraryDatabase(),
                                     corvessa::resources::personalTemplate(),
                                     corvessa::resources::sourceCatalogue());
}
