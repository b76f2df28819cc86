#include "photosource/TBrowserLibrary.h"

#include "core/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {
const QString kLibraryName = QStringLiteral("libTBrowser.so");

struct Binding
{
    TBrowserFunctions functions;
    QString path;
};

Binding &binding()
{
    static Binding b;
    return b;
}

template <typename F> bool resolve(QLibrary &library, const char *name, F &slot)
{
    slot = reinterpret_cast<F>(library.resolve(name));
    return slot != nullptr;
}

std::optional<TBrowserFunctions> bind(QLibrary &library)
{
    TBrowserFunctions f;
    bool complete = true;
#define TB_BIND(name) complete = resolve(library, #name, f.name) && complete
    TB_BIND(TbInitialize);
    TB_BIND(TbQuit);
    TB_BIND(TbDOSPathToURL);
    TB_BIND(TbOpenCatalog);
    TB_BIND(TbCloseCatalog);
    TB_BIND(TbOpenWindow);
    TB_BIND(TbCloseWindow);
    TB_BIND(TbEnableFeatures);
    TB_BIND(TbGetItemCount);
    TB_BIND(TbSetItemValidURL);
    TB_BIND(TbSetThumbnailSize);
    TB_BIND(TbSetBackgroundColor);
    TB_BIND(TbSetColors);
    TB_BIND(TbSetSelectionStyle);
    TB_BIND(TbRefreshWindow);
    TB_BIND(TbSetNotifyProc);
    TB_BIND(TbSelectItem);
    TB_BIND(TbSetPalette);
    TB_BIND(TbGetSelectedItem);
    TB_BIND(TbGetItemURL);
    TB_BIND(TbURLToDOSPath);
#undef TB_BIND
    if (!complete)
        return std::nullopt;
    return f;
}

QStringList searchFolders()
{
    // An empty PATH entry would mean the current folder; it is not searched.
    QStringList folders = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    folders.append(AppPaths::programDirectory());
    return folders;
}
} // namespace

bool TBrowserLibrary::Load()
{
    if (IsLoaded())
        return true;
    for (const QString &folder : searchFolders()) {
        const QString candidate = QDir(folder).absoluteFilePath(kLibraryName);
        if (!QFileInfo(candidate).isFile())
            continue;
        QLibrary library(candidate);
        if (!library.load())
            continue;
        if (std::optional<TBrowserFunctions> functions = bind(library)) {
            binding() = {*functions, candidate};
            return true;
        }
        library.unload();
    }
    return false;
}

bool TBrowserLibrary::IsLoaded()
{
    return !binding().path.isEmpty();
}

QString TBrowserLibrary::LoadedFrom()
{
    return binding().path;
}

const TBrowserFunctions &Tb()
{
    return binding().functions;
}
