#include "embedded_databases.h"
#include "program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvessa"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvessa V2.0"));
    return corvessa::app::runProgram(corvessa::app::platformRoots(), corvessa::resources::libraryDatabase(),
                                     corvessa::resources::personalTemplate(),
                                     corvessa::resources::sourceCatalogue());
}
