#include "hourscli.h"

#include "reports/hourscommand.h"
#include "settings/localefacts.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

namespace orlam {

int runHoursCommandLine(int &argc, char **argv, const CommandLine &commandLine, const QString &settingsPath)
{
    // A core application is enough: no display is opened, so these run in a terminal, a
    // status bar's script or over ssh alike.
    QCoreApplication app(argc, argv);
    HoursCommand command = HoursCommand::Hours;
    if (commandLine.mode == CommandLine::Mode::NextHour)
        command = HoursCommand::NextHour;
    else if (commandLine.mode == CommandLine::Mode::Ics)
        command = HoursCommand::Ics;

    const HoursCommandResult result = runHoursCommand(command, commandLine.hourArguments, settingsPath,
                                                      LocaleFacts::system(), QDateTime::currentDateTimeUtc());
    for (const QString &line : result.output)
        std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
    if (!result.error.isEmpty())
        std::fprintf(stderr, "orlam: %s\n", result.error.toLocal8Bit().constData());
    return result.exitCode;
}

} // namespace orlam
