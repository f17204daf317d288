// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

namespace corvessa::app {

// What the command line asks for. The program takes no arguments besides --help and --version (and the
// options Qt itself reads, which QApplication removes before this sees them).
struct CommandLineAnswer {
    bool startProgram = false; // no argument: open the window
    int exitStatus = 0;
    QString output; // for standard output
    QString error;  // for standard error
};

// True when the arguments ask for help or the version, which are answered with a QCoreApplication alone, so
// that they work where no window system is reachable.
bool answersWithoutWindow(int argc, const char* const* argv);

// Reads the arguments (the program's path first). Needs an application object for the help text.
CommandLineAnswer readCommandLine(const QStringList& arguments);

// Writes the answer's texts to standard output and standard error and returns its exit status.
int printAnswer(const CommandLineAnswer& answer);

} // namespace corvessa::app
