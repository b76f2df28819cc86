#include "tools/Command.h"

#include <cstdio>

namespace {

QList<Command> &registry()
{
    static QList<Command> commands;
    return commands;
}

QString OptionNames(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QLatin1Char(' ') + option.valueName();
    return text;
}

} // namespace

QCommandLineOption HelpOption()
{
    return {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("show this help and exit")};
}

QString HelpColumns(const QList<std::pair<QString, QString>> &rows)
{
    qsizetype width = 0;
    for (const auto &row : rows)
        width = std::max(width, row.first.size());
    QString text;
    for (const auto &[names, description] : rows)
        text +=
            QStringLiteral("  ") + names.leftJustified(width) + QStringLiteral("  ") + description + QLatin1Char('\n');
    return text;
}

Command::Registrar::Registrar(Command command)
{
    registry().append(std::move(command));
}

const QList<Command> &Command::all()
{
    return registry();
}

const Command *Command::find(const QString &name)
{
    for (const Command &command : registry())
        if (command.name == name)
            return &command;
    return nullptr;
}

QString Command::usageLine() const
{
    return QStringLiteral("usage: vexilo-cube %1 %2").arg(name, synopsis);
}

QString Command::helpText() const
{
    QString text = usageLine() + QLatin1Char('\n') + summary + QLatin1Char('\n');
    if (!arguments.isEmpty()) {
        QList<std::pair<QString, QString>> rows;
        for (const Argument &argument : arguments)
            rows.append({argument.name, argument.description});
        text += QStringLiteral("\nArguments:\n") + HelpColumns(rows);
    }
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption &option : options + QList{HelpOption()})
        rows.append({OptionNames(option), option.description()});
    text += QStringLiteral("\nOptions:\n") + HelpColumns(rows);
    text += QStringLiteral("\nExit status: 0 done, 1 failed, 2 bad usage.");
    return text;
}

void PrintOut(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void PrintErr(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
}

int UsageError(const QString &commandName, const QString &problem)
{
    PrintErr(QStringLiteral("vexilo-cube %1: %2").arg(commandName, problem));
    if (const Command *command = Command::find(commandName))
        PrintErr(command->usageLine());
    PrintErr(QStringLiteral("Try 'vexilo-cube %1 --help' for more information.").arg(commandName));
    return ExitUsage;
}
