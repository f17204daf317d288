#include "embedded_databases.h"
#include "program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvessa"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvessa V2.0"));
    // Qt's own texts (the text boxes' context menus, for one) in Simplified Chinese like the rest of the
    // program.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    return corvessa::app::runProgram(corvessa::app::platformRoots(), corvessa::resources::libraryDatabase(),
                                     corvessa::resources::personalTemplate(),
                                     corvessa::resources::sourceCatalogue());
}
