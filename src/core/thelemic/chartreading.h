#pragma once

#include <QString>
#include <QStringList>

namespace orlam {

struct DateTexts;

constexpr auto ChartFileName = "chart.txt";

// What one chart listing gives the date composition.
struct ChartReading {
    // " Sol 24° Gemini, Luna  5° Leo" or " Sol in Gemini, Luna in Leo", beginning with a space
    // so that the era year can stand directly in front of it; empty without either row. A
    // listing whose Moon row stands before its Sun row gives ", Luna  5° Leo Sol 24° Gemini",
    // as the rows are taken in the order they come.
    QString phrase;
    // The Sun's sign name ("Aries" turns the era year in March); empty without a Sun row.
    QString SunSign;
    // A Sun row, a Moon row, with a sign that reads: a chart a date can be composed from.
    bool hasSun = false;
    bool hasMoon = false;
    bool isComplete() const { return hasSun && hasMoon; }
};

// The sign name of a three-letter abbreviation as the engine writes it ("Ari" gives "Aries";
// the table is names::Signs), exact and case-sensitive; empty when unknown.
QString SignFromAbbreviation(const QString &abbreviation);

// Reads the Sun and Moon rows of a chart listing. A row counts when it begins with "Sun" or
// "Moon" in column 1; columns 7-8 hold the degree within the sign, columns 9-11 the sign's
// abbreviation (a short row gives short pieces, never padded ones). `aspectMode` 0 writes the
// sign only, 1 the degree and the sign, any other value writes no position at all.
// Sets texts.SunSign always, texts.SunPosition / texts.MoonPosition only for rows found.
ChartReading readChartLines(const QStringList &lines, int aspectMode, DateTexts &texts);

// The same for a listing file (Western code page). A missing or unreadable file is read as an
// empty listing: the engine may have failed, and the date is then composed without positions.
ChartReading readChartFile(const QString &path, int aspectMode, DateTexts &texts);

} // namespace orlam
