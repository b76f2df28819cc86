#include "core/Globals.h"
#include "core/MessageBox.h"
#include "photosource/DiscPrompt.h"
#include "photosource/InsertCD.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QPushButton>
#include <QTest>

// The disc prompt: the InsertCD dialog and its Retry/Cancel loop.
class TestDiscPrompt : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dialogTextsAndLayout();
    void closingOtherwiseIsCancel();
    void retryWhileMissingAsksAgain();
    void cancelGivesUp();
    void fileInAnUnreadableFolder();
    void autoPlayLockHeldWhileAsking();

private:
    // Answers each dialog with the next button (true = Retry); runs before
    // each answer so the test can change the world.
    void answer(QList<bool> buttons, std::function<void(InsertCD &)> before = {});

    QScopedPointer<TestEnvironment> m_env;
    int m_shown = 0;
    QStringList m_discLines;
    QStringList m_fileLines;
};

void TestDiscPrompt::init()
{
    m_env.reset(new TestEnvironment);
    m_shown = 0;
    m_discLines.clear();
    m_fileLines.clear();
}

void TestDiscPrompt::cleanup()
{
    m_env.reset();
}

void TestDiscPrompt::answer(QList<bool> buttons, std::function<void(InsertCD &)> before)
{
    MessageSeam::setDialogHandler([this, buttons, before](QDialog &dialog) mutable {
        auto *prompt = qobject_cast<InsertCD *>(&dialog);
        QVERIFY(prompt);
        ++m_shown;
        m_discLines << prompt->Label1->text();
        m_fileLines << prompt->Label2->text();
        if (before)
            before(*prompt);
        QVERIFY(!buttons.isEmpty());
        QTest::mouseClick(buttons.takeFirst() ? prompt->Command1 : prompt->Command2, Qt::LeftButton);
    });
}

void TestDiscPrompt::dialogTextsAndLayout()
{
    InsertCD dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Insert Picture CD"));
    QCOMPARE(dialog.Label3->text(), QStringLiteral("Insert the Picture CD:"));
    QCOMPARE(dialog.Label4->text(), QStringLiteral("that contains the file:"));
    QCOMPARE(dialog.Command1->text(), QStringLiteral("&Retry"));
    QCOMPARE(dialog.Command2->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog.size(), QSize(344, 89));
    QCOMPARE(dialog.Label1->geometry(), QRect(122, 5, 216, 18));
    QCOMPARE(dialog.Label2->geometry(), QRect(122, 21, 216, 38));
    QCOMPARE(dialog.Command1->geometry(), QRect(66, 63, 93, 25));
    QCOMPARE(dialog.Command2->geometry(), QRect(187, 63, 93, 25));
    QCOMPARE(dialog.MyReturnVal, False);
}

void TestDiscPrompt::closingOtherwiseIsCancel()
{
    MessageSeam::setDialogHandler([this](QDialog &dialog) {
        ++m_shown;
        dialog.close();
    });
    QVERIFY(!AskForDisc(m_env->path("disc/missing.jpg"), "1999_10_15-12_30_05-0042", nullptr));
    QCOMPARE(m_shown, 1);
}

void TestDiscPrompt::retryWhileMissingAsksAgain()
{
    const QString photo = m_env->path("disc/PICTURES/IMG0001.JPG");
    answer({true, true, true}, [&](InsertCD &) {
        if (m_shown == 3)
            WriteFile(photo, "a photo");
    });
    QVERIFY(AskForDisc(photo, "1999_10_15-12_30_05-0042", nullptr));
    QCOMPARE(m_shown, 3);
    QCOMPARE(m_discLines, QStringList(3, "10/15/1999, #0042"));
    QCOMPARE(m_fileLines, QStringList(3, photo));
}

void TestDiscPrompt::cancelGivesUp()
{
    answer({true, false});
    QVERIFY(!AskForDisc(m_env->path("disc/gone.jpg"), "Holiday", nullptr));
    QCOMPARE(m_shown, 2);
    QCOMPARE(m_discLines.first(), QStringLiteral("//, #"));
}

void TestDiscPrompt::fileInAnUnreadableFolder()
{
    const QString folder = m_env->path("locked");
    WriteFile(folder + "/a.jpg", "x");
    QFile::setPermissions(folder, {});
    const bool visible = QFileInfo(folder + "/a.jpg").exists();
    answer({true, false});
    QCOMPARE(AskForDisc(folder + "/a.jpg", "", nullptr), visible);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(PhotoFileExists(folder + "/a.jpg"), true);
    QCOMPARE(PhotoFileExists(folder), false);
    QCOMPARE(PhotoFileExists(QString()), false);
}

void TestDiscPrompt::autoPlayLockHeldWhileAsking()
{
    const QString runtime = m_env->path("runtime");
    QDir().mkpath(runtime);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    bool heldWhileAsking = false;
    answer({false}, [&](InsertCD &) {
        QLockFile other(runtime + "/Adobe.KodakVevudedED.AutoPlay");
        heldWhileAsking = !other.tryLock(0);
    });
    AskForDisc(m_env->path("gone.jpg"), "", nullptr);
    QVERIFY(heldWhileAsking);
    QLockFile after(runtime + "/Adobe.KodakVevudedED.AutoPlay");
    QVERIFY(after.tryLock(0));
}

QTEST_MAIN(TestDiscPrompt)
#include "tst_discprompt.moc"
