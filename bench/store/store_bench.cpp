// SPDX-License-Identifier: GPL-3.0-or-later

// Opening a connection (key derivation, schema read), the size of the built fixture library, and, given a
// library file, the store's share of a full listing and of a common name search (query, count, every name and
// source read): once as a new search (the recordset's kept result is another query's) and once as the
// detail view's re-run of the query just listed. Run: build/bench/store/store_bench [library.dat]
#include "../measure.h"
#include "fixture.h"

#include "store/connectionstring.h"
#include "store/recordset.h"
#include "store/sqlite.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace corvessa;

namespace {

using corvessa::bench::median;
using corvessa::bench::residentMegabytes;

void benchListing(const QString& libraryFile) {
    const QFileInfo file(libraryFile);
    store::Connections connections;
    const QString connection = store::makeConnectionString(file.absolutePath(), file.fileName(),
                                                           testsupport::FixtureDatabases::password());
    store::Recordset rs(connections);
    const QString full = QStringLiteral("select * from[中药方剂] where [方名] like '%%' and [出处] like '%%' "
                                        "and [主治] like '%%'and [主治] like "
                                        "'%%'and [主治] like '%%'and [主治] like '%%' and [主治] like "
                                        "'%%'and [类别] = '中药经方' order by [方名]");
    const QString common = QStringLiteral("select * from[中药方剂] where [方名] like '%汤%' and [出处] like "
                                          "'%%' and [主治] like '%%'and [主治] like "
                                          "'%%'and [主治] like '%%'and [主治] like '%%' and [主治] like "
                                          "'%%'and [类别] = '中药经方' order by [方名]");
    auto listing = [&](const QString& sql) {
        rs.setLockType(store::adLockOptimistic);
        rs.setCursorLocation(store::adUseClient);
        rs.open(sql, connection);
        rs.requery();
        const int count = rs.recordCount();
        qsizetype chars = 0;
        for (; !rs.eof(); rs.moveNext())
            chars += rs.field(QStringLiteral("方名")).toString().size() +
                     rs.field(QStringLiteral("出处")).toString().size();
        rs.release();
        if (chars < 0)
            std::printf("?");
        return count;
    };
    auto timed = [](const std::function<void()>& what) {
        QElapsedTimer timer;
        timer.start();
        what();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    for (const QString& sql : {full, common}) {
        const QString& other = sql == full ? common : full;
        std::vector<double> fresh;
        std::vector<double> again;
        int count = 0;
        for (int i = 0; i < 7; ++i) {
            listing(other); // untimed: leaves another query's result kept
            fresh.push_back(timed([&] { count = listing(sql); }));
            again.push_back(timed([&] { listing(sql); }));
        }
        std::printf("%s listing: %d rows, new search median %.1f ms, same query again median %.1f ms\n",
                    sql == full ? "full" : "common", count, median(fresh), median(again));
    }
    listing(full);
    std::printf("resident memory after the full listing: %.1f MB\n", residentMegabytes());
}

} // namespace

int main(int argc, char** argv) {
    testsupport::FixtureDatabases db;
    std::vector<double> opens;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer timer;
        timer.start();
        store::Connections connections;
        connections.connection(db.store().libraryConnection());
        opens.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("open connection: median %.1f ms (%zu runs)\n", median(opens), opens.size());
    std::printf("fixture library: %lld bytes\n", static_cast<long long>(QFileInfo(db.libraryPath()).size()));
    if (argc > 1)
        benchListing(QString::fromLocal8Bit(argv[1]));
    return 0;
}
