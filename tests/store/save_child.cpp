// SPDX-License-Identifier: GPL-3.0-or-later

// Saves prescriptions in a loop and prints the number of each save once it has returned; a test kills this
// process at random moments and checks that every reported save survived.
#include "store/connectionstring.h"
#include "store/linkdecoder.h"
#include "store/records.h"
#include "store/schema.h"
#include "store/store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    using namespace corvessa::store;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString password = decodeLinkList(QString::fromLatin1(links::kPassword));
    Store store(folder, makeConnectionString(folder, kLibraryFileName, password),
                makeConnectionString(folder, kPersonalFileName, password));
    const QString round = QString::fromLocal8Bit(argv[2]);
    QString previous;
    for (int i = 0;; ++i) {
        // Alternate new records and overwrites of the last one, with texts long enough to span several pages.
        const QString key = savePersonalPrescription(
            store, i % 2 ? previous : QString(), QStringLiteral("%1-方%2").arg(round).arg(i),
            QStringLiteral("组"), QStringLiteral("【组成】%1").arg(i).repeated(400),
            QDateTime::currentDateTime());
        std::printf("%d\n", i);
        std::fflush(stdout);
        previous = key;
    }
}
