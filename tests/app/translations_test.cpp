// The program in the user's language: the German translation is complete, it and Qt's own
// translation load for a German desktop and not for an English one, the window's menus,
// dialogs and messages read German, and the Thelemic date keeps its own words.

#include "apptestsupport.h"
#include "apptranslations.h"
#include "common/clocktime.h"
#include "settings/settings.h"
#include "tfoptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QMenuBar>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QXmlStreamReader>

using namespace orlam;
using namespace orlam::test;

namespace {

QStringList menuTitles(const TOrm &window)
{
    QStringList titles;
    for (QAction *action : window.menuBar()->actions())
        titles << action->text();
    return titles;
}

// The view after a Calculate of a fixed moment, with the stand-in engine's chart.
QString charted(WindowRig &rig)
{
    auto window = rig.makeWindow();
    window->setPickers(clockTime(2026, 6, 15, 14, 30), QTime(14, 30));
    window->CalcButtonClick();
    return window->findChild<QTextEdit *>(QStringLiteral("TDate"))->toPlainText();
}

struct TsCount {
    int messages = 0;
    int finished = 0;
    QStringList open; // source texts without a finished translation
};

TsCount countTs(const QString &path)
{
    TsCount count;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return count;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.name() == QLatin1String("translation")) {
            ++count.messages;
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (type.isEmpty() && !text.isEmpty())
                ++count.finished;
            else
                count.open << source;
        }
    }
    return count;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void everyTextOfTheSourcesHasItsGerman();
    void englishAndGermanDesktops();
};

void TranslationsTest::everyTextOfTheSourcesHasItsGerman()
{
    // lupdate reads the sources as the build's update_translations target does, into a copy
    // of the shipped file: a text added to the sources without its German shows up unfinished.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("orlam_de.ts"));
    QVERIFY(QFile::copy(QStringLiteral(ORLAM_SOURCE_DIR "/translations/orlam_de.ts"), copy));
    QStringList arguments{QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                          QStringLiteral("none"), QStringLiteral("-target-language"), QStringLiteral("de")};
    for (const char *folder : {"/src/app", "/src/core"})
        arguments << QStringLiteral(ORLAM_SOURCE_DIR) + QLatin1String(folder);
    arguments << QStringLiteral("-ts") << copy;
    QProcess lupdate;
    lupdate.start(QStringLiteral(ORLAM_LUPDATE), arguments);
    QVERIFY2(lupdate.waitForFinished(120000) && lupdate.exitCode() == 0,
             qPrintable(QStringLiteral(ORLAM_LUPDATE) + QLatin1Char(' ') + lupdate.readAllStandardError()));
    const TsCount count = countTs(copy);
    qInfo("orlam_de.ts: %d source texts, %d translated", count.messages, count.finished);
    QVERIFY(count.messages > 200);
    QVERIFY2(count.open.isEmpty(),
             qPrintable(QStringLiteral("no German for: ") + count.open.join(QStringLiteral(" | "))));
    QCOMPARE(count.finished, count.messages);
}

void TranslationsTest::englishAndGermanDesktops()
{
    // English first: the translators, once installed, stay for the rest of the run.
    QCOMPARE(installTranslations(QLocale(QStringLiteral("en_US"))), QString());
    WindowRig rig;
    const QString english = charted(rig);
    QVERIFY(english.contains(QStringLiteral("Sol")));
    {
        auto window = rig.makeWindow();
        QCOMPARE(menuTitles(*window).constFirst(), QStringLiteral("&File"));
    }

    // A German desktop (its LANGUAGE is read back through the accessibility tree by the
    // accessibility test, which starts the program itself).
    QCOMPARE(installTranslations(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("de"));
    // Qt's own texts too: the buttons of its message boxes.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));

    auto window = rig.makeWindow();
    QCOMPARE(menuTitles(*window),
             (QStringList{"&Datei", "&Bearbeiten", "&Uhr", "Be&richte", "&Ansicht", "&Optionen", "&Hilfe"}));
    const std::unique_ptr<TfOptions> options = window->makeOptionsDialog();
    QCOMPARE(options->windowTitle(), QStringLiteral("Optionen"));
    auto *pages = options->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QCOMPARE(pages->tabText(0), QStringLiteral("Formatierung"));
    // A message of the core, in a message box.
    QCOMPARE(QCoreApplication::translate("Messages", DateOrderMessage.toUtf8().constData()).left(26),
             QStringLiteral("Orlam kann leider nur mit "));

    // The date keeps its own words, its Latin and its English, under any language.
    QCOMPARE(charted(rig), english);
}

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
