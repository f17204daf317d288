// SPDX-License-Identifier: GPL-3.0-or-later

// The whole program on temporary folders: <root> <library file> <personal template file>. Prints "ready" once
// the window is up and the exit paths are in place, so a test can end the session at a known moment.
#include "program.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 4)
        return 2;
    auto read = [](const char* path) {
        QFile file(QString::fromLocal8Bit(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QByteArray library = read(argv[2]);
    const QByteArray personal = read(argv[3]);
    return corvessa::app::runProgram({root, QString(), root}, library, personal, {}, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
}
