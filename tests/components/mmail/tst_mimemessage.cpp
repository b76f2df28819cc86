#include "components/mmail/MimeMessage.h"

#include <QTest>

// Header lines as the message writer folds them.
class TestMimeMessage : public QObject
{
    Q_OBJECT
private slots:
    void foldedLinesAreNeverBlank_data();
    void foldedLinesAreNeverBlank();
    void longSubjectStaysWithinLineLimit_data();
    void longSubjectStaysWithinLineLimit();

private:
    static QList<QByteArray> lines(const QByteArray &field);
    static QByteArray unfolded(const QByteArray &field);
};

QList<QByteArray> TestMimeMessage::lines(const QByteArray &field)
{
    return field.chopped(2).split('\n');
}

QByteArray TestMimeMessage::unfolded(const QByteArray &field)
{
    QByteArray text = field;
    return text.replace("\r\n ", " ").chopped(2);
}

void TestMimeMessage::foldedLinesAreNeverBlank_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("run of blanks across the fold") << QStringLiteral("a") + QString(150, QLatin1Char(' ')) + QStringLiteral("b");
    QTest::newRow("blanks at the end") << QStringLiteral("word ").repeated(20) + QString(100, QLatin1Char(' '));
    QTest::newRow("words") << QStringLiteral("someone@example.org, ").repeated(10);
}

void TestMimeMessage::foldedLinesAreNeverBlank()
{
    QFETCH(QString, value);
    const QByteArray field = MimeMessage::headerLine(QStringLiteral("To"), value);
    QVERIFY(field.endsWith("\r\n"));
    for (QByteArray line : lines(field)) {
        if (line.endsWith('\r'))
            line.chop(1);
        QVERIFY2(!line.trimmed().isEmpty(), field.constData());
    }
    QCOMPARE(unfolded(field), "To: " + value.toUtf8());
}

void TestMimeMessage::longSubjectStaysWithinLineLimit_data()
{
    QTest::addColumn<QString>("subject");
    QTest::newRow("one long word") << QString(1200, QLatin1Char('x'));
    QTest::newRow("many words") << QStringLiteral("cube ").repeated(300).trimmed();
    QTest::newRow("long non-ASCII") << QString(600, QChar(0xe9));
}

void TestMimeMessage::longSubjectStaysWithinLineLimit()
{
    QFETCH(QString, subject);
    const QByteArray field = MimeMessage::subjectLine(subject);
    QVERIFY(field.startsWith("Subject: "));
    QVERIFY(field.endsWith("\r\n"));
    for (const QByteArray &line : lines(field))
        QVERIFY2(line.size() <= 999, QByteArray::number(line.size()).constData());
    QVERIFY(lines(field).size() > 1);
}

QTEST_GUILESS_MAIN(TestMimeMessage)
#include "tst_mimemessage.moc"
