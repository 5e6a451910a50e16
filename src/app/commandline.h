#pragma once

#include <QString>
#include <QStringList>

namespace orlam {

// What the command line asks for. The program's own path is not an argument, and the option
// "--desktop" (given by the desktop entry) is taken out before the arguments are counted.
struct CommandLine {
    enum class Mode {
        Interactive, // no argument, or three and more
        CopyDate,    // the single argument "x": calculate, copy the view's text, end
        CopyView,    // any other single argument: copy the (still empty) view, end
        Batch,       // two arguments: convert the first file into the second, end
        Usage,       // "--help"
        Version,     // "--version"
        NextHour,    // "--next-hour PLANET"
        Hours,       // "--hours [DATE]"
        Ics          // "--ics FROM TO FILE"
    };

    Mode mode = Mode::Interactive;
    QString first;
    QString second;
    QStringList hourArguments; // the arguments after --next-hour, --hours or --ics
    bool desktop = false;
    // The folder the user started the program in: file names on the command line (and typed
    // into the Batch command's boxes) are taken relative to it. Empty: the current folder.
    QString startFolder;

    bool endsAfterStart() const
    {
        return mode == Mode::CopyDate || mode == Mode::CopyView || mode == Mode::Batch;
    }
    // The hour commands run without a window and beside a running one.
    bool isHoursCommand() const { return mode == Mode::NextHour || mode == Mode::Hours || mode == Mode::Ics; }
};

// `arguments` without the program's path.
CommandLine parseCommandLine(const QStringList &arguments);

QString usageText();

} // namespace orlam
