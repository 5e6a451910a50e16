#include "hourscli.h"

#include "common/standardoutput.h"
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
    const Status printed = printLines(result.output);
    for (const QString &note : result.notes)
        std::fprintf(stderr, "orlam: %s\n", note.toLocal8Bit().constData());
    if (!result.error.isEmpty())
        std::fprintf(stderr, "orlam: %s\n", result.error.toLocal8Bit().constData());
    if (!printed) {
        std::fprintf(stderr, "orlam: %s\n", printed.message.toLocal8Bit().constData());
        return result.exitCode == 0 ? 1 : result.exitCode;
    }
    return result.exitCode;
}

} // namespace orlam
