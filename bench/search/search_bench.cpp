// Times the main window's searches and detail view the way a user meets them, in one process, as the median
// of repeated runs: a name search with a common character, a listing of every 中药经方 record, the detail of
// the first and the last line of that listing, one keystroke of the herbal search, start-up with existing
// databases until the window is shown, and resident memory after the full listing.
//
//   corvessa-search-bench synthetic [cache.dat]   the synthetic library (generated once into the cache file)
//   corvessa-search-bench real                    the library the build embeds
// A last argument "once" runs every measurement once and skips the start-up, for profiling under callgrind:
//   valgrind --tool=callgrind --toggle-collect='*MainWindow::librarySearch*' corvessa-search-bench synthetic
//   x once
#include "../measure.h"
#include "assets.h"
#include "embedded_databases.h"
#include "mainwindow/fonts.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "scriptedmessenger.h"
#include "startup.h"
#include "store/connectionstring.h"
#include "store/linkdecoder.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/store.h"
#include "synthetic.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace corvessa;

namespace {

using corvessa::bench::median;
using corvessa::bench::residentMegabytes;

int kRuns = 7;

// Runs `prepare` untimed and `measured` timed, kRuns times; the median in milliseconds.
double timeMedian(const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        runs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(runs);
}

QString password() {
    return store::decodeLinkList(QString::fromLatin1(store::links::kPassword));
}

bool writeFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size();
}

struct Row {
    const char* what;
    double value;
    const char* unit;
    const char* target;
    QString note;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("synthetic");
    const bool once = argc > 3 && QByteArray(argv[3]) == "once";
    if (once)
        kRuns = 1;

    QTemporaryDir root;
    const app::Roots roots{root.path(), QString(), root.path()};
    const QString dataFolder = QDir(root.path()).filePath(app::kDataFolderName);
    QDir().mkpath(dataFolder);
    const QString libraryPath = store::joinPath(dataFolder, store::kLibraryFileName);
    if (mode == QLatin1String("real")) {
        writeFile(libraryPath, resources::libraryDatabase());
    } else {
        const QString cache = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                       : QDir::current().filePath(QStringLiteral("synthetic-library.dat"));
        if (!QFileInfo::exists(cache)) {
            QElapsedTimer timer;
            timer.start();
            dbbuild::writeLibraryDatabase(cache, bench::syntheticLibrary(), password());
            std::printf("generated %s in %.1f s\n", qPrintable(cache), double(timer.elapsed()) / 1000.0);
        }
        QFile::copy(cache, libraryPath);
    }
    std::printf("library: %s (%.1f MB)\n", qPrintable(mode), double(QFileInfo(libraryPath).size()) / 1e6);

    mainwindow::installFontSubstitutions();
    mainwindow::ScriptedMessenger messenger;
    const QStringList catalogue = resources::sourceCatalogue();
    std::vector<Row> rows;

    // Start-up as the program does it, on databases that are already in place: placement, both connections
    // opened (key derivation), help pages, the window built, loaded and shown.
    {
        std::vector<double> runs;
        for (int i = 0; i < (once ? 0 : 5); ++i) {
            QElapsedTimer timer;
            timer.start();
            const app::Placement placement = app::placeDatabases(roots, {}, resources::personalTemplate());
            store::Store store(placement.dataFolder, placement.libraryConnection,
                               placement.personalConnection);
            store.connections().connection(store.libraryConnection());
            store.connections().connection(store.personalConnection());
            app::writeHelpPages(store.dataFolder());
            {
                mainwindow::MainWindow window(store, messenger, catalogue);
                window.show();
                QApplication::processEvents();
                runs.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
            store.closeAll();
        }
        if (!runs.empty())
            rows.push_back({"start-up until the window is shown", median(runs), "ms", "< 500", QString()});
    }

    const app::Placement placement = app::placeDatabases(roots, {}, resources::personalTemplate());
    store::Store store(placement.dataFolder, placement.libraryConnection, placement.personalConnection);
    mainwindow::MainWindow window(store, messenger, catalogue);
    window.show();
    QApplication::processEvents();
    const mainwindow::Form1Controls& ui = window.controls();

    // The store's share of a search: the same query opened, counted and every name and source read, without
    // the window's line building and list filling.
    // Before each timed run another query runs, so every run is a new search and none reuses the rows the
    // previous run left behind.
    auto otherQuery = [&] { window.textbookList(); };
    auto storeShare = [&](const QString query) {
        return timeMedian(otherQuery, [&] {
            store::Recordset& records = store.recordset();
            records.setLockType(store::adLockOptimistic);
            records.setCursorLocation(store::adUseClient);
            records.open(query, store.libraryConnection());
            records.requery();
            qsizetype characters = records.recordCount();
            for (; !records.eof(); records.moveNext())
                characters += records.field(QStringLiteral("方名")).toString().size() +
                              records.field(QStringLiteral("出处")).toString().size();
            records.release();
            if (characters < 0)
                std::printf("?");
        });
    };

    ui.text1->setText(QStringLiteral("汤"));
    const double common = timeMedian(otherQuery, [&] { window.librarySearch(); });
    rows.push_back({"name search 汤 (query, count, list filled)", common, "ms", "< 30",
                    QStringLiteral("%1 rows").arg(ui.list1->count())});
    rows.push_back(
        {"  of which the store (open, count, read)", storeShare(window.currentQuery()), "ms", "", QString()});

    ui.text1->setText(QStringLiteral("%"));
    const double full = timeMedian(otherQuery, [&] { window.librarySearch(); });
    const int total = ui.list1->count();
    rows.push_back({"full listing of 中药经方", full, "ms", "< 200", QStringLiteral("%1 rows").arg(total)});
    rows.push_back(
        {"  of which the store (open, count, read)", storeShare(window.currentQuery()), "ms", "", QString()});
    const double memory = residentMegabytes();

    // A click on a line follows the search that filled the list.
    window.librarySearch();
    const double first = timeMedian([&] { ui.list1->clearSelection(); }, [&] { ui.list1->setCurrentRow(0); });
    rows.push_back({"detail of the first line", first, "ms", "< 10", QString()});
    const double last =
        timeMedian([&] { ui.list1->clearSelection(); }, [&] { ui.list1->setCurrentRow(total - 1); });
    rows.push_back({"detail of the last line", last, "ms", "< 10", QStringLiteral("line %1").arg(total)});

    window.selectTab(3);
    const double keystroke =
        timeMedian([&] { ui.text1->clear(); }, [&] { ui.text1->setText(QStringLiteral("人")); });
    rows.push_back({"herbal search keystroke", keystroke, "ms", "< 10",
                    QStringLiteral("%1 rows").arg(ui.list1->count())});
    rows.push_back({"resident memory after the full listing", memory, "MB", "< 250", QString()});

    std::printf("\n| measurement | median | target | note |\n|---|---|---|---|\n");
    for (const Row& row : rows)
        std::printf("| %s | %.1f %s | %s%s%s | %s |\n", row.what, row.value, row.unit, row.target,
                    *row.target ? " " : "", *row.target ? row.unit : "", qPrintable(row.note));
    for (const QString& text : messenger.shown())
        std::printf("message: %s\n", qPrintable(text));
    store.closeAll();
    return 0;
}
