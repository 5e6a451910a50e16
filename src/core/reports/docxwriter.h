#pragma once

#include "common/status.h"
#include "reports/worddocument.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace orlam {

// The document as an Office Open XML word-processing file (.docx): the package parts
// [Content_Types].xml, _rels/.rels, word/document.xml, word/styles.xml,
// word/_rels/document.xml.rels and docProps/core.xml, zipped. `created` (UTC) is the creation
// time in the document's properties and the time stamp of the package's entries. Failure
// (the zip library refused) gives an empty result.
QByteArray docxBytes(const WordDocument &document, const QDateTime &created);

// The XML of the main part alone (word/document.xml), for readers that want the text.
QByteArray docxDocumentXml(const WordDocument &document);

// A file name for a new document made at `localTime` in `folder` that names no file yet:
// "Orlam 2026-06-15 14-30-05.docx", then "Orlam 2026-06-15 14-30-05 (2).docx" and so on.
QString newDocumentName(const QString &folder, const QDateTime &localTime);

// Writes the document as a new file in `folder` (created when missing), named after
// `localTime` (see newDocumentName); never replaces a file. The full path comes back in
// `path`. Failure names the folder or the file.
Status saveNewDocument(const WordDocument &document, const QString &folder, const QDateTime &localTime,
                       QString *path);

} // namespace orlam
