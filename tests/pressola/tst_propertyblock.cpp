#include "pressola/PressolaCtrl.h"
#include "pressola/PropertyBlock.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

// The button's saved property block: exact bytes, round trips, and blocks
// that must be refused.
class TestPropertyBlock : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void cleanup() { m_env.reset(); }

    void aboutBlockBytes();
    void aboutBlockWithDesignFilename();
    void storedBlocksRoundTrip_data();
    void storedBlocksRoundTrip();
    void longTextsRoundTrip();
    void longFaceNameCutBetweenCharacters_data();
    void longFaceNameCutBetweenCharacters();
    void otherVersionSavedAsOneZero();
    void textJustifyIsNotPersisted();
    void loadingRunsBitmapHandling();
    void maskSubsetKeepsOtherDefaults();
    void malformedBlocksRefused_data();
    void malformedBlocksRefused();
    void everyTruncationRefused();

private:
    static QByteArray Stored(const QString &name);
    static void MakeAbout(CPressolaCtrl &button);
    QScopedPointer<TestEnvironment> m_env;
};

QByteArray TestPropertyBlock::Stored(const QString &name)
{
    return ReadFile(QStringLiteral(":/forms/TopForm/%1.frx").arg(name)).mid(4);
}

void TestPropertyBlock::MakeAbout(CPressolaCtrl &button)
{
    button.SetCaption(QStringLiteral("About"));
    button.SetForeColor(0x800000);
    button.SetBackColor(0xFFFFFF);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(9);
    arial.setWeight(QFont::Bold);
    button.SetFont(arial);
    button.SetXPos(20);
    button.SetYPos(2);
    button.SetResourceName(QStringLiteral("ABOUT"));
}

void TestPropertyBlock::aboutBlockBytes()
{
    QWidget host;
    CPressolaCtrl button(&host);
    MakeAbout(button);
    const QByteArray expected = QByteArray::fromHex("00000100"
                                                    "00000000"
                                                    "00000000"
                                                    "cf000000" // version, extent, stock mask
                                                    "05"
                                                    "41626f7574" // "About"
                                                    "00008000"
                                                    "ffffff00" // navy, white
                                                    "00"
                                                    "0352e30b918fce119de300aa004bb851" // the standard font's class id
                                                    "01"
                                                    "0000"
                                                    "00"
                                                    "bc02"
                                                    "905f0100"
                                                    "05"
                                                    "417269616c" // 9 pt Arial, weight 700
                                                    "01"
                                                    "0000"
                                                    "1400"
                                                    "0200"
                                                    "01" // enabled, appearance, 20, 2, AutoFocus
                                                    "00"
                                                    "05"
                                                    "41424f5554"); // no Filename, "ABOUT"
    const QByteArray saved = button.Save();
    QCOMPARE(saved.size(), 78);
    QCOMPARE(saved.toHex(), expected.toHex());
}

void TestPropertyBlock::aboutBlockWithDesignFilename()
{
    QWidget host;
    CPressolaCtrl button(&host);
    MakeAbout(button);
    const QString filename = QStringLiteral("C:\\Vexilo2\\Sources\\Bitmaps\\ABOUTU.bmp");
    QCOMPARE(filename.size(), 37);
    button.SetFilename(filename);
    const QByteArray saved = button.Save();
    QCOMPARE(saved.size(), 115);
    // The block the editor stores for its About button, after its byte count.
    const QByteArray file = ReadFile(QStringLiteral(":/forms/TopForm/About.frx"));
    QCOMPARE(file.left(4), QByteArray::fromHex("73000000"));
    QCOMPARE(saved.toHex(), file.mid(4).toHex());
}

void TestPropertyBlock::storedBlocksRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QSize>("size");
    QTest::newRow("Insert") << "Insert"
                            << "Insert"
                            << "INSERT" << QSize(105, 24);
    QTest::newRow("Preview") << "Preview"
                             << "Preview"
                             << "STANDARD" << QSize(110, 29);
    QTest::newRow("EMail") << "EMail"
                           << "Send"
                           << "STANDARD" << QSize(110, 29);
    QTest::newRow("Save") << "Save"
                          << "Save"
                          << "STANDARD" << QSize(110, 29);
    QTest::newRow("About") << "About"
                           << "About"
                           << "ABOUT" << QSize(125, 20);
    QTest::newRow("Link") << "Link"
                          << "Customer Support Online"
                          << "LINK" << QSize(250, 20);
}

void TestPropertyBlock::storedBlocksRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, resource);
    QFETCH(QSize, size);
    QWidget host;
    CPressolaCtrl button(&host);
    const QByteArray block = Stored(name);
    QVERIFY(button.Load(block));
    QCOMPARE(button.GetCaption(), caption);
    QCOMPARE(button.GetResourceName(), resource);
    QCOMPARE(button.GetBackColor(), quint32(0xFFFFFF));
    QCOMPARE(button.GetFont().family(), QStringLiteral("Arial"));
    QCOMPARE(button.GetFont().weight(), int(QFont::Bold));
    QVERIFY(button.GetEnabled());
    QVERIFY(button.GetAutoFocus());
    QCOMPARE(button.size(), size);
    QCOMPARE(button.Save().toHex(), block.toHex());
}

void TestPropertyBlock::longTextsRoundTrip()
{
    QWidget host;
    CPressolaCtrl button(&host);
    button.SetCaption(QString(300, QLatin1Char('c')));
    button.SetFilename(QStringLiteral("/tmp/") + QString(70000, QLatin1Char('f')));
    button.SetResourceName(QStringLiteral("STANDARD"));
    const QByteArray block = button.Save();
    CPressolaCtrl copy(&host);
    QVERIFY(copy.Load(block));
    QCOMPARE(copy.GetCaption(), button.GetCaption());
    QCOMPARE(copy.GetFilename(), button.GetFilename());
    QCOMPARE(copy.Save(), block);
}

// The face name has one length byte: a longer name keeps as many whole
// characters as fit in 255 bytes of UTF-8.
void TestPropertyBlock::longFaceNameCutBetweenCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kept");
    const QString a254(254, QLatin1Char('a'));
    QTest::newRow("fits exactly") << QString(255, QLatin1Char('a')) << QString(255, QLatin1Char('a'));
    QTest::newRow("two-byte letter across the end") << a254 + QStringLiteral("\u00e9b") << a254;
    QTest::newRow("two-byte letters only") << QString(200, QChar(0x00e4)) << QString(127, QChar(0x00e4));
    QTest::newRow("three-byte letters only") << QString(100, QChar(0x65e5)) << QString(85, QChar(0x65e5));
    QTest::newRow("four-byte letters") << QStringLiteral("a") + QString::fromUtf8("\U0001F600").repeated(70)
                                       << QStringLiteral("a") + QString::fromUtf8("\U0001F600").repeated(63);
}

void TestPropertyBlock::longFaceNameCutBetweenCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, kept);
    PropertyBlock block;
    block.font.faceName = name;
    const std::optional<PropertyBlock> read = PropertyBlock::Read(block.Write(), PropertyBlock());
    QVERIFY(read.has_value());
    QCOMPARE(read->font.faceName, kept);
}

void TestPropertyBlock::otherVersionSavedAsOneZero()
{
    QByteArray block = Stored(QStringLiteral("Save"));
    block.replace(0, 4, QByteArray::fromHex("00000200"));
    QWidget host;
    CPressolaCtrl button(&host);
    QVERIFY(button.Load(block));
    const QByteArray saved = button.Save();
    QCOMPARE(saved.left(4), QByteArray::fromHex("00000100"));
    QCOMPARE(saved.mid(4), block.mid(4));
}

void TestPropertyBlock::textJustifyIsNotPersisted()
{
    QWidget host;
    CPressolaCtrl button(&host);
    button.SetTextJustify(0);
    button.SetCaption(QStringLiteral("x"));
    const QByteArray block = button.Save();
    CPressolaCtrl loaded(&host);
    QVERIFY(loaded.Load(block));
    QCOMPARE(loaded.GetTextJustify(), 6);
    QCOMPARE(loaded.GetCaption(), QStringLiteral("x"));
}

void TestPropertyBlock::loadingRunsBitmapHandling()
{
    QWidget host;
    CPressolaCtrl button(&host);
    QCOMPARE(button.ButtonState(), int(CPressolaCtrl::StateNone));
    QVERIFY(button.Load(Stored(QStringLiteral("Insert"))));
    QCOMPARE(button.ButtonState(), int(CPressolaCtrl::StateUp));
    // A block saved disabled comes back disabled, showing its disabled bitmap.
    button.SetEnabled(false);
    CPressolaCtrl disabled(&host);
    QVERIFY(disabled.Load(button.Save()));
    QVERIFY(!disabled.GetEnabled());
    QCOMPARE(disabled.ButtonState(), int(CPressolaCtrl::StateDisabled));
}

void TestPropertyBlock::maskSubsetKeepsOtherDefaults()
{
    // Only the caption among the stock properties.
    const QByteArray block = QByteArray::fromHex("00000100"
                                                 "00000000"
                                                 "00000000"
                                                 "02000000"
                                                 "03"
                                                 "416263"
                                                 "0700"
                                                 "0800"
                                                 "00"
                                                 "00"
                                                 "00");
    PropertyBlock defaults;
    defaults.foreColor = 0x123456;
    const std::optional<PropertyBlock> b = PropertyBlock::Read(block, defaults);
    QVERIFY(b);
    QCOMPARE(b->caption, QStringLiteral("Abc"));
    QCOMPARE(b->foreColor, quint32(0x123456));
    QCOMPARE(b->xPos, qint16(7));
    QCOMPARE(b->yPos, qint16(8));
    QVERIFY(!b->autoFocus);
}

void TestPropertyBlock::malformedBlocksRefused_data()
{
    QTest::addColumn<QByteArray>("block");
    const QByteArray good = Stored(QStringLiteral("About"));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("caption length past the end") << QByteArray(good).replace(16, 1, "\xC8");
    QTest::newRow("caption long form past the end") << QByteArray(good).replace(16, 1, QByteArray::fromHex("ffffff"));
    QTest::newRow("wrong font class id") << QByteArray(good).replace(31, 1, "\x04");
    QTest::newRow("font not marked present") << QByteArray(good).replace(30, 1, "\x01");
    QTest::newRow("face name past the end") << QByteArray(good).replace(57, 1, "\x7F");
    QTest::newRow("unknown stock property") << QByteArray(good).replace(12, 1, "\xDF");
    QTest::newRow("resource name past the end") << QByteArray(good).replace(good.size() - 6, 1, "\x06");
    QTest::newRow("not a block") << QByteArray("This is not a property block at all.");
}

void TestPropertyBlock::malformedBlocksRefused()
{
    QFETCH(QByteArray, block);
    QWidget host;
    CPressolaCtrl button(&host);
    const QByteArray before = button.Save();
    QVERIFY(!button.Load(block));
    QCOMPARE(button.Save(), before);
    QCOMPARE(button.ButtonState(), int(CPressolaCtrl::StateNone));
    QCOMPARE(button.GetCaption(), QString());
}

void TestPropertyBlock::everyTruncationRefused()
{
    const QByteArray good = Stored(QStringLiteral("Link"));
    QWidget host;
    CPressolaCtrl button(&host);
    const QByteArray before = button.Save();
    for (int n = 0; n < good.size(); ++n)
        QVERIFY2(!button.Load(good.left(n)), qPrintable(QString::number(n)));
    QCOMPARE(button.Save(), before);
    QVERIFY(button.Load(good));
}

QTEST_MAIN(TestPropertyBlock)
#include "tst_propertyblock.moc"
