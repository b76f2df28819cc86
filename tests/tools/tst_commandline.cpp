#include "tests/support/TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// vexilo-cube's own arguments: help, version and the commands' help.
class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void cleanup() { m_env.reset(); }

    void programArguments_data();
    void programArguments();
    void helpListsEveryCommandOnOneLine();
    void commandHelp_data();
    void commandHelp();

private:
    struct Run
    {
        int exitCode;
        QByteArray out, err;
    };
    static Run Start(const QStringList &args);
    QScopedPointer<TestEnvironment> m_env;
};

TestCommandLine::Run TestCommandLine::Start(const QStringList &args)
{
    QProcess p;
    p.start(TestEnvironment::appDir() + QStringLiteral("/vexilo-cube"), args);
    p.waitForFinished(30000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

void TestCommandLine::programArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    const QByteArray list("Commands:\n");
    const QByteArray hint("Try 'vexilo-cube --help' for more information.\n");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << list << QByteArray();
    QTest::newRow("-h") << QStringList{"-h"} << 0 << list << QByteArray();
    QTest::newRow("help") << QStringList{"help"} << 0 << list << QByteArray();
    QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("vexilo-cube 2.0.45\n") << QByteArray();
    QTest::newRow("no arguments") << QStringList{} << 2 << QByteArray()
                                  << QByteArray("vexilo-cube: no command given\n");
    QTest::newRow("unknown command") << QStringList{"frobnicate", "--out", "x"} << 2 << QByteArray()
                                     << QByteArray("vexilo-cube: unknown command 'frobnicate'\n") + hint;
    QTest::newRow("help on unknown command") << QStringList{"help", "frobnicate"} << 2 << QByteArray()
                                             << QByteArray("vexilo-cube: unknown command 'frobnicate'\n") + hint;
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << QByteArray() << hint;
}

void TestCommandLine::programArguments()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    const Run run = Start(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.contains(out), run.out.constData());
    QVERIFY2(run.err.contains(err), run.err.constData());
    if (exitCode != 0)
        QVERIFY(run.err.endsWith("for more information.\n"));
}

void TestCommandLine::helpListsEveryCommandOnOneLine()
{
    const QList<QByteArray> lines = Start({"--help"}).out.split('\n');
    const qsizetype first = lines.indexOf("Commands:") + 1;
    QStringList names;
    for (qsizetype i = first; i < lines.size() && !lines.at(i).isEmpty(); ++i) {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^  ([a-z]+) +(\\S.+)$")).match(QString::fromUtf8(lines.at(i)));
        QVERIFY2(m.hasMatch(), lines.at(i).constData());
        names << m.captured(1);
    }
    QCOMPARE(names, QStringList({"build", "catalog", "reg", "regsvr", "send", "video"}));
}

void TestCommandLine::commandHelp_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("build") << "build"
                           << QStringList{"--cube FILE", "--face N=PATH", "--caption TEXT", "--out DIR", "--package",
                                          "--save-cube FILE"};
    QTest::newRow("send") << "send"
                          << QStringList{"--cube FILE", "--face N=PATH",  "--caption TEXT",   "--to LIST",   "--from ADDR",
                                         "--subject TEXT", "--server TEXT",    "--user NAME", "--password-file FILE",
                                         "--cacert FILE",  "--attach web|exe|both", "--attach-web-page"};
    QTest::newRow("catalog") << "catalog" << QStringList{"--disc ROOT", "--catalogs DIR"};
    QTest::newRow("reg") << "reg" << QStringList{};
    QTest::newRow("regsvr") << "regsvr" << QStringList{"--unregister"};
}

// "help COMMAND" and "COMMAND --help" give the same text, in which every
// option and argument has a description.
void TestCommandLine::commandHelp()
{
    QFETCH(QString, command);
    QFETCH(QStringList, options);
    const Run help = Start({"help", command});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith("usage: vexilo-cube " + command.toUtf8() + ' '));
    for (const QStringList &args : {QStringList{command, "--help"}, QStringList{command, "-h"}}) {
        const Run run = Start(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, help.out);
    }
    QStringList described;
    const QRegularExpression row(QStringLiteral("^  (\\S.*?)  +(\\S.+)$"));
    for (const QString &line : QString::fromUtf8(help.out).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("  "))) {
            const QRegularExpressionMatch m = row.match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            described << m.captured(1);
        }
    }
    for (const QString &option : options)
        QVERIFY2(described.contains(option), qPrintable(option));
    QVERIFY(described.contains(QStringLiteral("-h, --help")));
    QVERIFY(help.out.contains("Exit status: 0 done, 1 failed, 2 bad usage."));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
