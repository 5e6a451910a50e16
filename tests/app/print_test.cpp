// Printing the view through a real CUPS scheduler. The test starts a scheduler of its own (its
// own folder, configuration and socket; no network port), adds a CUPS-PDF queue to it and
// makes that the default, prints from the window and reads the PDF back with poppler's tools.
// The machine's own scheduler and printers are never touched. CUPS, CUPS-PDF and poppler-utils
// are dependencies of the tests (scripts/deps); without them the test fails.

#include "apptestsupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <QXmlStreamReader>

#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

using namespace orlam;
using namespace orlam::test;

namespace {

constexpr auto CupsdProgram = "/usr/sbin/cupsd";
constexpr auto CupsPdfBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr auto CupsPdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
constexpr auto QueueName = "OrlamTestPDF";

// CUPS-PDF writes into the PDF folder of the job's owner (its setting on this system).
QString pdfFolder()
{
    const passwd *user = getpwuid(geteuid());
    return QDir(QString::fromLocal8Bit(user ? user->pw_dir : "/root")).filePath(QStringLiteral("PDF"));
}

QString run(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    process.waitForFinished(60000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll());
}

} // namespace

class PrintTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void withoutADefaultPrinterTheMessage();
    void printsTheWholeViewPageAfterPage();
    void longLinesWrapBetweenEqualMargins();
    void cleanupTestCase();

private:
    bool lpadmin(const QStringList &args);
    // Prints the window's view; the PDF the queue made of it (empty, after a failure, if none).
    QString printAndFetch(TOrm &window);

    QTemporaryDir mServerRoot;
    QString mSocket;
    QProcess mCupsd;
    QString mPrintedPdf;
};

void PrintTest::initTestCase()
{
    for (const char *needed : {CupsdProgram, CupsPdfBackend, CupsPdfPpd})
        QVERIFY2(QFileInfo::exists(QString::fromLatin1(needed)),
                 qPrintable(QStringLiteral("%1 is missing; scripts/deps installs cups and "
                                           "printer-driver-cups-pdf")
                                .arg(QLatin1String(needed))));
    for (const char *tool : {"lpadmin", "lpstat", "pdftotext", "pdfinfo"})
        QVERIFY2(
            !QStandardPaths::findExecutable(QString::fromLatin1(tool), {"/usr/sbin", "/usr/bin"}).isEmpty(),
            qPrintable(QStringLiteral("%1 is missing; scripts/deps installs it").arg(QLatin1String(tool))));
    // CUPS-PDF hands each file to its owner, which only a backend run by a scheduler with the
    // superuser's rights can do.
    QVERIFY2(geteuid() == 0, "printing through CUPS-PDF needs the tests to run as root");

    const QDir root(mServerRoot.path());
    QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                   QFile::ExeOther));
    for (const char *sub : {"spool/tmp", "cache", "state", "ppd"})
        QVERIFY(root.mkpath(QString::fromLatin1(sub)));
    // The filters run as an unprivileged user and keep their temporary files here.
    QVERIFY(QProcess::execute(QStringLiteral("chmod"),
                              {QStringLiteral("1777"), root.filePath("spool/tmp")}) == 0);
    mSocket = root.filePath(QStringLiteral("cups.sock"));
    QVERIFY(writeAll(root.filePath("cupsd.conf"), "Listen " + mSocket.toUtf8() +
                                                      "\nLogLevel info\nWebInterface No\nBrowsing No\n"
                                                      "<Location />\n  Order allow,deny\n  Allow all\n"
                                                      "</Location>\n<Policy default>\n  <Limit All>\n"
                                                      "    Order deny,allow\n  </Limit>\n</Policy>\n"));
    QByteArray files;
    const auto line = [&](const char *key, const QString &value) {
        files += key + (" " + value.toUtf8()) + "\n";
    };
    line("ServerRoot", root.path());
    line("RequestRoot", root.filePath("spool"));
    line("TempDir", root.filePath("spool/tmp"));
    line("CacheDir", root.filePath("cache"));
    line("StateDir", root.filePath("state"));
    line("ErrorLog", root.filePath("error_log"));
    line("AccessLog", root.filePath("access_log"));
    line("PageLog", root.filePath("page_log"));
    line("DataDir", QStringLiteral("/usr/share/cups"));
    line("ServerBin", QStringLiteral("/usr/lib/cups"));
    QVERIFY(writeAll(root.filePath("cups-files.conf"), files));

    // The scheduler goes with the test, also when the test dies.
    mCupsd.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    mCupsd.setProcessChannelMode(QProcess::MergedChannels);
    mCupsd.start(QString::fromLatin1(CupsdProgram),
                 {QStringLiteral("-f"), QStringLiteral("-c"), root.filePath("cupsd.conf"),
                  QStringLiteral("-s"), root.filePath("cups-files.conf")});
    QVERIFY2(mCupsd.waitForStarted(), "cupsd did not start");

    // Every client in this process, Qt's print support included, talks to this scheduler only,
    // and no user default or environment names a printer.
    qputenv("CUPS_SERVER", mSocket.toUtf8());
    qputenv("HOME", root.path().toUtf8());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");

    QElapsedTimer waited;
    waited.start();
    int code = -1;
    while (waited.elapsed() < 20000) {
        run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &code);
        if (code == 0 && QFileInfo::exists(mSocket))
            break;
        QTest::qWait(100);
    }
    QVERIFY2(code == 0, qPrintable(mCupsd.readAll() + readAll(root.filePath("error_log"))));
}

bool PrintTest::lpadmin(const QStringList &args)
{
    int code = -1;
    const QString output = run(QStringLiteral("lpadmin"), args, &code);
    if (code != 0)
        qWarning("lpadmin: %s", qPrintable(output));
    return code == 0;
}

void PrintTest::withoutADefaultPrinterTheMessage()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->findChild<QTextEdit *>(QStringLiteral("TDate"))->setPlainText(QStringLiteral("An v12"));
    // No queue at all, then a queue that is not the default.
    window->Print1Click();
    QVERIFY(lpadmin({QStringLiteral("-p"), QString::fromLatin1(QueueName), QStringLiteral("-E"),
                     QStringLiteral("-v"), QStringLiteral("cups-pdf:/"), QStringLiteral("-P"),
                     QString::fromLatin1(CupsPdfPpd),
                     // Through cairo the PostScript keeps the characters' names, so that the PDF
                     // CUPS-PDF makes of it can be read back as text.
                     QStringLiteral("-o"), QStringLiteral("pdftops-renderer-default=pdftocairo")}));
    window->Print1Click();
    QCOMPARE(rig.messages, (QStringList{QStringLiteral("There is no default printer currently selected"),
                                        QStringLiteral("There is no default printer currently selected")}));
}

void PrintTest::printsTheWholeViewPageAfterPage()
{
    QVERIFY(lpadmin({QStringLiteral("-d"), QString::fromLatin1(QueueName)}));
    WindowRig rig;
    auto window = rig.makeWindow();
    QStringList lines;
    lines << QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6")
          << QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM");
    for (int i = 3; i <= 200; ++i)
        lines << QStringLiteral("report line %1").arg(i, 3, 10, QLatin1Char('0'));
    window->findChild<QTextEdit *>(QStringLiteral("TDate"))->setPlainText(lines.join(QLatin1Char('\n')));

    mPrintedPdf = printAndFetch(*window);
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(QLatin1Char('\n'))));
    QVERIFY(!mPrintedPdf.isEmpty());

    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), mPrintedPdf, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6")),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM")));
    QVERIFY(text.contains(QStringLiteral("report line 003")));
    QVERIFY(text.contains(QStringLiteral("report line 200")));
    // Every line once, in order, over several pages.
    int last = 0;
    for (int i = 3; i <= 200; ++i) {
        const int at = int(text.indexOf(QStringLiteral("report line %1").arg(i, 3, 10, QLatin1Char('0'))));
        QVERIFY2(at > last, qPrintable(QString::number(i)));
        last = at;
    }
    const QString info = run(QStringLiteral("pdfinfo"), {mPrintedPdf});
    const QRegularExpression pagesLine(QStringLiteral("Pages:\\s+(\\d+)"));
    const int pages = pagesLine.match(info).captured(1).toInt();
    QVERIFY2(pages >= 3, qPrintable(info));
    // The job's title, the window's caption, is the document's title too.
    QVERIFY2(info.contains(window->windowTitle()), qPrintable(info));
    QVERIFY2(text.count(QLatin1Char('\f')) >= pages - 1, qPrintable(info));
}

QString PrintTest::printAndFetch(TOrm &window)
{
    // The PDF is named after the job's title.
    const QString token =
        QStringLiteral("OrlamPrint%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    window.setWindowTitle(token);
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    window.Print1Click();
    QString pdf;
    QElapsedTimer waited;
    waited.start();
    while (pdf.isEmpty() && waited.elapsed() < 90000) {
        QDirIterator it(pdfFolder(), {QStringLiteral("*.pdf")}, QDir::Files);
        while (it.hasNext()) {
            const QFileInfo file(it.next());
            if (file.fileName().contains(token) && file.lastModified() >= started && file.size() > 0)
                pdf = file.filePath();
        }
        if (pdf.isEmpty())
            QTest::qWait(200);
    }
    if (pdf.isEmpty())
        qWarning("no PDF titled %s in %s; scheduler log:\n%s", qPrintable(token), qPrintable(pdfFolder()),
                 readAll(QDir(mServerRoot.path()).filePath("error_log")).constData());
    else
        QTest::qWait(500); // the backend hands the file over once it is complete
    return pdf;
}

namespace {

struct PdfWord {
    QString text;
    QRectF box; // in points, from the page's top left
};

struct PdfPage {
    QSizeF size;
    QList<PdfWord> words;
};

// The words of every page with their boxes, as poppler's pdftotext -bbox finds them.
QList<PdfPage> pdfWords(const QString &pdf)
{
    QList<PdfPage> pages;
    QXmlStreamReader xml(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    const auto number = [&xml](const char *name) {
        return xml.attributes().value(QLatin1String(name)).toDouble();
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            pages.append({QSizeF(number("width"), number("height")), {}});
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            const QRectF box(QPointF(number("xMin"), number("yMin")),
                             QPointF(number("xMax"), number("yMax")));
            pages.last().words.append({xml.readElementText(), box});
        }
    }
    return pages;
}

} // namespace

// A verse far longer than the page is wide, a line without a blank, and a report's columns:
// the verse wraps word for word onto the page, the margins are equal and at least 15 mm, and the
// report's columns stand one under the other.
void PrintTest::longLinesWrapBetweenEqualMargins()
{
    QVERIFY(lpadmin({QStringLiteral("-d"), QString::fromLatin1(QueueName)}));
    WindowRig rig;
    auto window = rig.makeWindow();
    QStringList verseWords;
    for (int i = 1; verseWords.join(QLatin1Char(' ')).size() < 357; ++i)
        verseWords << QStringLiteral("Long") << QStringLiteral("verse") << QStringLiteral("part%1").arg(i);
    const QString verse = verseWords.join(QLatin1Char(' '));
    const QString unbroken = QString(240, QLatin1Char('x'));
    const QStringList report{QStringLiteral(" 6:00 AM Sun"), QStringLiteral(" 7:05 AM Moon"),
                             QStringLiteral("10:10 AM Saturn"), QStringLiteral("12:00 PM Mercury")};
    window->findChild<QTextEdit *>(QStringLiteral("TDate"))
        ->setPlainText(QStringList{verse, unbroken, report.join(QLatin1Char('\n'))}.join(QLatin1Char('\n')));
    const QString pdf = printAndFetch(*window);
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(QLatin1Char('\n'))));
    QVERIFY(!pdf.isEmpty());
    const QList<PdfPage> pages = pdfWords(pdf);
    // Kept for a look at the page when asked for.
    if (!qEnvironmentVariableIsEmpty("ORLAM_PRINT_KEEP"))
        QFile::copy(pdf, qEnvironmentVariable("ORLAM_PRINT_KEEP"));
    QFile::remove(pdf);
    QCOMPARE(pages.size(), 1);
    const PdfPage &page = pages.first();

    // Every word of the verse, in order.
    QStringList printed;
    for (const PdfWord &word : page.words)
        printed << word.text;
    QCOMPARE(printed.mid(0, verseWords.size()), verseWords);
    // The verse takes several lines, as does the line without a blank, and none is lost.
    QSet<int> verseLines;
    for (int i = 0; i < verseWords.size(); ++i)
        verseLines.insert(qRound(page.words.at(i).box.top()));
    QVERIFY2(verseLines.size() >= 3, qPrintable(QString::number(verseLines.size())));
    QCOMPARE(printed.mid(verseWords.size()).join(QString()).count(QLatin1Char('x')), unbroken.size());

    // Margins measured on the page: the left edge of the text, the right edge of the lines
    // that fill the width. 15 mm = 42.5 pt; a fixed-pitch character at 9.75 pt is 5.9 pt.
    constexpr double MinimumMargin = 15 / 25.4 * 72;
    double left = page.size.width(), right = 0;
    for (const PdfWord &word : page.words) {
        left = qMin(left, word.box.left());
        right = qMax(right, word.box.right());
    }
    const double rightMargin = page.size.width() - right;
    QVERIFY2(left >= MinimumMargin - 1 && rightMargin >= MinimumMargin - 1,
             qPrintable(QStringLiteral("left %1 pt, right %2 pt").arg(left).arg(rightMargin)));
    QVERIFY2(qAbs(left - rightMargin) <= 7,
             qPrintable(QStringLiteral("left %1 pt, right %2 pt").arg(left).arg(rightMargin)));

    // The report: times right-aligned, rulers one under the other.
    QList<double> rulerColumn, timeEnds;
    for (const PdfWord &word : page.words) {
        if (QStringList{"Sun", "Moon", "Saturn", "Mercury"}.contains(word.text))
            rulerColumn << word.box.left();
        if (word.text == QLatin1String("AM") || word.text == QLatin1String("PM"))
            timeEnds << word.box.right();
    }
    QCOMPARE(rulerColumn.size(), 4);
    QCOMPARE(timeEnds.size(), 4);
    for (int i = 1; i < 4; ++i) {
        QVERIFY(qAbs(rulerColumn[i] - rulerColumn[0]) < 0.5);
        QVERIFY(qAbs(timeEnds[i] - timeEnds[0]) < 0.5);
    }
}

void PrintTest::cleanupTestCase()
{
    if (!mPrintedPdf.isEmpty())
        QFile::remove(mPrintedPdf);
    if (mCupsd.state() != QProcess::NotRunning) {
        mCupsd.terminate();
        if (!mCupsd.waitForFinished(10000))
            mCupsd.kill();
        mCupsd.waitForFinished(5000);
    }
}

QTEST_MAIN(PrintTest)
#include "print_test.moc"
