#include "tools/Command.h"

#include <cstdio>

namespace {
QList<Command> &registry()
{
    static QList<Command> commands;
    return commands;
}
} // namespace

Command::Registrar::Registrar(Command command)
{
    registry().append(std::move(command));
}

const QList<Command> &Command::all()
{
    return registry();
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

int UsageError(const QString &commandName)
{
    for (const Command &c : Command::all())
        if (c.name == commandName || commandName.isEmpty())
            PrintErr(QStringLiteral("usage: vexilo-cube %1 %2").arg(c.name, c.usage));
    return 2;
}
