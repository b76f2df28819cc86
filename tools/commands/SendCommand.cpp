#include "tools/Command.h"
#include "tools/CubeArguments.h"
#include "tools/StderrProgress.h"

#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/Startup.h"
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

int RunSend(const QCommandLineParser &parser)
{
    CubeArguments arguments;
    if (const QString problem = arguments.Read(parser); !problem.isEmpty())
        return UsageError(kName, problem);
    const QString to = NormalizeAddressList(parser.value(kTo));
    const QString from = parser.value(kFrom);
    const QString passwordFile = parser.value(kPasswordFile);
    if (to.isEmpty() || from.isEmpty())
        return UsageError(kName, QStringLiteral("--to LIST and --from ADDR are required"));
    if (!passwordFile.isEmpty() && !QFileInfo(passwordFile).isReadable())
        return UsageError(kName, QStringLiteral("cannot read the password file %1").arg(passwordFile));
    const QString subject = parser.isSet(kSubject) ? parser.value(kSubject) : LoadResString(Msg::DefaultSubject);
    const QString server = parser.value(kServer);
    CubeFromFaces cube;
    if (const int exit = arguments.PlaceOn(cube); exit != ExitDone)
        return exit;
    StderrProgress progress;
    if (!arguments.Build(cube, progress, true))
        return ExitFailed;

    // The server as the program would choose it, unless one is named here.
    Startup::SetMailServer();
    const MailServerChoice mailServer =
        server.isEmpty() ? Settings::instance().mailServer() : MailServerChoice{server, false};
    MailSession::RememberSender(from);

    MailSession session;
    session.signInUser = parser.value(kUser);
    session.givenPassword = GivenPassword(passwordFile);
    session.Mail1.setCaCertificateFile(parser.value(kCaCert));
    QEventLoop loop;
    QObject::connect(&session, &MailSession::finished, &loop, &QEventLoop::quit);
    const MailOrder order{to,
                          from,
                          subject,
                          AppPaths::join(cube.workDirectory(), QStringLiteral("Cube.exe")),
                          mailServer.server,
                          mailServer.useDefault,
                          parser.isSet(kWebPage) ? AppPaths::join(cube.workDirectory(), QStringLiteral("Cube.html"))
                                                 : QString()};
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
                                  QStringLiteral("trust the certificates (PEM) in FILE instead of the system's"),
                                  QStringLiteral("FILE"))
            << QCommandLineOption(kWebPage, QStringLiteral("attach the cube as one web page, Cube.html, as well"));
    return {kName,
            QStringLiteral("build a cube and mail it as Cube.exe over SMTP"),
            QStringLiteral("--to LIST --from ADDR [--cube FILE] [--face N=PATH]... [--caption TEXT] "
                           "[--fit N]... [--fill N]... [--crop N=X,Y,SIZE]... [--turn N=DEGREES]... [--subject TEXT] [--server TEXT] [--user NAME] [--password-file FILE] "
                           "[--cacert FILE] [--attach-web-page]"),
            options,
            {},
            RunSend};
}

const Command::Registrar send(SendCommand());
} // namespace
