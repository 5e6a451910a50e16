#include "windowmodule.h"

#include "common/standardoutput.h"
#include "programstart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace orlam {

QString modulePath(Module module)
{
    // The program's own file, links resolved: a link to the program in ~/bin finds the modules
    // beside the real one.
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QLatin1String name(module == Module::Window     ? "liborlam-window.so"
                             : module == Module::Sound    ? "liborlam-sound.so"
                             : module == Module::Document ? "liborlam-document.so"
                                                          : "liborlam-clipboard.so");
    return QDir::cleanPath(QFileInfo(program).absolutePath() + QLatin1Char('/') +
                           QLatin1String(ORLAM_PRIVATE_LIBDIR_FROM_BIN) + QLatin1Char('/') + name);
}

bool printOutput(const QString &output)
{
    if (output.isEmpty())
        return true;
    // The date's lines as the view holds them (CR LF or LF between them), one a line.
    return printed(printLines(
        QString(output).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'))));
}

void *loadModuleSymbol(const QString &path, const char *name, Status *failure)
{
    // Bound lazily: of a module's many symbols a start calls a small part.
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
        *failure = Status::failure(QStringLiteral("Orlam cannot load its module %1: %2")
                                       .arg(path, QString::fromLocal8Bit(dlerror())));
        return nullptr;
    }
    void *symbol = dlsym(handle, name);
    if (!symbol)
        *failure = Status::failure(QStringLiteral("Orlam cannot load its module %1: it has no entry %2")
                                       .arg(path, QLatin1String(name)));
    return symbol;
}

ModuleEntry loadModule(Module module, Status *failure)
{
    const char *name = module == Module::Window ? "orlamWindowMain" : "orlamClipboardMain";
    return reinterpret_cast<ModuleEntry>(loadModuleSymbol(modulePath(module), name, failure));
}

} // namespace orlam
