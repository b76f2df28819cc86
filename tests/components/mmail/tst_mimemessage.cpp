#include "components/mmail/AddressHeader.h"
#include "components/mmail/MimeMessage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Header lines as the message writer folds them, and its message read a
// piece at a time.
class TestMimeMessage : public QObject
{
    Q_OBJECT
private slots:
    void foldedLinesAreNeverBlank_data();
    void foldedLinesAreNeverBlank();
    void longSubjectStaysWithinLineLimit_data();
    void longSubjectStaysWithinLineLimit();
    void longDisplayNameStaysWithinLineLimit_data();
    void longDisplayNameStaysWithinLineLimit();
    void blankAddressEntriesAreDropped_data();
    void blankAddressEntriesAreDropped();
    void fileContentReadsLikeBytesInMemory_data();
    void fileContentReadsLikeBytesInMemory();
    void multipartPartsNestTheirOwnParts();

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

void TestMimeMessage::longDisplayNameStaysWithinLineLimit_data()
{
    QTest::addColumn<QString>("list");
    const QString words = QStringLiteral("word ").repeated(218);
    QTest::newRow("one entry") << words + QStringLiteral(" <me@example.org>");
    QTest::newRow("second entry") << QStringLiteral("ann@example.org, ") + words + QStringLiteral("<me@example.org>");
    QTest::newRow("just fits") << QString(998 - 8 - 17, QLatin1Char('x')) + QStringLiteral(" <me@example.org>");
}

void TestMimeMessage::longDisplayNameStaysWithinLineLimit()
{
    QFETCH(QString, list);
    const QByteArray field = AddressHeaderLine(QStringLiteral("From"), list);
    for (const QByteArray &line : lines(field))
        QVERIFY2(line.size() <= 999, QByteArray::number(line.size()).constData());
    QVERIFY(field.contains(" <me@example.org>\r\n"));
}

void TestMimeMessage::blankAddressEntriesAreDropped_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QByteArray>("field");
    const QString far = QString(70, QLatin1Char('a')) + QStringLiteral("@example.org");
    QTest::newRow("trailing comma and blank") << far + QStringLiteral(", ") << QByteArray("To: " + far.toUtf8() + "\r\n");
    QTest::newRow("empty between") << QStringLiteral("a@b.c,,d@e.f") << QByteArray("To: a@b.c,d@e.f\r\n");
    QTest::newRow("only blanks") << QStringLiteral(" , ") << QByteArray("To:\r\n");
}

void TestMimeMessage::blankAddressEntriesAreDropped()
{
    QFETCH(QString, list);
    QFETCH(QByteArray, field);
    QCOMPARE(AddressHeaderLine(QStringLiteral("To"), list), field);
}

void TestMimeMessage::fileContentReadsLikeBytesInMemory_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("empty file") << 0 << 65536;
    QTest::newRow("one past a line, a byte at a time") << 58 << 1;
    QTest::newRow("a line at a time") << 3 * 57 * 1000 + 1 << 78;
    QTest::newRow("pieces across lines") << 3 * 57 * 1000 + 1 << 100;
    QTest::newRow("socket-sized pieces") << 3 * 57 * 1000 + 1 << 65536;
}

void TestMimeMessage::fileContentReadsLikeBytesInMemory()
{
    QFETCH(int, size);
    QFETCH(int, pieceSize);
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 251);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("Cube.exe")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(size));
    file.close();

    MimeMessage message;
    message.boundary = QStringLiteral("b1");
    message.container.type = QStringLiteral("multipart");
    message.container.subType = QStringLiteral("mixed");
    message.container.parameters = QStringLiteral("boundary=b1");
    MimeEntity attachment;
    attachment.type = QStringLiteral("application");
    attachment.subType = QStringLiteral("octet-stream");
    attachment.encoding = QStringLiteral("base64");
    attachment.content = *MimeContent::fromFile(file.fileName());
    MimeEntity text;
    text.type = QStringLiteral("text");
    text.subType = QStringLiteral("plain");
    text.encoding = QStringLiteral("7bit");
    text.content = QByteArray(".dot\nend");
    message.parts = {attachment, text};
    MimeMessage inMemory = message;
    inMemory.parts[0].content = bytes;

    MimeMessage::Stream stream = message.stream();
    QByteArray read, piece;
    while (!stream.atEnd()) {
        QVERIFY(stream.read(piece, pieceSize));
        QVERIFY(!piece.isEmpty());
        read += piece;
    }
    QCOMPARE(read, inMemory.render());
    QCOMPARE(stream.size(), qint64(read.size()));
    QVERIFY(read.endsWith("\r\n..dot\r\nend\r\n--b1--\r\n"));
}

void TestMimeMessage::multipartPartsNestTheirOwnParts()
{
    const auto entity = [](const char *type, const char *subType, const char *parameters, const QByteArray &body) {
        MimeEntity e;
        e.type = QString::fromLatin1(type);
        e.subType = QString::fromLatin1(subType);
        e.parameters = QString::fromLatin1(parameters);
        e.content = body;
        return e;
    };
    MimeMessage message;
    message.boundary = QStringLiteral("b1");
    message.container = entity("multipart", "mixed", "boundary=b1", {});
    MimeEntity related = entity("multipart", "related", "boundary=\"rel_b1\"", {});
    MimeEntity picture = entity("image", "jpeg", "", "\xff\xd8");
    picture.encoding = QStringLiteral("base64");
    picture.contentId = QStringLiteral("<p@x>");
    related.parts = {entity("text", "html", "", "<img src=cid:p@x>"), picture};
    message.parts = {related, entity("text", "plain", "", "after")};
    const QByteArray rendered = message.render();
    const QByteArray body = rendered.mid(rendered.indexOf("MIME format.\r\n") + 14);
    QCOMPARE(body, QByteArray("--b1\r\n"
                              "Content-Type: multipart/related; boundary=\"rel_b1\"\r\n\r\n"
                              "--rel_b1\r\nContent-Type: text/html\r\n\r\n<img src=cid:p@x>\r\n"
                              "--rel_b1\r\nContent-Type: image/jpeg\r\nContent-Transfer-Encoding: base64\r\n"
                              "Content-ID: <p@x>\r\n\r\n/9g=\r\n"
                              "--rel_b1--\r\n"
                              "--b1\r\nContent-Type: text/plain\r\n\r\nafter\r\n"
                              "--b1--\r\n"));
}

QTEST_GUILESS_MAIN(TestMimeMessage)
#include "tst_mimemessage.moc"
