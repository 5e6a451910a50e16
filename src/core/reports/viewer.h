#pragma once

#include "common/status.h"

#include <QString>
#include <QStringList>

namespace orlam {

// One section of the astrological data view: the report file and what goes before its lines.
struct ViewerSection {
    const char *fileName;
    bool separator;    // a line holding a single space
    const char *title; // nullptr: no title line
};

// The sections in the order they are shown. Each is shown only when its file exists.
inline constexpr ViewerSection ViewerSections[] = {
    {"chart.txt", false, nullptr},
    {"wheel.txt", true, nullptr},
    {"riseset.txt", true, "Rise and Set Times"},
    {"risesetn.txt", true, "Rise and Set Times (next day)"},
    {"planets.txt", true, "Planetary Positions"},
    {"aspects.txt", true, "Aspect Charts"},
    {"calasp.txt", true, "Transit Calendar"},
};

constexpr auto ViewerSeparatorLine = " ";

// The lines of the astrological data view from the reports in `folder`: every existing report
// in section order, each with its separator and title, its lines taken unchanged (Western code
// page; CR LF, LF or CR end a line). No report at all gives no lines. A report that exists but
// cannot be read fails with "Cannot open file NAME" and leaves `lines` untouched.
Status assembleViewerLines(const QString &folder, QStringList *lines);

} // namespace orlam
