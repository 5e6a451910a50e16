// The window's modules: each brings the libraries of its own part and the window's start none of
// them; a document written through the module is the one the writer makes.

#include "documentmodule.h"
#include "reports/docxwriter.h"
#include "reports/worddocument.h"
#include "windowmodule.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace orlam;

namespace {

// The shared objects a module names as needed.
QStringList needed(const QString &module)
{
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), module});
    if (!readelf.waitForFinished() || readelf.exitCode() != 0)
        return {};
    QStringList names;
    static const QRegularExpression library(QStringLiteral(R"(\(NEEDED\).*\[([^\]]+)\])"));
    for (const QString &line :
         QString::fromLocal8Bit(readelf.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (const QRegularExpressionMatch match = library.match(line); match.hasMatch())
            names << match.captured(1);
    return names;
}

bool names(const QStringList &libraries, const QString &prefix)
{
    return std::any_of(libraries.begin(), libraries.end(),
                       [&prefix](const QString &name) { return name.startsWith(prefix); });
}

} // namespace

class ModulesTest : public QObject {
    Q_OBJECT
private slots:
    void librariesOfEachModule_data();
    void librariesOfEachModule();
    void documentThroughTheModule();
};

void ModulesTest::librariesOfEachModule_data()
{
    QTest::addColumn<int>("module");
    QTest::addColumn<QStringList>("with");
    QTest::addColumn<QStringList>("without");
    const QStringList helpers{QStringLiteral("libQt6PrintSupport."), QStringLiteral("libquazip"),
                              QStringLiteral("libQt6Multimedia.")};
    QTest::newRow("window") << int(Module::Window) << QStringList{QStringLiteral("libQt6Widgets.")}
                            << helpers;
    QTest::newRow("document") << int(Module::Document)
                              << QStringList{QStringLiteral("libQt6PrintSupport."),
                                             QStringLiteral("libquazip")}
                              << QStringList{QStringLiteral("libQt6Multimedia.")};
    QTest::newRow("sound") << int(Module::Sound) << QStringList{QStringLiteral("libQt6Multimedia.")}
                           << QStringList{QStringLiteral("libQt6PrintSupport."), QStringLiteral("libquazip")};
}

void ModulesTest::librariesOfEachModule()
{
    QFETCH(int, module);
    QFETCH(QStringList, with);
    QFETCH(QStringList, without);
    const QStringList libraries = needed(modulePath(static_cast<Module>(module)));
    QVERIFY2(!libraries.isEmpty(), "readelf (binutils) read no libraries of the module");
    for (const QString &prefix : with)
        QVERIFY2(names(libraries, prefix),
                 qPrintable(prefix + QStringLiteral(" missing: ") + libraries.join(' ')));
    for (const QString &prefix : without)
        QVERIFY2(!names(libraries, prefix),
                 qPrintable(prefix + QStringLiteral(" needed: ") + libraries.join(' ')));
}

void ModulesTest::documentThroughTheModule()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const WordDocument document = exportDocument(
        {QStringLiteral("An v12 Sol 24\u00b0 Gemini"), QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM")},
        2, QStringLiteral("Courier New"), 10);
    const QDateTime moment(QDate(2026, 6, 15), QTime(14, 30, 5));
    QString path;
    const Status saved = saveWordDocument(document, dir.filePath(QStringLiteral("Documents")), moment, &path);
    QVERIFY2(saved, qPrintable(saved.message));
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Orlam 2026-06-15 14-30-05.docx"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), docxBytes(document, moment));
}

QTEST_MAIN(ModulesTest)
#include "modules_test.moc"
