#include "components/mmail/MMail.h"
#include "mail/MailComposer.h"

#include <QCoreApplication>
#include <cstdio>

// mail-send SERVER ATTACHMENT [CAFILE]: sends one cube message with ATTACHMENT
// as its package through connect, send and disconnect, trusting CAFILE's
// authority too, and signing in as "bench" with the password "bench" when
// the server asks; exit 0 once disconnected.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4)
        return 2;
    MMail mail;
    if (argc == 4)
        mail.setCaCertificateFile(QString::fromLocal8Bit(argv[3]));
    MailComposer composer(mail);
    const MailOrder order{QStringLiteral("friend@example.org"),
                          QStringLiteral("me@example.org"),
                          QStringLiteral("Norvane Vexilo from a friend"),
                          QString::fromLocal8Bit(argv[2]),
                          QString::fromLocal8Bit(argv[1]),
                          false};
    if (!composer.Compose(order))
        return 1;
    int exitCode = 1;
    QObject::connect(&mail, &MMail::Done, &app, [&] {
        static int phase = 0;
        ++phase;
        if (phase == 1)
            mail.setAction(MMail::Send);
        else if (phase == 2)
            mail.setAction(MMail::Disconnect);
        else {
            exitCode = 0;
            app.quit();
        }
    });
    QObject::connect(&mail, &MMail::AsyncError, &app, [&](qint16 code, const QString &text) {
        std::fprintf(stderr, "error %d: %s\n", code, qPrintable(text));
        app.quit();
    });
    QObject::connect(&mail, &MMail::SignInNeeded, &app,
                     [&] { mail.signIn(QStringLiteral("bench"), QStringLiteral("bench")); });
    mail.setAction(MMail::Connect);
    app.exec();
    return exitCode;
}
