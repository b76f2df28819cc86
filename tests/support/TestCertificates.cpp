#include "tests/support/TestCertificates.h"

#include "tests/support/TestEnvironment.h"

#include <QProcess>

namespace {

const QStringList kEcKey = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

TestCertificates::TestCertificates()
{
    m_ready = run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kEcKey
                  + QStringList{QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("ca.key")),
                                QStringLiteral("-out"), caFile(), QStringLiteral("-days"), QStringLiteral("2"),
                                QStringLiteral("-subj"), QStringLiteral("/CN=Throwaway Test Authority"),
                                QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                                QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
}

QString TestCertificates::caFile() const
{
    return m_dir.filePath(QStringLiteral("ca.pem"));
}

bool TestCertificates::run(const QStringList &arguments)
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    openssl.start(QStringLiteral("openssl"), arguments);
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

TestCertificates::Pair TestCertificates::issue(Kind kind)
{
    const QString base = m_dir.filePath(QStringLiteral("server%1").arg(int(kind)));
    const Pair pair{base + QStringLiteral(".pem"), base + QStringLiteral(".key")};
    const QString name = kind == OtherName ? QStringLiteral("mail.example.org") : QStringLiteral("localhost");
    const QString names = kind == OtherName ? QStringLiteral("subjectAltName=DNS:mail.example.org")
                                            : QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1");
    if (kind == SelfSigned) {
        run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kEcKey
            + QStringList{QStringLiteral("-keyout"), pair.key, QStringLiteral("-out"), pair.cert,
                          QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                          QStringLiteral("/CN=") + name, QStringLiteral("-addext"), names});
        return pair;
    }
    const QString request = base + QStringLiteral(".csr");
    const QString extensions = WriteFile(base + QStringLiteral(".ext"), names.toUtf8() + '\n');
    run(QStringList{QStringLiteral("req")} + kEcKey
        + QStringList{QStringLiteral("-keyout"), pair.key, QStringLiteral("-out"), request, QStringLiteral("-subj"),
                      QStringLiteral("/CN=") + name});
    run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request, QStringLiteral("-CA"),
         caFile(), QStringLiteral("-CAkey"), m_dir.filePath(QStringLiteral("ca.key")),
         QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), pair.cert, QStringLiteral("-days"),
         kind == Expired ? QStringLiteral("-1") : QStringLiteral("2"), QStringLiteral("-extfile"), extensions});
    return pair;
}
