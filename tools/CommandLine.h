#pragma once

#include <QStringList>

// vexilo-cube's own arguments: --help, --version, "help COMMAND", or a
// command followed by its options, which that command's parser reads.
class CommandLine
{
public:
    // Runs what the arguments (without the program's name) ask for and
    // returns the exit status: 0 done, 1 failed, 2 bad usage.
    static int Run(const QStringList &args);

    static QString HelpText();
    static QString VersionText();
};
