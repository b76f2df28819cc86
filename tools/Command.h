#pragma once

#include <QStringList>
#include <functional>

// One subcommand of vexilo-cube. Each commands/*.cpp registers its own with
// a static Command::Registrar; run() returns the process exit code.
struct Command
{
    QString name;
    QString usage; // the arguments, shown in the usage message
    std::function<int(const QStringList &args)> run;

    struct Registrar
    {
        explicit Registrar(Command command);
    };

    static const QList<Command> &all();
};

// Exit code and message for arguments that do not fit a command's usage.
int UsageError(const QString &commandName);

// Prints a line to standard output or standard error.
void PrintOut(const QString &line);
void PrintErr(const QString &line);
