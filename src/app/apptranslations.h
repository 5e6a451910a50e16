#pragma once

#include <QLocale>
#include <QString>

namespace orlam {

// Loads the program's own translation (built into the program from translations/orlam_*.ts)
// and Qt's translation of its standard dialogs and buttons (qtbase_*.qm from Qt's translations
// folder) for the languages the user reads, in the order of `locale.uiLanguages()`: LANGUAGE,
// then LC_ALL, LC_MESSAGES and LANG, as the desktop sets them. English needs neither; a
// language without a translation leaves the texts English. Needs the application object.
// Returns the language of the program's translation ("de"), or an empty text for English.
QString installTranslations(const QLocale &locale = QLocale::system());

} // namespace orlam
