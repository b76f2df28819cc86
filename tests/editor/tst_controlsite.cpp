#include "core/AppPaths.h"
#include "core/MessageBox.h"
#include "core/Startup.h"
#include "editor/AboutBox.h"
#include "editor/ControlSite.h"
#include "editor/TopForm.h"
#include "platform/registry/RegEdit.h"
#include "platform/registry/Registry.h"
#include "pressola/PressolaFactory.h"
#include "shell/MDIForm1.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

// The editor's buttons, created through the control's registration as the
// program creates them.
class TestControlSite : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_env.reset(new TestEnvironment); }
    void cleanup() { m_env.reset(); }

    void resolvesProgIdToLibrary();
    void createsStoredControl();
    void unregisteredClassComesFromOwnLibrary_data();
    void unregisteredClassComesFromOwnLibrary();
    void withoutOwnLibraryCreatesNothing_data();
    void withoutOwnLibraryCreatesNothing();
    void libraryThatIsNoControlCreatesNothing();
    void storedStateWithWrongCountRefused();
    void editorButtonsComeFromStoredStates_data();
    void editorButtonsComeFromStoredStates();
    void buttonEventsDriveHandlers();
    void frameRefusesEditorWithoutButtons_data();
    void frameRefusesEditorWithoutButtons();

private:
    static void Press(QWidget *button, Qt::MouseButton which);
    static QString OwnLibrary() { return TestEnvironment::appDir() + QStringLiteral("/libPressola.so"); }
    static QString UserRegistration();
    // Leaves the program's own folder without a working button library.
    void BreakOwnLibrary(const QByteArray &contents);
    QScopedPointer<TestEnvironment> m_env;
};

void TestControlSite::Press(QWidget *button, Qt::MouseButton which)
{
    const QPointF at(4, 4);
    QMouseEvent press(QEvent::MouseButtonPress, at, button->mapToGlobal(at), which, which, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), which, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &release);
}

void TestControlSite::resolvesProgIdToLibrary()
{
    const QString classId = ControlSite::ClassIdFromProgId(QLatin1String(Pressola::ControlProgId));
    QCOMPARE(classId, QLatin1String(Pressola::ControlClassId));
    QCOMPARE(ControlSite::ServerPath(classId), TestEnvironment::appDir() + QStringLiteral("/libPressola.so"));
}

void TestControlSite::createsStoredControl()
{
    QWidget host;
    QWidget *about =
        ControlSite::CreateStoredControl(QLatin1String(Pressola::ControlProgId),
                                         QStringLiteral(":/forms/TopForm/About.frx"), QRect(9, 393, 300, 40), &host);
    QVERIFY(about);
    QCOMPARE(QByteArray(about->metaObject()->className()), QByteArray("CPressolaCtrl"));
    QCOMPARE(about->parentWidget(), &host);
    QCOMPARE(about->property("Caption").toString(), QStringLiteral("About"));
    QCOMPARE(about->property("ResourceName").toString(), QStringLiteral("ABOUT"));
    QCOMPARE(about->property("XPos").toInt(), 20);
    // Placed where the window says, sized by its up bitmap.
    QCOMPARE(about->geometry(), QRect(9, 393, 125, 20));
}

QString TestControlSite::UserRegistration()
{
    return GetRegistryString(HKEY_CURRENT_USER,
                             QStringLiteral("Software\\Classes\\CLSID\\") + QLatin1String(Pressola::ControlClassId)
                                 + QStringLiteral("\\InprocServer32"),
                             QString());
}

void TestControlSite::BreakOwnLibrary(const QByteArray &contents)
{
    QFile::remove(m_env->registryDir() + QStringLiteral("/system.reg"));
    const QString folder = m_env->path(QStringLiteral("program"));
    QDir().mkpath(folder);
    if (!contents.isEmpty())
        WriteFile(folder + QStringLiteral("/libPressola.so"), contents);
    AppPaths::setProgramDirectory(folder);
}

void TestControlSite::unregisteredClassComesFromOwnLibrary_data()
{
    QTest::addColumn<QString>("registeredPath");
    QTest::newRow("not registered") << QString();
    QTest::newRow("registered library gone") << "gone/libPressola.so";
}

void TestControlSite::unregisteredClassComesFromOwnLibrary()
{
    QFETCH(QString, registeredPath);
    const QString machineHive = m_env->registryDir() + QStringLiteral("/system.reg");
    if (registeredPath.isEmpty())
        QFile::remove(machineHive);
    else
        WriteFile(machineHive, m_env->readHive(QStringLiteral("system.reg"))
                                   .replace(OwnLibrary().toUtf8(), m_env->path(registeredPath).toUtf8()));
    QWidget host;
    QWidget *save = ControlSite::CreateStoredControl(QLatin1String(Pressola::ControlProgId),
                                                     QStringLiteral(":/forms/TopForm/Save.frx"), QRect(), &host);
    QVERIFY(save);
    QCOMPARE(save->property("Caption").toString(), QStringLiteral("Save"));
    // Registered for this user, where the next start and design tools look.
    QCOMPARE(UserRegistration(), OwnLibrary());
    QCOMPARE(ControlSite::ServerPath(ControlSite::ClassIdFromProgId(QLatin1String(Pressola::ControlProgId))),
             OwnLibrary());
    QVERIFY(m_env->readHive(QStringLiteral("user.reg"))
                .contains("[HKEY_CURRENT_USER\\Software\\Classes\\PRESSOLA.PressolaCtrl.1\\CLSID]"));
    // So the editor gets all six buttons on a first start.
    Startup::Run();
    TopForm form;
    QVERIFY(form.ButtonsCreated());
    const QList<QWidget *> children = form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(std::count_if(children.begin(), children.end(),
                           [](QWidget *w) { return QByteArray(w->metaObject()->className()) == "CPressolaCtrl"; }),
             6);
}

void TestControlSite::withoutOwnLibraryCreatesNothing_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("broken") << QByteArray("\x7f"
                                          "ELF cut short");
}

void TestControlSite::withoutOwnLibraryCreatesNothing()
{
    QFETCH(QByteArray, library);
    BreakOwnLibrary(library);
    QWidget host;
    QVERIFY(!ControlSite::CreateControl(QLatin1String(Pressola::ControlProgId), &host));
    QVERIFY(!ControlSite::CreateStoredControl(QLatin1String(Pressola::ControlProgId),
                                              QStringLiteral(":/forms/TopForm/Save.frx"), QRect(), &host));
    QVERIFY(host.children().isEmpty());
    QCOMPARE(UserRegistration(), QString());
}

void TestControlSite::libraryThatIsNoControlCreatesNothing()
{
    const QString key =
        QStringLiteral("CLSID\\") + QLatin1String(Pressola::ControlClassId) + QStringLiteral("\\InprocServer32");
    const QString fake = WriteFile(m_env->path(QStringLiteral("libFake.so")), "not a library");
    QVERIFY(Registry::writeString(HKEY_CLASSES_ROOT, key, QString(), fake));
    QWidget host;
    QVERIFY(!ControlSite::CreateControl(QLatin1String(Pressola::ControlProgId), &host));
}

void TestControlSite::storedStateWithWrongCountRefused()
{
    const QByteArray good = ReadFile(QStringLiteral(":/forms/TopForm/Insert.frx"));
    QCOMPARE(ControlSite::StoredState(QStringLiteral(":/forms/TopForm/Insert.frx")), good.mid(4));
    const QString shortFile = WriteFile(m_env->path(QStringLiteral("short.frx")), good.left(good.size() - 1));
    QCOMPARE(ControlSite::StoredState(shortFile), QByteArray());
    QCOMPARE(ControlSite::StoredState(m_env->path(QStringLiteral("none.frx"))), QByteArray());
    QWidget host;
    QVERIFY(!ControlSite::CreateStoredControl(QLatin1String(Pressola::ControlProgId), shortFile, QRect(), &host));
}

void TestControlSite::editorButtonsComeFromStoredStates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("justify");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("Insert") << "Insert"
                            << "Insert" << 6 << QRect(155, 390, 105, 24) << "Insert photo into cube";
    QTest::newRow("Preview") << "Preview"
                             << "Preview" << 6 << QRect(282, 408, 110, 29) << "Preview cube in web page";
    QTest::newRow("EMail") << "EMail"
                           << "Send" << 6 << QRect(395, 408, 110, 29) << "Email a cube";
    QTest::newRow("Save") << "Save"
                          << "Save" << 6 << QRect(509, 408, 110, 29) << "Save cube html files to a directory";
    QTest::newRow("About") << "About"
                           << "About" << 0 << QRect(9, 393, 125, 20) << "";
    QTest::newRow("Link") << "Link"
                          << "Customer Support Online" << 0 << QRect(9, 418, 250, 20) << "";
}

void TestControlSite::editorButtonsComeFromStoredStates()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, justify);
    QFETCH(QRect, geometry);
    QFETCH(QString, toolTip);
    Startup::Run();
    TopForm form;
    QVERIFY(form.ButtonsCreated());
    form.Form_Load();
    auto *button = form.findChild<QWidget *>(name);
    QVERIFY(button);
    QCOMPARE(QByteArray(button->metaObject()->className()), QByteArray("CPressolaCtrl"));
    QCOMPARE(button->property("Caption").toString(), caption);
    QCOMPARE(button->property("TextJustify").toInt(), justify);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->toolTip(), toolTip);
    form.Form_QueryUnload();
    form.Form_Unload();
}

void TestControlSite::buttonEventsDriveHandlers()
{
    Startup::Run();
    TopForm form;
    QVERIFY(form.ButtonsCreated());
    form.Form_Load();
    QStringList dialogs;
    MessageSeam::setDialogHandler([&](QDialog &dialog) {
        dialogs << dialog.objectName();
        auto *box = qobject_cast<AboutBox *>(&dialog);
        QVERIFY(box);
        QCOMPARE(box->VersionNumber->text(), QStringLiteral("2.0.45"));
        box->OK_Click();
    });
    Press(form.About, Qt::LeftButton);
    QCOMPARE(dialogs, QStringList({"AboutBox"}));
    // A right press fires MouseDown but no Click.
    Press(form.About, Qt::RightButton);
    QCOMPARE(dialogs.size(), 1);
    form.Form_QueryUnload();
    form.Form_Unload();
}

void TestControlSite::frameRefusesEditorWithoutButtons_data()
{
    withoutOwnLibraryCreatesNothing_data();
}

void TestControlSite::frameRefusesEditorWithoutButtons()
{
    QFETCH(QByteArray, library);
    BreakOwnLibrary(library);
    MessageSeam::setMessageHandler([](int, MsgButtons) { return int(IDOK); });
    MDIForm1 frame;
    QVERIFY(!frame.MDIForm_Load());
    QVERIFY(!frame.editor());
    QCOMPARE(MessageSeam::shownMessages().constLast(), 21);
}

QTEST_MAIN(TestControlSite)
#include "tst_controlsite.moc"
