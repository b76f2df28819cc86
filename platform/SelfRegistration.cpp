#include "platform/SelfRegistration.h"

#include <QLibrary>

namespace {

long RunEntryPoint(QFunctionPointer entry, SelfRegistration::Action action)
{
    if (action != SelfRegistration::Action::RegisterForUser)
        return reinterpret_cast<long (*)()>(entry)();
    return reinterpret_cast<long (*)(int, const char16_t *)>(entry)(1, u"user");
}

} // namespace

QString SelfRegistration::EntryPoint(Action action)
{
    switch (action) {
    case Action::Register:
        return QStringLiteral("DllRegisterServer");
    case Action::Unregister:
        return QStringLiteral("DllUnregisterServer");
    case Action::RegisterForUser:
        return QStringLiteral("DllInstall");
    }
    return QString();
}

bool SelfRegistration::Run(const QString &libraryPath, Action action, QString *error)
{
    QString reason;
    QLibrary library(libraryPath);
    const QString entryName = EntryPoint(action);
    if (!library.load()) {
        reason = QStringLiteral("%1 could not be loaded: %2").arg(libraryPath, library.errorString());
    } else if (const QFunctionPointer entry = library.resolve(entryName.toLatin1().constData()); !entry) {
        reason = QStringLiteral("%1 has no entry point %2.").arg(libraryPath, entryName);
    } else if (const long result = RunEntryPoint(entry, action); result != 0) {
        reason = QStringLiteral("%1 in %2 failed with 0x%3.")
                     .arg(entryName, libraryPath, QString::number(quint32(result), 16).toUpper());
    }
    if (error)
        *error = reason;
    return reason.isEmpty();
}
