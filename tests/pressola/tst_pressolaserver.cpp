#include "platform/registry/Registry.h"
#include "pressola/PressolaFactory.h"
#include "pressola/PressolaServer.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QLibrary>
#include <QTest>

// Registration and unregistration of the control in the registry stand-in.
class TestPressolaServer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_env.reset(); }

    void registersRecords();
    void entryPointRegistersItsOwnPath();
    void unregisterRemovesRecords();
    void installForUser();
    void installRefusesOtherCommandLines_data();
    void installRefusesOtherCommandLines();
    void unregisterWithoutTypeLibFails();
    void unregisterWithoutClassFails();
    void unwritableRegistryFailsAtTypeLib();
    void missingServerFailsAtClass();

private:
    static QString Default(const QString &key);
    static QString Cls(const char *id) { return QStringLiteral("CLSID\\") + QLatin1String(id); }
    QString module() const { return TestEnvironment::appDir() + QStringLiteral("/libPressola.so"); }
    QScopedPointer<TestEnvironment> m_env;
};

void TestPressolaServer::init()
{
    m_env.reset(new TestEnvironment);
    // Start from a registry without the control.
    QFile::remove(m_env->registryDir() + QStringLiteral("/system.reg"));
}

QString TestPressolaServer::Default(const QString &key)
{
    const std::optional<RegistryValue> v = Registry::readValue(HKEY_CLASSES_ROOT, key, QString());
    return v ? v->text : QStringLiteral("<missing>");
}

void TestPressolaServer::registersRecords()
{
    QCOMPARE(PressolaServer::RegisterServer(module()), 0L);
    const QString control = Cls(Pressola::ControlClassId);
    QCOMPARE(Default(control), QStringLiteral("Bitmap Button Control"));
    QCOMPARE(Default(control + QStringLiteral("\\InprocServer32")), module());
    QCOMPARE(Registry::readValue(HKEY_CLASSES_ROOT, control + QStringLiteral("\\InprocServer32"),
                                 QStringLiteral("ThreadingModel"))
                 ->text,
             QStringLiteral("Apartment"));
    QCOMPARE(Default(control + QStringLiteral("\\ToolboxBitmap32")), module() + QStringLiteral(", 1"));
    QCOMPARE(Default(control + QStringLiteral("\\MiscStatus\\1")), QStringLiteral("131473"));
    QCOMPARE(Default(control + QStringLiteral("\\TypeLib")), QStringLiteral("{E5E30727-AEAA-11D2-AD96-00A0C9E36867}"));
    QCOMPARE(Default(control + QStringLiteral("\\Version")), QStringLiteral("1.0"));
    QCOMPARE(Default(control + QStringLiteral("\\ProgID")), QStringLiteral("PRESSOLA.PressolaCtrl.1"));
    QVERIFY(Registry::keyExists(HKEY_CLASSES_ROOT, control + QStringLiteral("\\Control")));
    QVERIFY(Registry::keyExists(HKEY_CLASSES_ROOT, control + QStringLiteral("\\Insertable")));
    QCOMPARE(Default(QStringLiteral("PRESSOLA.PressolaCtrl.1\\CLSID")),
             QStringLiteral("{E5E3072A-AEAA-11D2-AD96-00A0C9E36867}"));
    QCOMPARE(Default(QStringLiteral("PRESSOLA.PressolaCtrl.1")), QStringLiteral("Bitmap Button Control"));

    const QString page = Cls(Pressola::PropPageClassId);
    QCOMPARE(Default(page), QStringLiteral("Bitmap Button Property Page"));
    QCOMPARE(Default(page + QStringLiteral("\\InprocServer32")), module());

    const QString lib = QStringLiteral("TypeLib\\{E5E30727-AEAA-11D2-AD96-00A0C9E36867}\\1.0");
    QCOMPARE(Default(lib), QStringLiteral("Pressola ActiveX Control module"));
    QCOMPARE(Default(lib + QStringLiteral("\\0\\linux")), module());
    QCOMPARE(Default(QStringLiteral("Interface\\{E5E30728-AEAA-11D2-AD96-00A0C9E36867}")),
             QStringLiteral("_DPressola"));
    QCOMPARE(Default(QStringLiteral("Interface\\{E5E30729-AEAA-11D2-AD96-00A0C9E36867}")),
             QStringLiteral("_DPressolaEvents"));
    // HKEY_CLASSES_ROOT writes land in the machine hive.
    QVERIFY(m_env->readHive(QStringLiteral("system.reg"))
                .contains("[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{E5E3072A"));
}

void TestPressolaServer::entryPointRegistersItsOwnPath()
{
    QLibrary library(module());
    using EntryPoint = long (*)();
    const auto registerServer = reinterpret_cast<EntryPoint>(library.resolve("DllRegisterServer"));
    QVERIFY(registerServer);
    QCOMPARE(registerServer(), 0L);
    QCOMPARE(Default(Cls(Pressola::ControlClassId) + QStringLiteral("\\InprocServer32")), module());
}

void TestPressolaServer::unregisterRemovesRecords()
{
    QCOMPARE(PressolaServer::RegisterServer(module()), 0L);
    QCOMPARE(PressolaServer::UnregisterServer(), 0L);
    for (const QString &key :
         {Cls(Pressola::ControlClassId), Cls(Pressola::PropPageClassId), QStringLiteral("PRESSOLA.PressolaCtrl.1"),
          QStringLiteral("TypeLib\\{E5E30727-AEAA-11D2-AD96-00A0C9E36867}"),
          QStringLiteral("Interface\\{E5E30728-AEAA-11D2-AD96-00A0C9E36867}"),
          QStringLiteral("Interface\\{E5E30729-AEAA-11D2-AD96-00A0C9E36867}")})
        QVERIFY2(!Registry::keyExists(HKEY_CLASSES_ROOT, key), qPrintable(key));
}

void TestPressolaServer::installForUser()
{
    QLibrary library(module());
    using Install = long (*)(int, const char16_t *);
    const auto install = reinterpret_cast<Install>(library.resolve("DllInstall"));
    QVERIFY(install);
    QCOMPARE(install(1, u"User"), 0L);
    const QByteArray hive = m_env->readHive(QStringLiteral("user.reg"));
    QVERIFY(hive.contains("[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{E5E3072A-AEAA-11D2-AD96-00A0C9E36867}"
                          "\\InprocServer32]\n@=\""
                          + module().toUtf8()));
    QVERIFY(hive.contains("[HKEY_CURRENT_USER\\Software\\Classes\\TypeLib\\{E5E30727"));
    QVERIFY(!QFile::exists(m_env->registryDir() + QStringLiteral("/system.reg")));
    QCOMPARE(Default(Cls(Pressola::ControlClassId) + QStringLiteral("\\InprocServer32")), module());

    QCOMPARE(install(0, u"user"), 0L);
    QVERIFY(!Registry::keyExists(HKEY_CLASSES_ROOT, Cls(Pressola::ControlClassId)));
    QVERIFY(!m_env->readHive(QStringLiteral("user.reg")).contains("PRESSOLA"));
}

void TestPressolaServer::installRefusesOtherCommandLines_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::newRow("empty") << "";
    QTest::newRow("machine") << "machine";
    QTest::newRow("user with more") << "user,x";
}

void TestPressolaServer::installRefusesOtherCommandLines()
{
    QFETCH(QString, commandLine);
    QCOMPARE(DllInstall(1, reinterpret_cast<const char16_t *>(commandLine.utf16())), PressolaServer::E_INVALIDARG);
    QCOMPARE(DllInstall(1, nullptr), PressolaServer::E_INVALIDARG);
    QVERIFY(!Registry::keyExists(HKEY_CLASSES_ROOT, Cls(Pressola::ControlClassId)));
}

void TestPressolaServer::unregisterWithoutTypeLibFails()
{
    QCOMPARE(PressolaServer::UnregisterServer(), PressolaServer::SELFREG_E_TYPELIB);
    QCOMPARE(PressolaServer::UnregisterServer(), 0x80040200L);
}

void TestPressolaServer::unregisterWithoutClassFails()
{
    QCOMPARE(PressolaServer::RegisterServer(module()), 0L);
    QVERIFY(Registry::deleteKeyTree(HKEY_CLASSES_ROOT, Cls(Pressola::ControlClassId)));
    QCOMPARE(PressolaServer::UnregisterServer(), 0x80040201L);
    QVERIFY(!Registry::keyExists(HKEY_CLASSES_ROOT, QStringLiteral("TypeLib\\{E5E30727-AEAA-11D2-AD96-00A0C9E36867}")));
}

void TestPressolaServer::unwritableRegistryFailsAtTypeLib()
{
    const QByteArray damaged("REGEDIT4\nthis is no hive\n");
    WriteFile(m_env->registryDir() + QStringLiteral("/system.reg"), damaged);
    QCOMPARE(PressolaServer::RegisterServer(module()), 0x80040200L);
    QCOMPARE(m_env->readHive(QStringLiteral("system.reg")), damaged);
}

void TestPressolaServer::missingServerFailsAtClass()
{
    QCOMPARE(PressolaServer::RegisterServer(m_env->path(QStringLiteral("gone/libPressola.so"))), 0x80040201L);
    // The type library came first; no class names a library that is not there.
    QVERIFY(
        Registry::keyExists(HKEY_CLASSES_ROOT, QStringLiteral("TypeLib\\{E5E30727-AEAA-11D2-AD96-00A0C9E36867}\\1.0")));
    QVERIFY(!Registry::keyExists(HKEY_CLASSES_ROOT, Cls(Pressola::ControlClassId)));
}

QTEST_GUILESS_MAIN(TestPressolaServer)
#include "tst_pressolaserver.moc"
