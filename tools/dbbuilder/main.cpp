// SPDX-License-Identifier: GPL-3.0-or-later

// Build-time tool: writes the library database from its text input, or the empty personal template.
//   corvessa-dbbuilder library <input.jsonl> <output.dat>
//   corvessa-dbbuilder personal <output.dat>
#include "dbbuild.h"

#include "store/linkdecoder.h"
#include "store/storeerror.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        const QString password =
            corvessa::store::decodeLinkList(QString::fromLatin1(corvessa::store::links::kPassword));
        QElapsedTimer timer;
        timer.start();
        if (args.size() == 4 && args[1] == QLatin1String("library")) {
            const auto records = corvessa::dbbuild::readLibraryInput(args[2]);
            corvessa::dbbuild::writeLibraryDatabase(args[3], records, password);
            std::printf("library: %zu records, %lld bytes, %lld ms\n", records.size(),
                        static_cast<long long>(QFileInfo(args[3]).size()),
                        static_cast<long long>(timer.elapsed()));
            return 0;
        }
        if (args.size() == 3 && args[1] == QLatin1String("personal")) {
            corvessa::dbbuild::writePersonalTemplate(args[2], password);
            std::printf("personal template: %lld bytes\n", static_cast<long long>(QFileInfo(args[2]).size()));
            return 0;
        }
    } catch (const corvessa::store::StoreError& error) {
        std::fprintf(stderr, "corvessa-dbbuilder: %s\n", qPrintable(error.detail()));
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvessa-dbbuilder: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: corvessa-dbbuilder library <input.jsonl> <output.dat>\n"
                         "       corvessa-dbbuilder personal <output.dat>\n");
    return 2;
}
