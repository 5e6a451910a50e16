#include "common/xdgpaths.h"

#include <QtGlobal>

namespace orlam {

QByteArray absoluteXdgList(const QByteArray &value)
{
    QByteArrayList kept;
    for (const QByteArray &entry : value.split(':')) {
        if (entry.startsWith('/'))
            kept << entry;
    }
    return kept.join(':');
}

QStringList ignoreRelativeXdgPaths()
{
    QStringList changed;
    for (const char *name : XdgFolderVariables) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty() && !value.startsWith('/')) {
            qunsetenv(name);
            changed << QLatin1String(name);
        }
    }
    for (const char *name : XdgListVariables) {
        const QByteArray value = qgetenv(name);
        if (value.isEmpty())
            continue;
        const QByteArray kept = absoluteXdgList(value);
        if (kept == value)
            continue;
        if (kept.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, kept);
        changed << QLatin1String(name);
    }
    return changed;
}

} // namespace orlam
