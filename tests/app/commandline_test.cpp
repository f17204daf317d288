// SPDX-License-Identifier: GPL-3.0-or-later

// The command line: --help and --version answer and end; anything else but no argument at all is refused.
#include "commandline.h"

#include <QRegularExpression>
#include <QTest>

using namespace corvessa::app;

namespace {

const QString kProgram = QStringLiteral("corvessa");

bool answersEarly(std::initializer_list<const char*> arguments) {
    const std::vector<const char*> argv(arguments);
    return answersWithoutWindow(static_cast<int>(argv.size()), argv.data());
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void noArgumentStartsTheProgram() {
        const CommandLineAnswer answer = readCommandLine({kProgram});
        QVERIFY(answer.startProgram);
        QCOMPARE(answer.exitStatus, 0);
        QVERIFY(answer.output.isEmpty());
        QVERIFY(answer.error.isEmpty());
    }

    void versionPrintsTheVersionAndEnds() {
        for (const QString& option : {QStringLiteral("--version"), QStringLiteral("-v")}) {
            const CommandLineAnswer answer = readCommandLine({kProgram, option});
            QVERIFY(!answer.startProgram);
            QCOMPARE(answer.exitStatus, 0);
            QVERIFY2(QRegularExpression(QStringLiteral("^Corvessa \\d+\\.\\d+(\\.\\d+)?$"))
                         .match(answer.output)
                         .hasMatch(),
                     qPrintable(answer.output));
            QVERIFY(answer.error.isEmpty());
        }
    }

    void helpListsBothOptionsAndEnds() {
        for (const QString& option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
            const CommandLineAnswer answer = readCommandLine({kProgram, option});
            QVERIFY(!answer.startProgram);
            QCOMPARE(answer.exitStatus, 0);
            QVERIFY(answer.output.contains(QStringLiteral("--help")));
            QVERIFY(answer.output.contains(QStringLiteral("--version")));
        }
    }

    void qtsOwnOptionsDoNotHideTheVersion() {
        const CommandLineAnswer answer =
            readCommandLine({kProgram, QStringLiteral("-platform"), QStringLiteral("offscreen"),
                             QStringLiteral("--version")});
        QVERIFY(!answer.startProgram);
        QCOMPARE(answer.exitStatus, 0);
        QVERIFY(answer.output.startsWith(QStringLiteral("Corvessa ")));
    }

    void unknownOptionIsRefused() {
        const CommandLineAnswer answer = readCommandLine({kProgram, QStringLiteral("--bogus")});
        QVERIFY(!answer.startProgram);
        QVERIFY(answer.exitStatus != 0);
        QVERIFY(answer.output.isEmpty());
        QVERIFY2(answer.error.contains(QStringLiteral("bogus")), qPrintable(answer.error));
    }

    void positionalArgumentIsRefused() {
        const CommandLineAnswer answer = readCommandLine({kProgram, QStringLiteral("个人经方数据库.dat")});
        QVERIFY(!answer.startProgram);
        QVERIFY(answer.exitStatus != 0);
        QVERIFY(answer.error.contains(QStringLiteral("个人经方数据库.dat")));
    }

    void onlyHelpAndVersionAreAnsweredBeforeTheWindowSystem() {
        QVERIFY(!answersEarly({"corvessa"}));
        QVERIFY(!answersEarly({"corvessa", "-platform", "offscreen"}));
        QVERIFY(!answersEarly({"corvessa", "--versions"}));
        QVERIFY(answersEarly({"corvessa", "--version"}));
        QVERIFY(answersEarly({"corvessa", "-platform", "offscreen", "-h"}));
        QVERIFY(answersEarly({"corvessa", "--help-all"}));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "commandline_test.moc"
