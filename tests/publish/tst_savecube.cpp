#include "core/Globals.h"
#include "core/MessageBox.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "editor/TopForm.h"
#include "publish/CubeSave.h"
#include "publish/DirectoryList.h"
#include "publish/Progress.h"
#include "publish/SaveCube.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// The Save Vexilo dialog, its OK rules and the Save command around it.
class TestSaveCube : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void okRules_data();
    void okRules();
    void relativePathIsTakenFromCurrentDirectory();
    void dialogAfterLoad();
    void okWithoutEditingSavesThere();
    void closeBoxCountsAsCancel();
    void directoryListFollowsDoubleClick();
    void missingStartDirectoryShowsParent();
    void drivesHoldHomeAndRoot();
    void saveCopiesEveryFile();
    void saveTwiceReplacesAndKeepsOthers();
    void cancelSavesNothing();
    void saveDirectoryGoneAtCopyTime();
    void saveBlockedShowsReasonAndKeepsFiles();
    void copyOnFullDiskKeepsOldFiles();
    void copyRemovesWhatAKilledCopyLeft();

private:
    QString dir(const QString &relative) const { return m_env->path(relative); }
    // The default save directory start-up finds for a home folder.
    static QString cubeDirectoryForHome(const QString &home);
    // Answers the dialog by typing into its text box and pressing OK.
    void answerDialogWith(const QString &typed);

    TestEnvironment *m_env = nullptr;
    int m_answer = IDYES;
};

void TestSaveCube::init()
{
    m_env = new TestEnvironment;
    m_answer = IDYES;
    MessageSeam::setMessageHandler([this](int, MsgButtons) { return m_answer; });
    QDir().mkpath(dir(QStringLiteral("Vexilo/Existing")));
    QCOMPARE(cubeDirectoryForHome(m_env->root()), dir(QStringLiteral("Vexilo")));
}

QString TestSaveCube::cubeDirectoryForHome(const QString &home)
{
    const QByteArray ownHome = qgetenv("HOME");
    qputenv("HOME", home.toUtf8());
    Settings::instance().ReadCubeDirectory();
    qputenv("HOME", ownHome);
    return Settings::instance().cubeDirectory();
}

void TestSaveCube::cleanup()
{
    QDir::setCurrent(QDir::tempPath());
    delete m_env;
}

void TestSaveCube::okRules_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QList<int>>("messages");
    QTest::newRow("as listed") << "Vexilo"
                               << "Vexilo" << int(IDYES) << "Vexilo" << QList<int>{};
    QTest::newRow("listed but gone") << "Gone"
                                     << "Gone" << int(IDYES) << "Gone" << QList<int>{};
    QTest::newRow("existing, yes") << "Vexilo/Existing"
                                   << "Vexilo" << int(IDYES) << "Vexilo/Existing" << QList<int>{82};
    QTest::newRow("existing, no") << "Vexilo/Existing"
                                  << "Vexilo" << int(IDNO) << "" << QList<int>{82};
    QTest::newRow("other letter case") << "vexilo"
                                       << "Vexilo" << int(IDYES) << "vexilo" << QList<int>{82};
    QTest::newRow("new, one level") << "Vexilo/New"
                                    << "Vexilo" << int(IDYES) << "Vexilo/New" << QList<int>{};
    QTest::newRow("new, two levels") << "Vexilo/A/B"
                                     << "Vexilo" << int(IDYES) << "" << QList<int>{23};
    QTest::newRow("empty") << ""
                           << "Vexilo" << int(IDYES) << "" << QList<int>{23};
}

void TestSaveCube::okRules()
{
    QFETCH(QString, typed);
    QFETCH(QString, listed);
    QFETCH(int, answer);
    QFETCH(QString, chosen);
    QFETCH(QList<int>, messages);
    QDir().mkpath(dir(QStringLiteral("vexilo")));
    m_answer = answer;
    auto full = [this](const QString &p) { return p.isEmpty() ? p : dir(p); };
    QCOMPARE(CubeSave::ChooseSaveDirectory(full(typed), full(listed)), full(chosen));
    QCOMPARE(MessageSeam::shownMessages(), messages);
    QCOMPARE(QFileInfo(dir(QStringLiteral("Vexilo/A"))).exists(), false);
    if (!chosen.isEmpty())
        QVERIFY(QFileInfo(full(chosen)).isDir() || typed == listed);
}

void TestSaveCube::relativePathIsTakenFromCurrentDirectory()
{
    QDir::setCurrent(dir(QStringLiteral("Vexilo")));
    const QString chosen = CubeSave::ChooseSaveDirectory(QStringLiteral("Relative"), dir(QStringLiteral("Vexilo")));
    QCOMPARE(chosen, dir(QStringLiteral("Vexilo/Relative")));
    QVERIFY(QFileInfo(chosen).isDir());
}

void TestSaveCube::dialogAfterLoad()
{
    SaveCube dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Save Vexilo"));
    QCOMPARE(dialog.OK->text(), QStringLiteral("OK"));
    QCOMPARE(dialog.Cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog.Label1->text(), QStringLiteral("&Enter the name of the directory to create:"));
    QVERIFY(dialog.Label2->text().startsWith(QStringLiteral("A number of files will be saved on your disk")));
    QCOMPARE(dialog.Dir1->path(), dir(QStringLiteral("Vexilo")));
    QCOMPARE(dialog.Current->text(), dir(QStringLiteral("Vexilo")));
    QCOMPARE(dialog.Current->cursorPosition(), dir(QStringLiteral("Vexilo")).size());
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget *>(dialog.Current));
    QVERIFY(dialog.OK->isDefault());
    QCOMPARE(dialog.size(), QSize(308, 318));
    QCOMPARE(dialog.Current->geometry(), QRect(6, 119, 201, 19));

    const QList<QWidget *> order{dialog.Current, dialog.Dir1, dialog.Drive1, dialog.OK, dialog.Cancel};
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget *next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QCOMPARE(next, order[i + 1]);
    }
}

void TestSaveCube::okWithoutEditingSavesThere()
{
    SaveCube dialog;
    QTest::mouseClick(dialog.OK, Qt::LeftButton);
    QCOMPARE(dialog.SaveDir(), dir(QStringLiteral("Vexilo")));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestSaveCube::closeBoxCountsAsCancel()
{
    SaveCube dialog;
    dialog.show();
    dialog.close();
    QCOMPARE(dialog.SaveDir(), QString());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    SaveCube escaped;
    escaped.show();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QCOMPARE(escaped.SaveDir(), QString());
}

void TestSaveCube::directoryListFollowsDoubleClick()
{
    SaveCube dialog;
    QList<QListWidgetItem *> items = dialog.Dir1->findItems(QStringLiteral("Existing"), Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    emit dialog.Dir1->itemActivated(items.first());
    QCOMPARE(dialog.Dir1->path(), dir(QStringLiteral("Vexilo/Existing")));
    QCOMPARE(dialog.Current->text(), dir(QStringLiteral("Vexilo/Existing")));
    // The parent is listed above and leads back up.
    items = dialog.Dir1->findItems(QStringLiteral("Vexilo"), Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    emit dialog.Dir1->itemActivated(items.first());
    QCOMPARE(dialog.Current->text(), dir(QStringLiteral("Vexilo")));
}

void TestSaveCube::missingStartDirectoryShowsParent()
{
    QCOMPARE(cubeDirectoryForHome(dir(QStringLiteral("Vexilo/Not"))), dir(QStringLiteral("Vexilo/Not/Vexilo")));
    SaveCube dialog;
    QCOMPARE(dialog.Dir1->path(), dir(QStringLiteral("Vexilo")));
    QCOMPARE(dialog.Current->text(), dir(QStringLiteral("Vexilo")));
}

void TestSaveCube::drivesHoldHomeAndRoot()
{
    QStringList drives = DirectoryList::Drives();
    QCOMPARE(drives.first(), QDir::homePath());
    QVERIFY(drives.contains(QStringLiteral("/")));
    QCOMPARE(drives.removeDuplicates(), 0);
    SaveCube dialog;
    QCOMPARE(dialog.Drive1->count(), drives.size());
}

void TestSaveCube::answerDialogWith(const QString &typed)
{
    MessageSeam::setDialogHandler([typed](QDialog &d) {
        auto &dialog = static_cast<SaveCube &>(d);
        dialog.Current->setText(typed);
        dialog.OK_Click();
    });
}

void TestSaveCube::saveCopiesEveryFile()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    const QString remembered = QDir::currentPath();
    const QString target = dir(QStringLiteral("Vexilo/MyCube"));
    answerDialogWith(target);
    form.Caption1->setPlainText(QStringLiteral("Saved cube"));
    form.Save_Click();
    QCOMPARE(CubeBuilder::PlainFiles(target), CubeBuilder::PlainFiles(form.WorkDirectory()));
    QVERIFY(ReadFile(target + QStringLiteral("/Vexilo.htm")).contains("Saved cube"));
    QCOMPARE(QDir::currentPath(), remembered);
    QVERIFY(!Progress::isLoaded());
    QVERIFY(MessageSeam::shownMessages().isEmpty());
}

void TestSaveCube::saveTwiceReplacesAndKeepsOthers()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    const QString target = dir(QStringLiteral("Vexilo/Existing"));
    WriteFile(target + QStringLiteral("/Vexilo.htm"), "older page");
    WriteFile(target + QStringLiteral("/notes.txt"), "mine");
    answerDialogWith(target);
    form.Caption1->setPlainText(QStringLiteral("First"));
    form.Save_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{82});
    form.Caption1->setPlainText(QStringLiteral("Second"));
    form.Save_Click();
    QVERIFY(ReadFile(target + QStringLiteral("/Vexilo.htm")).contains("Second"));
    QCOMPARE(ReadFile(target + QStringLiteral("/notes.txt")), QByteArray("mine"));
}

void TestSaveCube::cancelSavesNothing()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    MessageSeam::setDialogHandler([](QDialog &d) { static_cast<SaveCube &>(d).Cancel_Click(); });
    form.Save_Click();
    QVERIFY(QDir(dir(QStringLiteral("Vexilo/Existing"))).isEmpty());
    QVERIFY(!Progress::isLoaded());
}

void TestSaveCube::saveDirectoryGoneAtCopyTime()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    const QString remembered = QDir::currentPath();
    const QString target = dir(QStringLiteral("Vexilo/Taken"));
    MessageSeam::setDialogHandler([target](QDialog &d) {
        auto &dialog = static_cast<SaveCube &>(d);
        dialog.Current->setText(target);
        dialog.OK_Click();
        // Something else takes the name before the copy.
        QDir().rmdir(target);
        WriteFile(target, "a file now");
    });
    form.Save_Click();
    QCOMPARE(MessageSeam::shownMessages(), QList<int>{23});
    QCOMPARE(ReadFile(target), QByteArray("a file now"));
    QCOMPARE(QDir::currentPath(), remembered);
    QVERIFY(!Progress::isLoaded());
}

// A folder where the page should go stops the save before any file is
// replaced, and the user is told which file and why.
void TestSaveCube::saveBlockedShowsReasonAndKeepsFiles()
{
    Startup::Run();
    TopForm form;
    form.Form_Load();
    const QString target = dir(QStringLiteral("Vexilo/Existing"));
    WriteFile(target + QStringLiteral("/cubefold.jpg"), "older fold-out");
    QDir().mkpath(target + QStringLiteral("/Vexilo.htm"));
    QStringList texts;
    MessageSeam::setMessageHandler([&texts](int, MsgButtons) {
        texts << MessageSeam::shownTexts().constLast();
        return int(IDYES);
    });
    answerDialogWith(target);
    form.Save_Click();
    QCOMPARE(MessageSeam::shownMessages(), (QList<int>{82, 112}));
    QVERIFY(texts.constLast().contains(QDir::toNativeSeparators(target + QStringLiteral("/Vexilo.htm"))));
    QVERIFY(texts.constLast().contains(QStringLiteral("Is a directory")));
    QCOMPARE(ReadFile(target + QStringLiteral("/cubefold.jpg")), QByteArray("older fold-out"));
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("cubefold.jpg"), QStringLiteral("Vexilo.htm")}));
    QVERIFY(!Progress::isLoaded());
}

void TestSaveCube::copyOnFullDiskKeepsOldFiles()
{
    const QString from = dir(QStringLiteral("work"));
    const QString to = dir(QStringLiteral("Vexilo/Existing"));
    WriteFile(from + QStringLiteral("/Cube.exe"), QByteArray(64 * 1024, 'n'));
    WriteFile(from + QStringLiteral("/Vexilo.htm"), "new page");
    WriteFile(to + QStringLiteral("/Cube.exe"), "old package");
    WriteFile(to + QStringLiteral("/Vexilo.htm"), "old page");
    CubeSave::Failure failure;
    {
        const FileSizeLimit full(16 * 1024);
        failure = CubeSave::CopyPlainFiles(from, to);
    }
    QVERIFY(failure.failed());
    QCOMPARE(failure.path, QDir::toNativeSeparators(to + QStringLiteral("/.vexilo-saving/Cube.exe")));
    QCOMPARE(failure.reason, QStringLiteral("File too large"));
    QCOMPARE(ReadFile(to + QStringLiteral("/Cube.exe")), QByteArray("old package"));
    QCOMPARE(ReadFile(to + QStringLiteral("/Vexilo.htm")), QByteArray("old page"));
    QCOMPARE(QDir(to).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("Cube.exe"), QStringLiteral("Vexilo.htm")}));
}

void TestSaveCube::copyRemovesWhatAKilledCopyLeft()
{
    const QString from = dir(QStringLiteral("work"));
    const QString to = dir(QStringLiteral("Vexilo/Existing"));
    WriteFile(from + QStringLiteral("/Vexilo.htm"), "new page");
    WriteFile(to + QStringLiteral("/.vexilo-saving/Vexilo.htm"), "half a page");
    WriteFile(to + QStringLiteral("/.vexilo-saving/Cube.exe.a1B2c3"), "half a package");
    QVERIFY(!CubeSave::CopyPlainFiles(from, to).failed());
    QCOMPARE(ReadFile(to + QStringLiteral("/Vexilo.htm")), QByteArray("new page"));
    QCOMPARE(QDir(to).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Vexilo.htm")});
}

QTEST_MAIN(TestSaveCube)
#include "tst_savecube.moc"
