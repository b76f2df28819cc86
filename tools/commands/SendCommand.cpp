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

namespace {

// send --face N=PATH ... [--caption TEXT] --to LIST --from ADDR [--subject TEXT] [--server HOST[:PORT]]
int RunSend(const QStringList &args)
{
    CubeFromFaces cube;
    CubeArguments faces;
    QString to, from, server;
    QString subject = LoadResString(Msg::DefaultSubject);
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
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
        } else {
            return UsageError(QStringLiteral("send"));
        }
    }
    if (to.isEmpty() || from.isEmpty())
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
    QEventLoop loop;
    QObject::connect(&session, &MailSession::finished, &loop, &QEventLoop::quit);
    const MailOrder order{to,          from,
                          subject,     AppPaths::join(gTempDirectory, QStringLiteral("Cube.exe")),
                          gMailServer, gUseDefaultServer == True};
    if (session.Send(order))
        loop.exec();
    return session.messageAccepted() ? 0 : 1;
}

const Command::Registrar send(
    {QStringLiteral("send"),
     QStringLiteral("--face N=PATH ... [--caption TEXT] --to LIST --from ADDR [--subject TEXT] [--server HOST[:PORT]]"),
     RunSend});
} // namespace
