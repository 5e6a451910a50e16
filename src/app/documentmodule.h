#pragma once

#include "common/status.h"

#include <QString>

class QDateTime;
class QTextDocument;

namespace orlam {

class WordDocument;

// Printing and the word-processor document are in a module of their own, liborlam-document.so
// (windowmodule.h), loaded with Qt Print Support and the zip library the first time either is
// used: the window's start loads neither. A module that cannot be loaded fails the command with
// a message naming it and the reason.

// printOnDefaultPrinter (viewprinter.h), in the module.
Status printViewDocument(const QTextDocument &document, const QString &jobTitle);
// saveNewDocument (reports/docxwriter.h), in the module.
Status saveWordDocument(const WordDocument &document, const QString &folder, const QDateTime &localTime,
                        QString *path);

// The module's entries, the functions above under these names.
constexpr const char *PrintDocumentEntryName = "orlamPrintDocument";
constexpr const char *SaveWordDocumentEntryName = "orlamSaveWordDocument";

} // namespace orlam
