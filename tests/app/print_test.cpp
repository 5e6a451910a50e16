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
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>

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
    void cleanupTestCase();

private:
    bool lpadmin(const QStringList &args);

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
    const QString token =
        QStringLiteral("OrlamPrint%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    window->setWindowTitle(token);
    QStringList lines;
    lines << QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6")
          << QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM");
    for (int i = 3; i <= 200; ++i)
        lines << QStringLiteral("report line %1").arg(i, 3, 10, QLatin1Char('0'));
    window->findChild<QTextEdit *>(QStringLiteral("TDate"))->setPlainText(lines.join(QLatin1Char('\n')));

    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    window->Print1Click();
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(QLatin1Char('\n'))));

    // The PDF is named after the job's title.
    QElapsedTimer waited;
    waited.start();
    while (mPrintedPdf.isEmpty() && waited.elapsed() < 90000) {
        QDirIterator it(pdfFolder(), {QStringLiteral("*.pdf")}, QDir::Files);
        while (it.hasNext()) {
            const QFileInfo file(it.next());
            if (file.fileName().contains(token) && file.lastModified() >= started && file.size() > 0)
                mPrintedPdf = file.filePath();
        }
        if (mPrintedPdf.isEmpty())
            QTest::qWait(200);
    }
    QVERIFY2(!mPrintedPdf.isEmpty(),
             qPrintable(QStringLiteral("no PDF titled %1 in %2; scheduler log:\n").arg(token, pdfFolder()) +
                        QString::fromLocal8Bit(readAll(QDir(mServerRoot.path()).filePath("error_log")))));
    QTest::qWait(500); // the backend hands the file over once it is complete

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
    QVERIFY2(info.contains(token), qPrintable(info));
    QVERIFY2(text.count(QLatin1Char('\f')) >= pages - 1, qPrintable(info));
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
