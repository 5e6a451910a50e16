// The parts every start builds: the settings file's engine and place reach the engine's run in
// the work folder handed over, and its messages and the date reach the host.

#include "thelemic/calcparts.h"

#include "calctestsupport.h"

#include <QFile>
#include <QFileInfo>

namespace orlam {
namespace {

const QString Engine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

QString settingsFile(const test::WorkFolder &folder, const QString &engine)
{
    const QString path = folder.filePath(SettingsFileName);
    test::writeBytes(path, "[orlam]\r\nAstrolog=" + engine.toUtf8() +
                               "\r\nLongitude=87W39\r\nLatitude=41N51\r\nTime Zone=6\r\n");
    return path;
}

TEST(CalcParts, TheSettingsEngineChartsInTheWorkFolder)
{
    ASSERT_TRUE(QFileInfo(Engine).isExecutable()) << "orlam-ephem has not been built";
    test::SeparateWorkFolder folders;
    test::WorkFolder config;
    test::FakeHost host;
    CalcParts parts(settingsFile(config, Engine), folders.work.path(),
                    test::localeFor(QLocale::English, QLocale::UnitedStates), host);
    ASSERT_TRUE(parts.createStatus());
    EXPECT_EQ(parts.settings().Longitude, QStringLiteral("87W39"));

    ASSERT_TRUE(parts.calculator().calculate(Calculator::Output::Show));
    EXPECT_TRUE(host.messages.isEmpty()) << host.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(host.view.contains(QStringLiteral("2026"))) << host.view.toStdString();
    EXPECT_TRUE(QFile::exists(folders.work.filePath(QStringLiteral("chart.txt"))));
    EXPECT_TRUE(QDir(folders.current.path()).isEmpty());
}

TEST(CalcParts, AnEngineThatCannotStartIsToldToTheHost)
{
    test::WorkFolder work;
    test::WorkFolder config;
    test::FakeHost host;
    const QString missing = config.filePath(QStringLiteral("no-such-engine"));
    CalcParts parts(settingsFile(config, missing), work.path(),
                    test::localeFor(QLocale::English, QLocale::UnitedStates), host);
    ASSERT_TRUE(parts.createStatus());
    EXPECT_TRUE(parts.calculator().calculate(Calculator::Output::Show));
    EXPECT_TRUE(host.messages.contains(AstrologRunner::cannotStartMessage(missing)))
        << host.messages.join(QLatin1Char('|')).toStdString();
}

TEST(CalcParts, AYearFirstLocaleFailsTheLoadAndWritesNoFile)
{
    test::WorkFolder work;
    test::WorkFolder config;
    test::FakeHost host;
    const QString path = config.filePath(SettingsFileName);
    CalcParts parts(path, work.path(), test::localeFor(QLocale::Japanese, QLocale::Japan), host);
    EXPECT_FALSE(parts.createStatus());
    EXPECT_EQ(parts.createStatus().message, DateOrderMessage);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
} // namespace orlam
