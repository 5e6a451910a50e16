#include "commandline.h"

namespace orlam {

namespace {

bool parseHoursCommand(const QStringList &arguments, CommandLine &line)
{
    const QString &option = arguments.at(0);
    if (option == QLatin1String("--next-hour"))
        line.mode = CommandLine::Mode::NextHour;
    else if (option == QLatin1String("--hours"))
        line.mode = CommandLine::Mode::Hours;
    else if (option == QLatin1String("--ics"))
        line.mode = CommandLine::Mode::Ics;
    else
        return false;
    line.hourArguments = arguments.mid(1);
    return true;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    QStringList rest;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--desktop"))
            line.desktop = true;
        else
            rest << argument;
    }
    if (!rest.isEmpty() && parseHoursCommand(rest, line))
        return line;
    if (rest.size() == 1) {
        line.first = rest.at(0);
        if (line.first == QLatin1String("x"))
            line.mode = CommandLine::Mode::CopyDate;
        else if (line.first == QLatin1String("--help"))
            line.mode = CommandLine::Mode::Usage;
        else if (line.first == QLatin1String("--version"))
            line.mode = CommandLine::Mode::Version;
        else
            line.mode = CommandLine::Mode::CopyView;
    } else if (rest.size() == 2) {
        line.mode = CommandLine::Mode::Batch;
        line.first = rest.at(0);
        line.second = rest.at(1);
    }
    return line;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: orlam [x | INPUT OUTPUT | --next-hour PLANET | --hours [DATE] | --ics FROM TO FILE |\n"
        "              --help | --version]\n"
        "\n"
        "Without arguments Orlam opens its window and shows the Thelemic date of the present moment.\n"
        "  x              calculate the present moment, put the date on the clipboard and print it,\n"
        "                 one line per line of the date, then end (exit status 1 when the ephemeris\n"
        "                 program failed)\n"
        "  INPUT OUTPUT   convert the moments listed in the file INPUT into Thelemic dates in the\n"
        "                 file OUTPUT, then end (exit status 0; 1 when a line could not be converted:\n"
        "                 the message names the line, and OUTPUT is left as it was; with a display\n"
        "                 the message comes in a box and the window then opens)\n"
        "  --next-hour PLANET\n"
        "                 print the next three planetary hours of PLANET (Sun, Moon, Mercury, Venus,\n"
        "                 Mars, Jupiter or Saturn), one a line: \"2026-06-15 15:12-16:20 Venus\",\n"
        "                 \"now\" after an hour that has begun; days without sunrise or sunset are\n"
        "                 listed as \"no hours\" and the search goes on for up to 14 days\n"
        "  --hours [DATE] print the 24 planetary hours of DATE (default today), one a line\n"
        "  --ics FROM TO FILE\n"
        "                 write the planetary hours, the Sun's and Moon's rise, set and culminations,\n"
        "                 the New and Full Moons and the sign ingresses of the days FROM to TO into\n"
        "                 the iCalendar file FILE, for a calendar program to import\n"
        "                 Dates are written 2026-06-15 or in the locale's short date format. These\n"
        "                 three need no display, use the place of the settings file, change nothing\n"
        "                 in it and run beside a running Orlam (exit status 0; 1 on a failure; 2 for\n"
        "                 wrong arguments).\n"
        "  --help         show this text\n"
        "  --version      show the version\n"
        "\n"
        "Batch files: one moment per line, seven fields separated by commas (or blanks):\n"
        "  name, second name, date, time, zone, longitude, latitude\n"
        "the date in the short date format of your locale (LC_TIME), years 1000 to 2999; the time\n"
        "as hours:minutes[:seconds], with AM/PM in double quotes; the zone in hours west of\n"
        "Greenwich (6, -1, -5:30); longitude and latitude as degrees, E/W or N/S, minutes. Fields\n"
        "with blanks or commas go in double quotes. For example:\n"
        "  home,\"Minneapolis, MN\",6/15/2026,14:30,6,93W21,45N05\n"
        "gives the line, followed by the era year, the Sun, the Moon and the day:\n"
        "  home,Minneapolis, MN,6/15/2026,14:30,6,93W21,45N05,v12,24\u00b0 Gemini, 5\u00b0 "
        "Cancer,Lun\u00e6,\n"
        "INPUT may be a pipe (/dev/stdin), OUTPUT a device or a pipe (/dev/stdout). File names are\n"
        "taken from the folder you start Orlam in.\n"
        "\n"
        "Orlam works in its own folder, $XDG_DATA_HOME/Orlam (~/.local/share/Orlam): its job file,\n"
        "the ephemeris reports, td.txt and hl.txt are kept there, and it reads your verses.txt,\n"
        "city.tab and alarm sounds from there. Only one copy of Orlam runs at a time in that\n"
        "folder; another copy ends at once (exit status 3; the modes x and INPUT OUTPUT then say\n"
        "so on standard error). A work folder that cannot be made or locked is named with the\n"
        "reason (exit status 1).\n"
        "The settings file is $XDG_CONFIG_HOME/Orlam/Orlam.ini (~/.config/Orlam/Orlam.ini), or\n"
        "Orlam.ini beside the program when that file exists and you may write it; the environment\n"
        "variable ORLAM_SETTINGS names another file.\n");
}

} // namespace orlam
