#include "documentmodule.h"

#include "reports/docxwriter.h"
#include "viewprinter.h"
#include "windowmodule.h"

namespace orlam {

namespace {

// Each entry has the type of the function it stands for.
using PrintDocumentEntry = decltype(&printOnDefaultPrinter);
using SaveWordDocumentEntry = decltype(&saveNewDocument);

// The entry `name` of the module, loaded the first time; null with the reason in `failure`.
template <typename Entry> Entry documentEntry(const char *name, Status *failure)
{
    return reinterpret_cast<Entry>(loadModuleSymbol(modulePath(Module::Document), name, failure));
}

} // namespace

Status printViewDocument(const QTextDocument &document, const QString &jobTitle)
{
    Status failure;
    const auto print = documentEntry<PrintDocumentEntry>(PrintDocumentEntryName, &failure);
    return print ? print(document, jobTitle) : failure;
}

Status saveWordDocument(const WordDocument &document, const QString &folder, const QDateTime &localTime,
                        QString *path)
{
    Status failure;
    const auto save = documentEntry<SaveWordDocumentEntry>(SaveWordDocumentEntryName, &failure);
    return save ? save(document, folder, localTime, path) : failure;
}

} // namespace orlam
