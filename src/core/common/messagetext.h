#pragma once

#include <QCoreApplication>
#include <QString>

namespace orlam {

// The messages of the core are written in English in the source, marked for the translation
// system in the context "Messages" (QT_TRANSLATE_NOOP or QCoreApplication::translate), and
// shown in the user's language once the program has loaded a translation. Without one, and in
// the tests, they read as written.

// A message kept in a constant (marked with QT_TRANSLATE_NOOP("Messages", ...)) in the user's
// language.
inline QString messageText(const QString &english)
{
    return QCoreApplication::translate("Messages", english.toUtf8().constData());
}

// A count with its noun in the right number and the user's language: "1 line", "2 lines".
// `one` and `many` are marked with QT_TRANSLATE_NOOP("Messages", ...).
inline QString countText(qint64 count, const char *one, const char *many)
{
    return QString::number(count) + QLatin1Char(' ') +
           QCoreApplication::translate("Messages", count == 1 ? one : many);
}

} // namespace orlam
