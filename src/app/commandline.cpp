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
        "                 one line per line of the date, then end\n"
        "  INPUT OUTPUT   convert the moments listed in the file INPUT into Thelemic dates in the\n"
        "                 file OUTPUT, then end (exit status 0; 1 when the conversion failed and\n"
        "                 there is no display to show the message on)\n"
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
        "Only one copy of Orlam runs at a time; another copy ends at once (exit status 3;\n"
        "the modes x and INPUT OUTPUT then say so on standard error).\n"
        "The settings file is Orlam.ini beside the program when that folder is writable, else\n"
        "~/.config/Orlam/Orlam.ini; the environment variable ORLAM_SETTINGS names another file.\n");
}

} // namespace orlam
