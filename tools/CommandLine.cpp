#include "tools/CommandLine.h"

#include "tools/Command.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

const QString kHint = QStringLiteral("Try 'vexilo-cube --help' for more information.");
const QString kUsage = QStringLiteral("usage: vexilo-cube COMMAND [OPTION]...");

int BadUsage(const QString &problem)
{
    PrintErr(QStringLiteral("vexilo-cube: ") + problem);
    PrintErr(kUsage);
    PrintErr(kHint);
    return ExitUsage;
}

int UnknownCommand(const QString &name)
{
    PrintErr(QStringLiteral("vexilo-cube: unknown command '%1'").arg(name));
    PrintErr(kHint);
    return ExitUsage;
}

int RunCommand(const Command &command, const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOptions(command.options);
    const QCommandLineOption help = HelpOption();
    parser.addOption(help);
    if (!parser.parse(QStringList{QStringLiteral("vexilo-cube ") + command.name} + args))
        return UsageError(command.name, parser.errorText());
    if (parser.isSet(help)) {
        PrintOut(command.helpText());
        return ExitDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > command.arguments.size())
        return UsageError(command.name, QStringLiteral("unexpected argument '%1'").arg(positional.last()));
    return command.run(parser);
}

// "help" alone lists the commands; "help COMMAND" describes one.
int RunHelp(const QStringList &topics)
{
    if (topics.isEmpty()) {
        PrintOut(CommandLine::HelpText());
        return ExitDone;
    }
    if (topics.size() > 1)
        return BadUsage(QStringLiteral("help takes one command"));
    const Command *command = Command::find(topics.first());
    if (!command)
        return UnknownCommand(topics.first());
    PrintOut(command->helpText());
    return ExitDone;
}

} // namespace

QString CommandLine::VersionText()
{
    return QStringLiteral("vexilo-cube %1.%2.%3")
        .arg(VEXILO_VERSION_MAJOR)
        .arg(VEXILO_VERSION_MINOR)
        .arg(VEXILO_VERSION_PATCH);
}

QString CommandLine::HelpText()
{
    QList<std::pair<QString, QString>> commands;
    for (const Command &command : Command::all())
        commands.append({command.name, command.summary});
    std::sort(commands.begin(), commands.end());
    return kUsage + QStringLiteral("\nMakes, saves and mails Vexilo photo cubes from the command line.\n\nCommands:\n")
           + HelpColumns(commands) + QStringLiteral("\nOptions:\n")
           + HelpColumns({{QStringLiteral("-h, --help"), HelpOption().description()},
                          {QStringLiteral("--version"), QStringLiteral("show the version and exit")}})
           + QStringLiteral("\nRun 'vexilo-cube help COMMAND' or 'vexilo-cube COMMAND --help' for a command's "
                            "options.\nExit status: 0 done, 1 failed, 2 bad usage.");
}

int CommandLine::Run(const QStringList &args)
{
    QCommandLineParser parser;
    // Everything from the command on is the command's to read.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = HelpOption();
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("show the version and exit"));
    parser.addOptions({help, version});
    if (!parser.parse(QStringList{QStringLiteral("vexilo-cube")} + args))
        return BadUsage(parser.errorText());
    QStringList words = parser.positionalArguments();
    if (parser.isSet(version)) {
        PrintOut(VersionText());
        return ExitDone;
    }
    if (parser.isSet(help))
        return RunHelp({});
    if (words.isEmpty())
        return BadUsage(QStringLiteral("no command given"));
    const QString name = words.takeFirst();
    if (name == QLatin1String("help"))
        return RunHelp(words);
    const Command *command = Command::find(name);
    return command ? RunCommand(*command, words) : UnknownCommand(name);
}
