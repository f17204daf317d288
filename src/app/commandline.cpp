// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandline.h"

#include "corvessa/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>

namespace corvessa::app {

namespace {

bool isTextOption(const char* argument) {
    for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
        if (std::strcmp(argument, option) == 0)
            return true;
    }
    return false;
}

void write(std::FILE* stream, const QString& text) {
    if (text.isEmpty())
        return;
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    if (!text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

bool answersWithoutWindow(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (isTextOption(argv[i]))
            return true;
    }
    return false;
}

CommandLineAnswer readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("离线查阅中药方剂与中药功效。"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    CommandLineAnswer answer;
    // Help and version are answered even beside arguments the parser does not know: before QApplication has
    // taken out its own options (-platform offscreen and the like), those are still here.
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        answer.output = parser.helpText();
        return answer;
    }
    if (parser.isSet(version)) {
        answer.output = QStringLiteral("Corvessa ") + QString::fromLatin1(kVersion);
        return answer;
    }
    if (!parsed) {
        answer.exitStatus = 1;
        answer.error = parser.errorText() + QLatin1Char('\n') + parser.helpText();
        return answer;
    }
    if (!parser.positionalArguments().isEmpty()) {
        answer.exitStatus = 1;
        answer.error = QStringLiteral("本程序不接受参数：") +
                       parser.positionalArguments().join(QLatin1Char(' ')) + QLatin1Char('\n') +
                       parser.helpText();
        return answer;
    }
    answer.startProgram = true;
    return answer;
}

int printAnswer(const CommandLineAnswer& answer) {
    write(stdout, answer.output);
    write(stderr, answer.error);
    return answer.exitStatus;
}

} // namespace corvessa::app
