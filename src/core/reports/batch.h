#pragma once

#include "common/status.h"
#include "thelemic/calculate.h"

#include <QString>
#include <QStringList>

namespace orlam {

// Splits one line of a batch file into fields, as the system's comma-separated list reader
// does: characters 1..32 separate fields just as a comma does; a field that begins with a
// double quote runs to the matching quote ("" stands for one quote) or to the end of the line;
// a comma at the very end of the line adds an empty field. A NUL character ends the line.
QStringList splitBatchFields(const QString &line);

// BatchConvert: for every line of the input file (fields: 0 and 1 free text, 2 date in the
// short date format, 3 time, 4 zone, 5 longitude, 6 latitude) sets the pickers and the
// location, runs Calculate with `view` (Silent leaves the view alone; a run from the window's
// menu shows each line's date as it goes), and writes fields 0-6 and
// EraYear, SunPosition, MoonPosition, DayName, each followed by a comma, as one CR LF line of
// the output file. Names that are not absolute are taken relative to `folder` (the folder the
// user started the program in), or to the current folder when `folder` is empty; messages name
// the files as given.
//
// The output appears only when every line has been converted, whole or not at all; on any
// failure the result carries the message and the output file is left as it was. A message
// about a line ends with " (line N of NAME)". A date outside the years the engine charts, and
// an engine run that fails (not started, a non-zero exit, a crash, the time limit), stop the
// run like a line that does not read. The settings' TimeZone, Longitude and Latitude are those
// of before the run on every return.
//
// The input is read as UTF-8 when it is valid UTF-8, otherwise as Windows-1252; a pipe or a
// device (/dev/stdin) is read once, as a stream. The output follows the input: UTF-8 for a
// UTF-8 file with any character beyond ASCII (a byte-order mark counts), Windows-1252 for a
// Western file and for plain ASCII, as stored files and the programs reading them expect.
// An output that exists and is not a plain file (a device, a pipe, /dev/stdout) is written
// straight into, at the end, instead of being replaced.
//
// Lines are read one at a time and each output line goes straight into a temporary file, so
// memory does not grow with the length of the file. On success `convertedLines`, when given,
// holds the number of lines converted.
Status BatchConvert(Calculator &calculator, const QString &inputName, const QString &outputName,
                    const QString &folder = QString(), Calculator::Output view = Calculator::Output::Silent,
                    qint64 *convertedLines = nullptr);

} // namespace orlam
