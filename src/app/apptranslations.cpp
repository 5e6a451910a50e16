#include "apptranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace orlam {

QString installTranslations(const QLocale &locale)
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return {};
    // Owned by the application, so that they live as long as the texts they translate.
    auto *own = new QTranslator(app);
    if (!own->load(locale, QStringLiteral("orlam"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete own;
        return {};
    }
    QCoreApplication::installTranslator(own);
    // Qt's own texts (the buttons of message boxes, the input box, the calendar's tooltips) in
    // the same language as the program's, never in a language the program does not speak.
    auto *qt = new QTranslator(app);
    if (qt->load(QLocale(own->language()), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return own->language();
}

} // namespace orlam
