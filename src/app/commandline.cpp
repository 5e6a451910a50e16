#include "commandline.h"

namespace orlam {

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
        "Usage: orlam [x | INPUT OUTPUT | --help | --version]\n"
        "\n"
        "Without arguments Orlam opens its window and shows the Thelemic date of the present moment.\n"
        "  x              calculate the present moment, put the date on the clipboard and print it,\n"
        "                 one line per line of the date, then end\n"
        "  INPUT OUTPUT   convert the moments listed in the file INPUT into Thelemic dates in the\n"
        "                 file OUTPUT, then end (exit status 0; 1 when the conversion failed and\n"
        "                 there is no display to show the message on)\n"
        "  --help         show this text\n"
        "  --version      show the version\n"
        "\n"
        "Only one copy of Orlam runs at a time; another copy ends at once (exit status 3;\n"
        "the modes x and INPUT OUTPUT then say so on standard error).\n"
        "The settings file is Orlam.ini beside the program when that folder is writable, else\n"
        "~/.config/Orlam/Orlam.ini; the environment variable ORLAM_SETTINGS names another file.\n");
}

} // namespace orlam
