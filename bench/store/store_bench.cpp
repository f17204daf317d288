// Opening a connection (key derivation, schema read) and the size of the built fixture library.
// Run: build/bench/store/store_bench
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

int main() {
    testsupport::FixtureDatabases db;
    std::vector<double> opens;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer timer;
        timer.start();
        store::Connections connections;
        connections.connection(db.store().libraryConnection());
        opens.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(opens.begin(), opens.end());
    std::printf("open connection: median %.1f ms (min %.1f, max %.1f, %zu runs)\n", opens[opens.size() / 2],
                opens.front(), opens.back(), opens.size());
    std::printf("fixture library: %lld bytes\n", static_cast<long long>(QFileInfo(db.libraryPath()).size()));
    return 0;
}
