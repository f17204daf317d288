// SPDX-License-Identifier: GPL-3.0-or-later

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
#include "mainwindow/layout.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "scriptedmessenger.h"
#include "startup.h"
#include "store/connectionstring.h"
#include "store/linkdecoder.h"
#include "store/listing.h"
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
#include <QListView>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/mman.h>
#include <unistd.h>
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

// The SQL the store runs for a search's query text: the three listed columns, empty patterns as IS NOT NULL.
QString storeSql(const QString& query) {
    const qsizetype from = query.indexOf(QStringLiteral("from["));
    return QStringLiteral("select rowid,[方名],[出处] ") + store::withoutEmptyPatterns(query.mid(from));
}

// The sqlcipher shell's median for `sql` on the library file, with the program's page settings and its name
// collation loaded; -1 when the shell cannot run it. A first run fills the page cache, as the program's
// connection has it filled.
double shellMedian(const QString& file, const QString& sql) {
    QString key = password();
    key.replace(QLatin1Char('\''), QStringLiteral("''"));
    QString script = QStringLiteral(".load %1\nPRAGMA key = '%2';\nPRAGMA cipher_page_size = 4096;\n"
                                    "PRAGMA cipher_use_hmac = OFF;\nPRAGMA cache_size = -65536;\n"
                                    "SELECT count(*) FROM sqlite_master;\n.output /dev/null\n.timer on\n")
                         .arg(QStringLiteral(CORVESSA_SHELL_COLLATION), key);
    for (int i = 0; i <= kRuns; ++i)
        script += sql + QStringLiteral(";\n");
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), file});
    if (!shell.waitForStarted())
        return -1;
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    shell.waitForFinished(120000);
    std::vector<double> runs;
    static const QRegularExpression time(QStringLiteral("Run Time: real ([0-9.]+)"));
    auto it = time.globalMatch(QString::fromUtf8(shell.readAllStandardOutput()));
    while (it.hasNext())
        runs.push_back(it.next().captured(1).toDouble() * 1000.0);
    const QByteArray errors = shell.readAllStandardError();
    if (!errors.isEmpty())
        std::fprintf(stderr, "sqlcipher: %s\n", errors.constData());
    if (runs.size() < 2)
        return -1;
    runs.erase(runs.begin()); // the first run, which filled the cache
    return median(runs);
}

// The shell's time beside the program's. The shell's timer counts whole milliseconds.
QString shellNote(double program, double shell) {
    if (shell < 0)
        return QStringLiteral("shell not run");
    if (shell < 1)
        return QStringLiteral("shell < 1 ms");
    return QStringLiteral("shell %1 ms (%2×)").arg(shell, 0, 'f', 0).arg(program / shell, 0, 'f', 2);
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
        const QByteArrayView library = resources::libraryDatabase();
        writeFile(libraryPath, library);
        // The program writes its library only when it is missing; the pages of the embedded copy that were
        // read for this are dropped again, so the memory reading shows what the searches hold.
        const auto page = quintptr(sysconf(_SC_PAGESIZE));
        const quintptr begin = (quintptr(library.data()) + page - 1) & ~(page - 1);
        const quintptr end = (quintptr(library.data()) + quintptr(library.size())) & ~(page - 1);
        if (end > begin)
            madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
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
    // Start-up checks the library in place against the program's own copy, as the program does; the synthetic
    // library has no such copy and is kept as it is.
    const QByteArrayView shipped = mode == QLatin1String("real") ? resources::libraryDatabase() : QByteArrayView();

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
            const app::Placement placement = app::placeDatabases(roots, shipped, resources::personalTemplate());
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
            rows.push_back({"start-up until the window is shown", median(runs), "ms", "< 150", QString()});
    }

    const app::Placement placement = app::placeDatabases(roots, shipped, resources::personalTemplate());
    store::Store store(placement.dataFolder, placement.libraryConnection, placement.personalConnection);
    mainwindow::MainWindow window(store, messenger, catalogue);
    window.show();
    QApplication::processEvents();
    const mainwindow::Form1Controls& ui = window.controls();
    auto lineCount = [&] { return ui.list1->model()->rowCount(); };
    auto select = [&](int row) { ui.list1->setCurrentIndex(ui.list1->model()->index(row, 0)); };

    // Before each timed run another query runs, so every run is a new search and none reuses the rows the
    // previous run left behind. A run ends when the list has drawn its lines.
    auto otherQuery = [&] { window.textbookList(); };
    auto search = [&] {
        window.librarySearch();
        QApplication::processEvents();
    };
    // One search: the program's median beside the shell's for the SQL the store ran.
    auto searchRow = [&](const char* what, const char* target, const std::function<void()>& fill) {
        fill();
        const double program = timeMedian(otherQuery, search);
        const QString sql = storeSql(window.currentQuery());
        const double shell = shellMedian(libraryPath, sql);
        rows.push_back({what, program, "ms", target,
                        QStringLiteral("%1 rows; %2").arg(lineCount()).arg(shellNote(program, shell))});
        std::printf("%s:\n  %s\n", what, qPrintable(sql));
    };
    auto clearInputs = [&] {
        for (QLineEdit* input : {ui.text1, ui.text3, ui.text4, ui.text7})
            input->clear();
    };

    searchRow("pinyin search gzt", "< 30", [&] {
        clearInputs();
        ui.text1->setText(QStringLiteral("gzt"));
    });
    searchRow("ingredient search 麻黄，桂枝", "< 30", [&] {
        clearInputs();
        ui.text7->setText(QStringLiteral("麻黄，桂枝"));
    });
    searchRow("traditional input 麻黃湯", "< 30", [&] {
        clearInputs();
        ui.text1->setText(QStringLiteral("麻黃湯"));
    });
    searchRow("name search 汤", "< 30", [&] {
        clearInputs();
        ui.text1->setText(QStringLiteral("汤"));
    });
    searchRow("full listing of 中药经方", "1.5× the shell", [&] {
        clearInputs();
        ui.text1->setText(QStringLiteral("%"));
    });
    const int total = lineCount();
    const double memory = residentMegabytes();
    {
        const double program = timeMedian([] {},
                                          [&] {
                                              window.textbookList();
                                              QApplication::processEvents();
                                          });
        const double shell = shellMedian(libraryPath, storeSql(window.currentQuery()));
        rows.push_back({"textbook list", program, "ms", "1.5× the shell",
                        QStringLiteral("%1 rows; %2").arg(lineCount()).arg(shellNote(program, shell))});
    }

    // A click on a line follows the search that filled the list.
    search();
    const double first = timeMedian([&] { ui.list1->clearSelection(); }, [&] { select(0); });
    rows.push_back({"detail of the first line", first, "ms", "< 10", QString()});
    const double last = timeMedian([&] { ui.list1->clearSelection(); }, [&] { select(total - 1); });
    rows.push_back({"detail of the last line", last, "ms", "< 10", QStringLiteral("line %1").arg(total)});
    // A click after an action: 收藏 writes to the personal database through the shared recordset.
    const double afterAction = timeMedian(
        [&] {
            select(1);
            window.runAction(mainwindow::kActionFavourite);
            ui.list1->clearSelection();
        },
        [&] { select(total - 1); });
    rows.push_back({"detail after an action (收藏)", afterAction, "ms", "< 10", QString()});

    window.selectTab(3);
    const double keystroke =
        timeMedian([&] { ui.text1->clear(); }, [&] { ui.text1->setText(QStringLiteral("人")); });
    rows.push_back(
        {"herbal search keystroke", keystroke, "ms", "< 10", QStringLiteral("%1 rows").arg(lineCount())});
    const double herbPinyin =
        timeMedian([&] { ui.text1->clear(); }, [&] { ui.text1->setText(QStringLiteral("rs")); });
    rows.push_back({"herbal search keystroke, pinyin rs", herbPinyin, "ms", "< 30",
                    QStringLiteral("%1 rows").arg(lineCount())});
    rows.push_back({"resident memory after the full listing", memory, "MB", "< 120", QString()});

    std::printf("\n| measurement | median | target | note |\n|---|---|---|---|\n");
    for (const Row& row : rows)
        std::printf("| %s | %.1f %s | %s%s%s | %s |\n", row.what, row.value, row.unit, row.target,
                    *row.target && *row.target == '<' ? " " : "", *row.target == '<' ? row.unit : "",
                    qPrintable(row.note));
    for (const QString& text : messenger.shown())
        std::printf("message: %s\n", qPrintable(text));
    store.closeAll();
    return 0;
}
