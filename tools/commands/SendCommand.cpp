#include "tools/Command.h"
#include "tools/StderrProgress.h"

#include "mail/MailCube.h"
#include "publish/CubeFromFaces.h"
#include "publish/ProgressSink.h"
#include "resources/StringTable.h"
#include "core/Globals.h"
#include "core/Startup.h"

#include <QLineEdit>
#include <QEventLoop>
#include <QRegularExpression>

namespace {


// send --face N=PATH ... [--caption TEXT] --to LIST --from ADDR [--subject TEXT] [--server HOST[:PORT]]
int RunSend(const QStringList &args)
{
    static const QRegularExpression faceArg(QStringLiteral("^([1-6])=(.+)$"));
    CubeFromFaces cube;
    QString to, from, subject, server;
    bool subjectGiven = false;
    QList<QPair<int, QString>> faces;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (i + 1 >= args.size())
            return UsageError(QStringLiteral("send"));
        const QString value = args.at(++i);
        if (arg == QLatin1String("--face")) {
            const QRegularExpressionMatch m = faceArg.match(value);
            if (!m.hasMatch())
                return UsageError(QStringLiteral("send"));
            faces.append({m.captured(1).toInt(), m.captured(2)});
        } else if (arg == QLatin1String("--caption")) {
            cube.SetCaption(value);
        } else if (arg == QLatin1String("--to")) {
            to = value;
        } else if (arg == QLatin1String("--from")) {
            from = value;
        } else if (arg == QLatin1String("--subject")) {
            subject = value;
            subjectGiven = true;
        } else if (arg == QLatin1String("--server")) {
            server = value;
        } else {
            return UsageError(QStringLiteral("send"));
        }
    }
    if (to.isEmpty() || from.isEmpty())
        return UsageError(QStringLiteral("send"));
    if (!cube.isValid()) {
        PrintErr(QStringLiteral("vexilo-cube: no temporary folder for the work directory"));
        return 1;
    }
    for (const auto &[number, photo] : faces) {
        if (!cube.SetFace(number, photo)) {
            PrintErr(QStringLiteral("vexilo-cube: face %1: %2 is not a picture that can be read").arg(number).arg(photo));
            return 1;
        }
    }
    StderrProgress progress;
    if (!cube.Build(progress))
        return 1;
    if (!cube.Package()) {
        PrintErr(QStringLiteral("vexilo-cube: the package Cube.exe could not be made"));
        return 1;
    }

    // The server as the program would choose it, unless one is named here.
    gDefaultMailServer = LoadResString(87);
    Startup::SetMailServer();
    Startup::SetFromAddress();
    if (!server.isEmpty()) {
        gMailServer = server;
        gUseDefaultServer = False;
    }

    // The send dialog itself, never shown: its messages go to standard error.
    MailCube dialog;
    dialog.SendTo->setText(to);
    dialog.From->setText(from);
    if (subjectGiven)
        dialog.Subject->setText(subject);
    bool closed = false;
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, [&] {
        closed = true;
        loop.quit();
    });
    dialog.Send_Click();
    if (!closed)
        loop.exec();
    return dialog.messageAccepted() ? 0 : 1;
}

const Command::Registrar send({QStringLiteral("send"),
                               QStringLiteral("--face N=PATH ... [--caption TEXT] --to LIST --from ADDR [--subject TEXT] [--server HOST[:PORT]]"),
                               RunSend});
} // namespace
