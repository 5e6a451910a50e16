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

} // namespace orlam
