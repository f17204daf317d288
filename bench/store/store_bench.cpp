// Opening a connection (key derivation, schema read), the size of the built fixture library, and, given a
// library file, the store's share of a full listing (query, count, every name and source read). Run:
// build/bench/store/store_bench [library.dat]
#include "fixture.h"

#include "store/connectionstring.h"
#include "store/recordset.h"
#include "store/sqlite.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvessa;

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

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
    for (const QString& sql : {full, common}) {
        std::vector<double> runs;
        int count = 0;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer timer;
            timer.start();
            rs.setLockType(store::adLockOptimistic);
            rs.setCursorLocation(store::adUseClient);
            rs.open(sql, connection);
            rs.requery();
            count = rs.recordCount();
            qsizetype chars = 0;
            for (; !rs.eof(); rs.moveNext())
                chars += rs.field(QStringLiteral("方名")).toString().size() +
                         rs.field(QStringLiteral("出处")).toString().size();
            rs.release();
            runs.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::printf("%s listing: %d rows, median %.1f ms\n", sql == full ? "full" : "common", count,
                    median(runs));
    }
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
