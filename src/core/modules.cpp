#include "core/modules.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcModules, "zarvello.modules")

const void *loadModule(const char *name)
{
    // Where they are relative to the program is the same in the build tree
    // as once installed.
    QLibrary library(QCoreApplication::applicationDirPath() +
                     QStringLiteral("/" ZARVELLO_MODULE_PATH "/") + QLatin1String(name));
    library.setLoadHints(QLibrary::PreventUnloadHint);
    using Entry = const void *(*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve("zarvelloModule"));
    if (!entry) {
        qCWarning(lcModules) << "cannot load" << name << "-" << library.errorString();
        return nullptr;
    }
    return entry();
}
