// The Debian package, packed by CPack from the build tree the tests run in, checked with the
// distribution's own tools (dpkg-deb, lintian, appstreamcli, dpkg) and installed into a scratch
// root, where the installed program runs on its installed data and engine.

#include "orlamversion.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs `program` to its end (two minutes at most). A program that cannot be started is a
// failure of its own, with its name.
Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env = {},
        const QString &folder = {})
{
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted()) {
        result.err = program + QStringLiteral(" could not be started: ") + process.errorString();
        return result;
    }
    process.waitForFinished(120000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString describe(const Run &r)
{
    return QStringLiteral("exit %1\n%2\n%3").arg(r.exitCode).arg(r.out, r.err);
}

// An environment with nothing of the test's build: a fresh home, no display, the system's PATH.
QProcessEnvironment userEnvironment(const QString &home)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    // A sanitizer build's programs read their options from here; harmless elsewhere.
    for (const char *name : {"LSAN_OPTIONS", "UBSAN_OPTIONS", "ASAN_OPTIONS"})
        if (qEnvironmentVariableIsSet(name))
            env.insert(QLatin1String(name), qEnvironmentVariable(name));
    return env;
}

} // namespace

class PackageTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controlFieldsAndDepends();
    void filesAndPermissions();
    void lintianFindsNoError();
    void appStreamAcceptsTheTree();
    void manualPageCoversEveryMode();
    void installedProgramRunsFromItsPrefix();
    void dpkgInstallsAndRemovesCleanly();

private:
    QString field(const QString &name) const;
    QTemporaryDir mDir;
    QString mDeb;
    QString mRoot; // the package's files, unpacked
};

void PackageTest::initTestCase()
{
    QVERIFY(mDir.isValid());
    const QString arch = run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).out.trimmed();
    QVERIFY(!arch.isEmpty());
    const QString build = QFileInfo(QStringLiteral(ORLAM_BIN_DIR)).absolutePath();
    const Run packed = run(QStringLiteral("cpack"),
                           {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                            build + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"), mDir.path()});
    QVERIFY2(packed.exitCode == 0, qPrintable(describe(packed)));
    // The name Debian's tools expect: package, version and architecture.
    mDeb = mDir.filePath(QStringLiteral("orlam_%1_%2.deb").arg(QLatin1String(orlam::VersionNumber), arch));
    QVERIFY2(QFileInfo::exists(mDeb), qPrintable(describe(packed)));
    mRoot = mDir.filePath(QStringLiteral("root"));
    const Run unpacked = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), mDeb, mRoot});
    QVERIFY2(unpacked.exitCode == 0, qPrintable(describe(unpacked)));
    qInfo("package: %s, %lld KiB", qPrintable(QFileInfo(mDeb).fileName()), QFileInfo(mDeb).size() / 1024);
}

QString PackageTest::field(const QString &name) const
{
    return run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), mDeb, name}).out.trimmed();
}

void PackageTest::controlFieldsAndDepends()
{
    QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("orlam"));
    QCOMPARE(field(QStringLiteral("Version")), QLatin1String(orlam::VersionNumber));
    const QString depends = field(QStringLiteral("Depends"));
    qInfo("Depends: %s", qPrintable(depends));
    QStringList names;
    for (const QString &alternative : depends.split(QLatin1Char(','), Qt::SkipEmptyParts))
        names << alternative.trimmed().section(QLatin1Char(' '), 0, 0);
    // The ephemeris files the engine reads, and the system's Swiss Ephemeris library that it links
    // (found from the programs' shared libraries, not written by hand).
    for (const char *needed : {"swe-basic-data", "libswe2.0", "libqt6widgets6", "libqt6dbus6"})
        QVERIFY2(names.contains(QLatin1String(needed)), qPrintable(depends));
    // Every dependency names a real package: each is installed on the machine that built it.
    for (const QString &name : names) {
        const Run query =
            run(QStringLiteral("dpkg-query"), {QStringLiteral("-W"), QStringLiteral("-f=${Status}"), name});
        QVERIFY2(query.out.contains(QLatin1String("install ok installed")), qPrintable(name));
    }
}

void PackageTest::filesAndPermissions()
{
    const QDir root(mRoot);
    // Everything under /usr; the programs in /usr/bin, their data in /usr/share/orlam.
    QCOMPARE(root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("usr")});
    for (const char *program : {"usr/bin/orlam", "usr/bin/orlam-ephem"})
        QVERIFY2(QFileInfo(root.filePath(QLatin1String(program))).isExecutable(), program);
    // The modules, private to the program: in the architecture's library folder, in a folder of
    // the program's own.
    QStringList modules;
    QDirIterator libraries(root.filePath(QStringLiteral("usr/lib")), QDir::Files,
                           QDirIterator::Subdirectories);
    while (libraries.hasNext())
        modules << root.relativeFilePath(libraries.next());
    modules.sort();
    const QRegularExpression privateFolder(QStringLiteral("^usr/lib/[a-z0-9_]+-linux-[a-z0-9_]+/orlam/"));
    QCOMPARE(modules.replaceInStrings(privateFolder, QString()),
             (QStringList{QStringLiteral("liborlam-clipboard.so"), QStringLiteral("liborlam-document.so"),
                          QStringLiteral("liborlam-sound.so"), QStringLiteral("liborlam-window.so")}));
    for (const char *data :
         {"usr/share/orlam/city.tab", "usr/share/orlam/orlam.html", "usr/share/orlam/sounds/hour.wav",
          "usr/share/applications/orlam.desktop", "usr/share/metainfo/org.example.orlam.metainfo.xml",
          "usr/share/man/man1/orlam.1.gz", "usr/share/man/man1/orlam-ephem.1.gz",
          "usr/share/doc/orlam/copyright", "usr/share/doc/orlam/changelog.gz",
          "usr/share/icons/hicolor/scalable/apps/orlam.svg"})
        QVERIFY2(QFileInfo(root.filePath(QLatin1String(data))).isFile(), data);

    // Each PNG icon is as large as the theme folder it sits in says, and the usual sizes are there.
    int pngs = 0;
    QDirIterator icons(root.filePath(QStringLiteral("usr/share/icons/hicolor")), {QStringLiteral("*.png")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (icons.hasNext()) {
        const QString path = icons.next();
        const QString folder = QFileInfo(path).dir().path().section(QLatin1Char('/'), -2, -2);
        const QImage image(path);
        QCOMPARE(QStringLiteral("%1x%2").arg(image.width()).arg(image.height()), folder);
        ++pngs;
    }
    QVERIFY2(pngs >= 6, qPrintable(QString::number(pngs)));

    // The copyright file is machine-readable and carries the city list's licence.
    QFile copyright(root.filePath(QStringLiteral("usr/share/doc/orlam/copyright")));
    QVERIFY(copyright.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(copyright.readAll());
    QVERIFY(text.startsWith(
        QLatin1String("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")));
    QVERIFY(text.contains(QLatin1String("Files: data/city.tab")));
    QVERIFY(text.contains(QLatin1String("Permission is hereby granted, free of charge")));

    // Owned by root, directories 0755, files 0644 or 0755, whatever the builder's umask.
    const Run listing = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), mDeb});
    QVERIFY2(listing.exitCode == 0, qPrintable(describe(listing)));
    for (const QString &line : listing.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList columns = line.simplified().split(QLatin1Char(' '));
        QVERIFY2(columns.size() >= 6 && columns.at(1) == QLatin1String("root/root"), qPrintable(line));
        const QString mode = columns.at(0);
        const bool allowed =
            mode == QLatin1String("drwxr-xr-x") || mode == QLatin1String("-rw-r--r--") ||
            (mode == QLatin1String("-rwxr-xr-x") && columns.at(5).startsWith(QLatin1String("./usr/bin/")));
        QVERIFY2(allowed, qPrintable(line));
    }
}

void PackageTest::lintianFindsNoError()
{
    const Run lintian = run(QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error"),
                                                        QStringLiteral("--display-info"), mDeb});
    qInfo("%s", qPrintable(lintian.out));
    QVERIFY2(lintian.exitCode == 0, qPrintable(describe(lintian)));
    QVERIFY2(!lintian.out.contains(
                 QRegularExpression(QStringLiteral("^E: "), QRegularExpression::MultilineOption)),
             qPrintable(lintian.out));
}

void PackageTest::appStreamAcceptsTheTree()
{
    // The metadata and the desktop entry and icon it refers to, as installed; no network here.
    const Run tree =
        run(QStringLiteral("appstreamcli"), {QStringLiteral("validate-tree"), QStringLiteral("--no-net"),
                                             QStringLiteral("--pedantic"), mRoot});
    QVERIFY2(tree.exitCode == 0, qPrintable(describe(tree)));
    QVERIFY2(!tree.out.contains(QLatin1String("W: ")) && !tree.out.contains(QLatin1String("E: ")),
             qPrintable(tree.out));
    // The release it lists is this program's version.
    QFile metainfo(QDir(mRoot).filePath(QStringLiteral("usr/share/metainfo/org.example.orlam.metainfo.xml")));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    QVERIFY(
        QString::fromUtf8(metainfo.readAll())
            .contains(QStringLiteral("<release version=\"%1\"").arg(QLatin1String(orlam::VersionNumber))));
}

void PackageTest::manualPageCoversEveryMode()
{
    // Each mode and option that the program's own usage line offers is in the manual page.
    const QDir root(mRoot);
    const Run help = run(root.filePath(QStringLiteral("usr/bin/orlam")), {QStringLiteral("--help")},
                         userEnvironment(mDir.path()));
    QVERIFY2(help.exitCode == 0, qPrintable(describe(help)));
    const QString usage = help.out.section(QStringLiteral("\n\n"), 0, 0);
    // "Usage: orlam [x | INPUT OUTPUT | --hours [DATE] | ...]": the first word of each alternative.
    const qsizetype open = usage.indexOf(QLatin1Char('['));
    QStringList modes;
    for (const QString &alternative :
         usage.mid(open + 1, usage.lastIndexOf(QLatin1Char(']')) - open - 1).split(QLatin1Char('|')))
        modes << alternative.simplified().section(QLatin1Char(' '), 0, 0);
    QVERIFY2(modes.size() >= 7 && modes.contains(QLatin1String("--ics")), qPrintable(usage));
    QProcessEnvironment env = userEnvironment(mDir.path());
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("100"));
    const Run man = run(QStringLiteral("man"),
                        {QStringLiteral("--warnings"), QStringLiteral("-l"),
                         root.filePath(QStringLiteral("usr/share/man/man1/orlam.1.gz"))},
                        env);
    QVERIFY2(man.exitCode == 0 && man.err.isEmpty(), qPrintable(describe(man)));
    for (const QString &mode : modes) {
        // "x" stands alone: "orlam x"; the others as they are written.
        const QString pattern =
            mode == QLatin1String("x") ? QStringLiteral("orlam x\\b") : QRegularExpression::escape(mode);
        QVERIFY2(man.out.contains(QRegularExpression(pattern)), qPrintable(mode));
    }
    QVERIFY(man.out.contains(QStringLiteral("orlam %1").arg(QLatin1String(orlam::VersionNumber))));
}

void PackageTest::installedProgramRunsFromItsPrefix()
{
    const QDir root(mRoot);
    const QString program = root.filePath(QStringLiteral("usr/bin/orlam"));
    QTemporaryDir home;
    const QProcessEnvironment env = userEnvironment(home.path());
    const Run version = run(program, {QStringLiteral("--version")}, env);
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QStringLiteral("orlam %1\n").arg(QLatin1String(orlam::VersionNumber)));

    // A first start without a display: the installed engine beside the program charts the present
    // moment (no orlam-ephem on PATH), and the installed help page reaches the work folder.
    const Run date = run(program, {QStringLiteral("x")}, env, home.path());
    QVERIFY2(date.exitCode == 0, qPrintable(describe(date)));
    QVERIFY2(date.out.contains(QRegularExpression(
                 QStringLiteral("^An .* Sol \\d+\u00b0 \\w+, Luna \\d+\u00b0 \\w+ Dies \\w+"))),
             qPrintable(date.out));
    const QDir work(home.filePath(QStringLiteral(".local/share/Orlam")));
    QVERIFY(QFileInfo(work.filePath(QStringLiteral("chart.txt"))).isFile());
    QFile installedHelp(root.filePath(QStringLiteral("usr/share/orlam/orlam.html")));
    QFile copiedHelp(work.filePath(QStringLiteral("orlam.html")));
    QVERIFY(installedHelp.open(QIODevice::ReadOnly) && copiedHelp.open(QIODevice::ReadOnly));
    const QByteArray help = installedHelp.readAll();
    QCOMPARE(copiedHelp.readAll(), help);
    QVERIFY(help.contains(QByteArray("Version ") + orlam::VersionNumber));

    // The hour commands read the installed engine too.
    const Run hours =
        run(program, {QStringLiteral("--hours"), QStringLiteral("2026-06-15")}, env, home.path());
    QVERIFY2(hours.exitCode == 0, qPrintable(describe(hours)));
    QCOMPARE(hours.out.count(QLatin1Char('\n')), 24);
}

void PackageTest::dpkgInstallsAndRemovesCleanly()
{
    // dpkg's own install into a root of its own: it unpacks and configures the package (the
    // dependencies belong to the real system, so they are not asked for), and its removal leaves
    // no file behind.
    const QString root = mDir.filePath(QStringLiteral("dpkgroot"));
    for (const char *folder : {"var/lib/dpkg/info", "var/lib/dpkg/updates", "var/lib/dpkg/triggers"})
        QVERIFY(QDir(root).mkpath(QLatin1String(folder)));
    QFile status(QDir(root).filePath(QStringLiteral("var/lib/dpkg/status")));
    QVERIFY(status.open(QIODevice::WriteOnly));
    status.close();
    const QStringList common{QStringLiteral("--root=") + root, QStringLiteral("--force-depends"),
                             QStringLiteral("--force-script-chrootless"), QStringLiteral("--force-not-root")};
    const Run install = run(QStringLiteral("dpkg"), common + QStringList{QStringLiteral("--install"), mDeb});
    QVERIFY2(install.exitCode == 0, qPrintable(describe(install)));
    const Run state = run(QStringLiteral("dpkg-query"),
                          {QStringLiteral("--root=") + root, QStringLiteral("-W"),
                           QStringLiteral("-f=${Status} ${Version}"), QStringLiteral("orlam")});
    QCOMPARE(state.out, QStringLiteral("install ok installed %1").arg(QLatin1String(orlam::VersionNumber)));
    QVERIFY(QFileInfo(QDir(root).filePath(QStringLiteral("usr/bin/orlam"))).isExecutable());

    const Run remove =
        run(QStringLiteral("dpkg"), common + QStringList{QStringLiteral("--purge"), QStringLiteral("orlam")});
    QVERIFY2(remove.exitCode == 0, qPrintable(describe(remove)));
    QDirIterator left(QDir(root).filePath(QStringLiteral("usr")), QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!left.hasNext(), qPrintable(left.hasNext() ? left.next() : QString()));
}

QTEST_GUILESS_MAIN(PackageTest)
#include "package_test.moc"
