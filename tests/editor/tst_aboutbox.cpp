#include "core/Globals.h"
#include "editor/AboutBox.h"
#include "tests/support/TestEnvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The about box: its version label, layout and OK.
class TestAboutBox : public QObject
{
    Q_OBJECT
private slots:
    void versionText_data();
    void versionText();
    void loadFillsTheDialog();
    void layout();
    void okUnloads();
};

void TestAboutBox::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("this release") << 2 << 0 << 45 << "2.0.45";
    QTest::newRow("revision 12") << 1 << 0 << 12 << "1.0.12";
    QTest::newRow("no leading zeros") << 1 << 0 << 5 << "1.0.5";
    QTest::newRow("large numbers") << 10 << 11 << 1234 << "10.11.1234";
}

void TestAboutBox::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(AboutBox::VersionText(major, minor, revision), text);
}

void TestAboutBox::loadFillsTheDialog()
{
    TestEnvironment env;
    gAppTitle = QStringLiteral("Norvane\u00ae Vexilo");
    AboutBox box;
    QCOMPARE(box.VersionNumber->text(), QStringLiteral("0.0.0000"));
    box.Form_Load();
    QCOMPARE(box.windowTitle(), gAppTitle);
    QCOMPARE(box.OK->text(), QStringLiteral("OK"));
    QCOMPARE(box.Version->text(), QStringLiteral("Version"));
    QCOMPARE(box.VersionNumber->text(), QStringLiteral("2.0.45"));
    QCOMPARE(box.Version->font().family(), QStringLiteral("Tahoma"));
    QVERIFY(!box.Back->pixmap().isNull());
    QCOMPARE(box.Back->pixmap().size(), QSize(420, 191));
    QCOMPARE(box.ProjectHome->text(), QStringLiteral("Project home: https://github.com/norvane/vexilo"));
    QVERIFY(box.ProjectHome->textInteractionFlags() & Qt::TextSelectableByMouse);
}

void TestAboutBox::layout()
{
    AboutBox box;
    QCOMPARE(box.size(), QSize(418, 186));
    QCOMPARE(box.Back->geometry(), QRect(0, 0, 420, 191));
    QCOMPARE(box.Version->geometry(), QRect(109, 50, 44, 15));
    QCOMPARE(box.VersionNumber->geometry(), QRect(162, 50, 56, 15));
    QCOMPARE(box.OK->geometry(), QRect(165, 152, 124, 26));
    // Under the artwork's copyright line, above OK.
    QCOMPARE(box.ProjectHome->geometry(), QRect(110, 137, 300, 13));
}

void TestAboutBox::okUnloads()
{
    AboutBox box;
    box.Form_Load();
    box.show();
    QTest::mouseClick(box.OK, Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
