#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <functional>

// One subcommand of vexilo-cube. Each commands/*.cpp registers its own with
// a static Command::Registrar; run() gets the parsed arguments and returns
// the exit status: 0 done, 1 failed, 2 bad usage.
struct Command
{
    struct Argument
    {
        QString name;
        QString description;
    };

    QString name;
    QString summary; // one line, for the list of commands
    QString synopsis; // the arguments, for the usage line
    QList<QCommandLineOption> options;
    QList<Argument> arguments; // positional, in order
    std::function<int(const QCommandLineParser &parser)> run;

    struct Registrar
    {
        explicit Registrar(Command command);
    };

    static const QList<Command> &all();
    static const Command *find(const QString &name);

    // The full help: usage line, summary, arguments and every option.
    QString helpText() const;
    QString usageLine() const;
};

inline constexpr int ExitDone = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

// Says what is wrong with a command's arguments, with its usage line and
// the hint to its help; returns ExitUsage.
int UsageError(const QString &commandName, const QString &problem);

// -h, --help: every command's and the program's own.
QCommandLineOption HelpOption();

// Rows of help: names padded to a common width, then their descriptions.
QString HelpColumns(const QList<std::pair<QString, QString>> &rows);

// Prints a line to standard output or standard error.
void PrintOut(const QString &line);
void PrintErr(const QString &line);
