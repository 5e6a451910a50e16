#pragma once

#include "common/safefile.h"
#include "common/status.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace orlam {

// Text files the system exchanges are single-byte in the Western code page (Windows-1252:
// "°" is 0xB0, "æ" is 0xE6) with CR LF after every line, the last one included. They are read
// with CR LF, LF or CR as line ends; a line end at the very end makes no extra empty line.

// Windows-1252 bytes to text. The five bytes that code page leaves undefined map to U+0081 etc.
QString fromWestern(const QByteArray &bytes);
// A user's text file: UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is
// dropped), else Windows-1252. Plain ASCII reads the same either way.
QString fromUtf8OrWestern(const QByteArray &bytes);
// Text to Windows-1252. A character the code page cannot hold becomes '?', and a narrow or
// ordinary no-break space becomes a plain space.
QByteArray toWestern(const QString &text);
// True when every character of the text has a Windows-1252 byte.
bool isWesternRepresentable(const QString &text);
// The text with every character the code page cannot hold, and every no-break space, replaced
// by a plain space: what locale data (month names, AM/PM designators) may show in a date line.
QString westernPlain(const QString &text);

// Splits text into lines at CR LF, LF or CR. A final line end adds no empty line.
QStringList splitLines(const QString &text);
// Each line followed by CR LF, encoded in the Western code page.
QByteArray joinCrLf(const QStringList &lines);
// The same splitting on raw bytes, for editors that must leave untouched lines byte for byte.
QList<QByteArray> splitByteLines(const QByteArray &bytes);

// Reads a text file as Western single-byte text and splits it into lines.
// A missing file gives ok == false with "Cannot open file %s" naming the path.
Status readWesternLines(const QString &path, QStringList *lines);

// The largest report the engine writes (a year's transit calendar) is well under a megabyte.
// A file larger than this under a report's name is no report of the engine's, and reading it
// would cost many times its size in memory: it is refused instead.
constexpr qint64 LargestReportBytes = 4 * 1024 * 1024;

// Reads an engine report as Western text lines. A missing file, or one that is not a regular
// file (a pipe would block), gives success and no lines; one larger than LargestReportBytes a
// failure naming `shownName`, or `path` when none is given ("The report chart.txt is larger
// than 4 MB ...").
Status readReportLines(const QString &path, std::optional<QStringList> *lines,
                       const QString &shownName = QString());
// The same report as its bytes, for a reader that parses them itself.
Status readReportBytes(const QString &path, std::optional<QByteArray> *bytes,
                       const QString &shownName = QString());

} // namespace orlam
