#include "tools/Command.h"
#include "tools/CubeArguments.h"
#include "tools/StderrProgress.h"

#include "core/AppPaths.h"
#include "core/Globals.h"
#include "core/MessageIds.h"
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

// send --face N=PATH ... [--caption TEXT] --to LIST --from ADDR [--subject TEXT] [--server TEXT] [--user NAME] [--password-file FILE] [--cacert FILE] [--attach-web-page]
int RunSend(const QStringList &args)
{
    CubeFromFaces cube;
    CubeArguments faces;
    QString to, from, server, user, passwordFile, caFile;
    bool webPage = false;
    QString subject = LoadResString(Msg::DefaultSubject);
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--attach-web-page")) {
            webPage = true;
            continue;
        }
        if (i + 1 >= args.size())
            return UsageError(QStringLiteral("send"));
        const QString value = args.at(++i);
        if (arg == QLatin1String("--face")) {
            if (!faces.AddFace(value))
                return UsageError(QStringLiteral("send"));
        } else if (arg == QLatin1String("--caption")) {
            cube.SetCaption(value);
        } else if (arg == QLatin1String("--to")) {
            to = NormalizeAddressList(value);
        } else if (arg == QLatin1String("--from")) {
            from = value;
        } else if (arg == QLatin1String("--subject")) {
            subject = value;
        } else if (arg == QLatin1String("--server")) {
            server = value;
        } else if (arg == QLatin1String("--user")) {
            user = value;
        } else if (arg == QLatin1String("--password-file")) {
            passwordFile = value;
        } else if (arg == QLatin1String("--cacert")) {
            caFile = value;
        } else {
            return UsageError(QStringLiteral("send"));
        }
    }
    if (to.isEmpty() || from.isEmpty() || (!passwordFile.isEmpty() && !QFileInfo(passwordFile).isReadable()))
        return UsageError(QStringLiteral("send"));
    if (!faces.PlaceFaces(cube))
        return 1;
    StderrProgress progress;
    if (!cube.Build(progress, true))
        return 1;

    // The server as the program would choose it, unless one is named here.
    gDefaultMailServer = LoadResString(Msg::DefaultMailServer);
    Startup::SetMailServer();
    Startup::SetFromAddress();
    if (!server.isEmpty()) {
        gMailServer = server;
        gUseDefaultServer = False;
    }
    MailSession::RememberSender(from);

    MailSession session;
    session.signInUser = user;
    session.givenPassword = GivenPassword(passwordFile);
    session.Mail1.setCaCertificateFile(caFile);
    QEventLoop loop;
    QObject::connect(&session, &MailSession::finished, &loop, &QEventLoop::quit);
    const MailOrder order{to,
                          from,
                          subject,
                          AppPaths::join(gTempDirectory, QStringLiteral("Cube.exe")),
                          gMailServer,
                          gUseDefaultServer == True,
                          webPage ? AppPaths::join(gTempDirectory, QStringLiteral("Cube.html")) : QString()};
    if (session.Send(order))
        loop.exec();
    return session.messageAccepted() ? 0 : 1;
}

const Command::Registrar send(
    {QStringLiteral("send"),
     QStringLiteral("--face N=PATH ... [--caption TEXT] --to LIST --from ADDR [--subject TEXT] [--server TEXT] [--user "
                    "NAME] [--password-file FILE] [--cacert FILE] [--attach-web-page]"),
     RunSend});
} // namespace
