#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orlam {

// Rich Text Format of lines of plain text, as the view holds them: one paragraph per line in
// one font. The result is 7-bit ASCII with CR LF line ends: "\", "{" and "}" are escaped,
// a tab is \tab, characters of the Western code page above 127 are \'hh, every other
// character is \uN? (N the signed 16-bit UTF-16 unit, "?" the fallback for readers without
// Unicode), and other control characters are dropped. `fontFamily` names the font (a
// fixed-pitch one for reports), `halfPoints` its size in half points.
QByteArray rtfFromLines(const QStringList &lines, const QString &fontFamily = QStringLiteral("Courier New"),
                        int halfPoints = 20);

} // namespace orlam
