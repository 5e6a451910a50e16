// The document module's entries: printing over Qt Print Support and the word-processor file over
// the zip library, which the window loads only when one of them is first used (documentmodule.h).

#include "documentmodule.h"
#include "reports/docxwriter.h"
#include "viewprinter.h"

extern "C" Q_DECL_EXPORT orlam::Status orlamPrintDocument(const QTextDocument &document,
                                                          const QString &jobTitle)
{
    return orlam::printOnDefaultPrinter(document, jobTitle);
}

extern "C" Q_DECL_EXPORT orlam::Status orlamSaveWordDocument(const orlam::WordDocument &document,
                                                             const QString &folder,
                                                             const QDateTime &localTime, QString *path)
{
    return orlam::saveNewDocument(document, folder, localTime, path);
}
