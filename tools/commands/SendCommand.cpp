#include "tools/Command.h"
#include "tools/CubeArguments.h"
#include "tools/StderrProgress.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/MessageBox.h"
#include "core/Startup.h"
#include "mail/MailProgram.h"
#include "mail/MailSession.h"
#include "publish/CubeFromFaces.h"
#include "resources/StringTable.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

// The password for a sign-in comes from a file or the environment
// (VEXILO_SMTP_PASSWORD), else from the secret store; never from the command
// line itself, where every user of the machine could read it.
std::optional<QString> GivenPassword(const QString &passwordFile)
{
    if (!passwordFile.isEmpty()) {
        QFile file(passwordFile);
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('\r'));
    }
    if (qEnvironmentVariableIsSet("VEXILO_SMTP_PASSWORD"))
        return qEnvironmentVariable("VEXILO_SMTP_PASSWORD");
    return std::nullopt;
}

const QString kName = QStringLiteral("send");
const QString kTo = QStringLiteral("to");
const QString kFrom = QStringLiteral("from");
const QString kSubject = QStringLiteral("subject");
const QString kServer = QStringLiteral("server");
const QString kUser = QStringLiteral("user");
const QString kPasswordFile = QStringLiteral("password-file");
const QString kCaCert = QStringLiteral("cacert");
const QString kWebPage = QStringLiteral("attach-web-page");
const QString kAttach = QStringLiteral("attach");
const QString kMessage = QStringLiteral("message");
const QString kMailProgram = QStringLiteral("mail-program");

struct Attachments
{
    bool program = true;
    bool webPage = false;
};

// --attach web|exe|both; without it Cube.exe, or the web page for a server
// known to refuse programs.
std::optional<Attachments> ChosenAttachments(const QCommandLineParser &parser, const QString &server)
{
    if (parser.isSet(kWebPage))
        return Attachments{true, true};
    if (!parser.isSet(kAttach))
        return MailSession::ServerRefusesPrograms(server) ? Attachments{false, true} : Attachments{};
    const QString choice = parser.value(kAttach);
    if (choice == QLatin1String("web"))
        return Attachments{false, true};
    if (choice == QLatin1String("exe"))
        return Attachments{true, false};
    if (choice == QLatin1String("both"))
        return Attachments{true, true};
    return std::nullopt;
}

// The message goes to the desktop's mail program, which sends it.
int HandToMailProgram(const MailOrder &order, StderrProgress &progress)
{
    MailProgram program;
    bool handed = false;
    QEventLoop loop;
    QObject::connect(&program, &MailProgram::finished, &loop,
                     [&](bool wasHanded, int textId, const QString &reason) {
                         handed = wasHanded;
                         if (wasHanded)
                             ShowMessage(Msg::HandedToMailProgram);
                         else
                             ShowMessage(textId, {reason});
                         loop.quit();
                     });
    program.Hand(order);
    loop.exec();
    if (!handed)
        return ExitFailed;
    progress.Finish();
    return ExitDone;
}

int RunSend(const QCommandLineParser &parser)
{
    CubeArguments arguments;
    if (const QString problem = arguments.Read(parser); !problem.isEmpty())
        return UsageError(kName, problem);
    const QString to = NormalizeAddressList(parser.value(kTo));
    const QString from = parser.value(kFrom);
    const QString passwordFile = parser.value(kPasswordFile);
    const bool mailProgram = parser.isSet(kMailProgram);
    if (to.isEmpty() || (from.isEmpty() && !mailProgram))
        return UsageError(kName, QStringLiteral("--to LIST and --from ADDR are required"));
    if (!passwordFile.isEmpty() && !QFileInfo(passwordFile).isReadable())
        return UsageError(kName, QStringLiteral("cannot read the password file %1").arg(passwordFile));
    const QString subject = parser.isSet(kSubject) ? parser.value(kSubject) : LoadResString(Msg::DefaultSubject);
    const QString server = parser.value(kServer);
    if (parser.isSet(kAttach) && parser.isSet(kWebPage))
        return UsageError(kName, QStringLiteral("--attach and --attach-web-page cannot both be given"));
    if (parser.isSet(kAttach) && !ChosenAttachments(parser, server))
        return UsageError(kName, QStringLiteral("--attach takes web, exe or both, not %1").arg(parser.value(kAttach)));
    CubeFromFaces cube;
    if (const int exit = arguments.PlaceOn(cube); exit != ExitDone)
        return exit;
    StderrProgress progress;
    if (!arguments.Build(cube, progress, true))
        return ExitFailed;
    cube.WriteMessagePicture();

    // The server as the program would choose it, unless one is named here.
    Startup::SetMailServer();
    const MailServerChoice mailServer =
        server.isEmpty() ? Settings::instance().mailServer() : MailServerChoice{server, false};
    const Attachments attachments = *ChosenAttachments(parser, mailServer.server);
    MailOrder order{to, from, subject, QString(), mailServer.server, mailServer.useDefault};
    order.message = parser.value(kMessage);
    order.caption = cube.caption();
    AttachCubeFiles(order, cube.workDirectory(), attachments.program, attachments.webPage);
    if (mailProgram)
        return HandToMailProgram(order, progress);
    MailSession::RememberSender(from);

    MailSession session;
    session.signInUser = parser.value(kUser);
    session.givenPassword = GivenPassword(passwordFile);
    session.Mail1.setCaCertificateFile(parser.isSet(kCaCert) ? parser.value(kCaCert)
                                                             : MailSession::SavedCaCertificateFile());
    QEventLoop loop;
    QObject::connect(&session, &MailSession::finished, &loop, &QEventLoop::quit);
    if (session.Send(order))
        loop.exec();
    if (!session.messageAccepted())
        return ExitFailed;
    progress.Finish();
    return ExitDone;
}

Command SendCommand()
{
    QList<QCommandLineOption> options = CubeArguments::Options();
    options << QCommandLineOption(kTo, QStringLiteral("the recipients' addresses, separated by commas or semicolons"),
                                  QStringLiteral("LIST"))
            << QCommandLineOption(kFrom, QStringLiteral("the sender's address, remembered as the program's sender"),
                                  QStringLiteral("ADDR"))
            << QCommandLineOption(kSubject, QStringLiteral("the message's subject (default: the program's own)"),
                                  QStringLiteral("TEXT"))
            << QCommandLineOption(kMessage, QStringLiteral("your own words, before the standard text"),
                                  QStringLiteral("TEXT"))
            << QCommandLineOption(kServer,
                                  QStringLiteral("the mail server: host[:port], smtp://[user@]host[:port] (STARTTLS) "
                                                 "or smtps://[user@]host[:port] (TLS); default: the program's own"),
                                  QStringLiteral("TEXT"))
            << QCommandLineOption(kUser, QStringLiteral("sign in to the server as NAME"), QStringLiteral("NAME"))
            << QCommandLineOption(kPasswordFile,
                                  QStringLiteral("read the sign-in password from the first line of FILE (else from "
                                                 "$VEXILO_SMTP_PASSWORD, else from the secret store)"),
                                  QStringLiteral("FILE"))
            << QCommandLineOption(kCaCert,
                                  QStringLiteral("trust the certificates (PEM) in FILE instead of the system's "
                                                 "(default: the setting CACertFile)"),
                                  QStringLiteral("FILE"))
            << QCommandLineOption(kAttach,
                                  QStringLiteral("send the cube as a web page (Cube.html, for any device), as a "
                                                 "Windows program (Cube.exe) or both; default: exe, or web for a "
                                                 "server known to refuse programs"),
                                  QStringLiteral("web|exe|both"))
            << QCommandLineOption(kWebPage, QStringLiteral("the same as --attach both"))
            << QCommandLineOption(kMailProgram,
                                  QStringLiteral("hand the message to the desktop's mail program (xdg-email) "
                                                 "instead of sending it; --from and the server are not needed"));
    return {kName,
            QStringLiteral("build a cube and mail it as Cube.exe, Cube.html or both over SMTP"),
            QStringLiteral("--to LIST --from ADDR [--cube FILE] [--face N=PATH]... [--caption TEXT] "
                           "[--fit N]... [--fill N]... [--crop N=X,Y,SIZE]... [--turn N=DEGREES]... [--subject TEXT] [--message TEXT] [--server TEXT] [--user NAME] [--password-file FILE] "
                           "[--cacert FILE] [--attach web|exe|both] [--mail-program]"),
            options,
            {},
            RunSend};
}

const Command::Registrar send(SendCommand());
} // namespace
