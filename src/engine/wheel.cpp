#include "metafile.h"
#include "reports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orlam {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int cellWidth = 17;

// Where each house sits in the 4 x 4 ring of the text wheel: the ascendant at the left, houses
// counter-clockwise from it, as a chart is drawn.
struct CellPlace {
    int row;
    int column;
};
constexpr CellPlace housePlaces[12] = {{2, 0}, {3, 0}, {3, 1}, {3, 2}, {3, 3}, {2, 3},
                                       {1, 3}, {0, 3}, {0, 2}, {0, 1}, {0, 0}, {1, 0}};

std::string fit(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

} // namespace

std::vector<double> spreadLabels(const std::vector<double> &longitudes, double gap)
{
    const std::size_t count = longitudes.size();
    std::vector<double> shown(count);
    if (count == 0)
        return shown;
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = i;
    auto at = [&](std::size_t k) { return std::fmod(std::fmod(longitudes[order[k]], 360.0) + 360.0, 360.0); };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::fmod(std::fmod(longitudes[a], 360.0) + 360.0, 360.0) <
               std::fmod(std::fmod(longitudes[b], 360.0) + 360.0, 360.0);
    });
    // Start after the widest empty arc, so that a crowd astride 0 Aries is pushed apart as one
    // crowd and never folded back onto the first label.
    std::size_t first = 0;
    double widest = -1;
    for (std::size_t k = 0; k < count; ++k) {
        const double previous = k == 0 ? at(count - 1) - 360.0 : at(k - 1);
        if (at(k) - previous > widest) {
            widest = at(k) - previous;
            first = k;
        }
    }
    double last = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t k = (first + n) % count;
        double value = at(k) + (k < first ? 360.0 : 0.0);
        if (n > 0 && value - last < gap)
            value = last + gap;
        last = value;
        shown[order[k]] = std::fmod(value, 360.0);
    }
    return shown;
}

std::vector<std::string> wheelReport(const JobSpec &job, const ChartData &chart, Ephemeris &ephemeris)
{
    const int rows = std::max(job.wheelRows, 1);
    std::vector<std::vector<std::string>> cells(12);
    for (int house = 0; house < 12; ++house) {
        std::vector<std::string> &cell = cells[static_cast<std::size_t>(house)];
        char label[32];
        std::snprintf(label, sizeof label, "House %-2d %s", house + 1,
                      zodiacText(chart.houses.cusps[static_cast<std::size_t>(house)]).c_str());
        cell.push_back(fit(label, cellWidth));
        for (const auto &entry : chart.bodies) {
            if (entry.house != house + 1)
                continue;
            std::string text = " " + std::string(bodyInfo(entry.body).name);
            text.resize(9, ' ');
            text += zodiacText(entry.position.longitude) + (entry.position.speed < 0 ? "R" : "");
            cell.push_back(fit(text, cellWidth));
        }
        if (static_cast<int>(cell.size()) > rows) {
            // Too few rows: the house's own line stays, the last row counts what is left out.
            const int bodies = static_cast<int>(cell.size()) - 1;
            if (rows == 1) {
                std::snprintf(label, sizeof label, "H%d %s +%d", house + 1,
                              zodiacText(chart.houses.cusps[static_cast<std::size_t>(house)]).c_str(),
                              bodies);
                cell.front() = fit(label, cellWidth);
            } else {
                const int hidden = bodies - (rows - 2);
                std::snprintf(label, sizeof label, " +%d more", hidden);
                cell[static_cast<std::size_t>(rows - 1)] = fit(label, cellWidth);
            }
            cell.resize(static_cast<std::size_t>(rows));
        }
        cell.resize(static_cast<std::size_t>(rows), std::string(cellWidth, ' '));
    }

    const Moment &m = chart.moment;
    const int weekday = Ephemeris::weekday(Ephemeris::julianDay(m.year, m.month, m.day, 12.0));
    const CivilTime ut = Ephemeris::civilTime(chart.julianDayUt);
    const int hour12 = m.hour % 12 == 0 ? 12 : m.hour % 12;
    char text[96];
    std::vector<std::string> middle{"Orlam chart wheel"};
    std::snprintf(text, sizeof text, "%s, %s %d, %d", std::string(weekdayNames[weekday]).c_str(),
                  std::string(monthNames[m.month - 1]).c_str(), m.day, m.year);
    middle.emplace_back(text);
    std::snprintf(text, sizeof text, "%d:%02d%s %s, zone %s", hour12, m.minute, m.hour < 12 ? "am" : "pm",
                  m.daylight ? "DT" : "ST", m.zoneText.c_str());
    middle.emplace_back(text);
    std::snprintf(text, sizeof text, "UT %02d:%02d, JD %.4f", ut.hour, ut.minute, chart.julianDayUt);
    middle.emplace_back(text);
    middle.push_back(m.longitudeText + " " + m.latitudeText);
    const HouseSystemInfo &system = houseSystemTable[static_cast<std::size_t>(chart.houseSystem)];
    middle.push_back(std::string(system.name) + " houses" +
                     (chart.houses.systemUsed != system.letter ? " (Porphyry)" : ""));
    middle.push_back(chart.sidereal ? "Sidereal zodiac" : "Tropical zodiac");
    middle.push_back("Asc " + zodiacText(chart.houses.ascendant) + "  MC " +
                     zodiacText(chart.houses.midheaven));
    middle.push_back(ephemeris.usedBuiltInModel() ? "Built-in ephemeris model" : "Swiss Ephemeris files");
    const std::size_t middleWidth = 2 * cellWidth + 1;
    for (std::string &line : middle) {
        std::size_t start = line.find_first_not_of(' ');
        line = start == std::string::npos ? std::string() : line.substr(start);
        if (line.size() > middleWidth)
            line.resize(middleWidth);
        const std::size_t pad = (middleWidth - line.size()) / 2;
        line = fit(std::string(pad, ' ') + line, middleWidth);
    }
    const std::size_t middleRows = static_cast<std::size_t>(2 * rows + 1);
    if (middle.size() > middleRows)
        middle.resize(middleRows);
    const std::size_t topPad = (middleRows - middle.size()) / 2;
    middle.insert(middle.begin(), topPad, std::string(middleWidth, ' '));
    middle.resize(middleRows, std::string(middleWidth, ' '));

    auto houseAt = [](int row, int column) {
        for (int house = 0; house < 12; ++house) {
            if (housePlaces[house].row == row && housePlaces[house].column == column)
                return house;
        }
        return -1;
    };
    const std::string border = [] {
        std::string line = "+";
        for (int column = 0; column < 4; ++column)
            line += std::string(cellWidth, '-') + "+";
        return line;
    }();
    // The line between the two middle rows of cells runs through the middle, which shows its
    // own text there.
    const std::string middleBorder = "+" + std::string(cellWidth, '-') + "+" +
                                     middle[static_cast<std::size_t>(rows)] + "+" +
                                     std::string(cellWidth, '-') + "+";

    std::vector<std::string> lines;
    for (int row = 0; row < 4; ++row) {
        if (row == 2)
            lines.push_back(middleBorder);
        else
            lines.push_back(border);
        for (int r = 0; r < rows; ++r) {
            std::string line = "|";
            for (int column = 0; column < 4; ++column) {
                const int house = houseAt(row, column);
                if (house >= 0) {
                    line += cells[static_cast<std::size_t>(house)][static_cast<std::size_t>(r)] + "|";
                } else if (column == 1) {
                    const std::size_t index = static_cast<std::size_t>((row - 1) * (rows + 1) + r);
                    line += middle[index] + "|";
                }
            }
            lines.push_back(line);
        }
    }
    lines.push_back(border);
    return lines;
}

std::string wheelPicture(const JobSpec &job, const ChartData &chart)
{
    using Colour = MetafileWriter::Colour;
    constexpr int size = 1000;
    constexpr int centre = size / 2;
    const bool white = job.pictureWhiteBackground || job.pictureMonochrome;
    const bool mono = job.pictureMonochrome;
    const Colour background = white ? MetafileWriter::rgb(255, 255, 255) : MetafileWriter::rgb(0, 0, 0);
    const Colour foreground = white ? MetafileWriter::rgb(0, 0, 0) : MetafileWriter::rgb(255, 255, 255);
    // Fire, earth, air, water.
    const Colour elementColours[4] = {MetafileWriter::rgb(204, 0, 0), MetafileWriter::rgb(0, 128, 0),
                                      MetafileWriter::rgb(176, 140, 0), MetafileWriter::rgb(0, 64, 224)};
    const Colour accent = mono ? foreground : MetafileWriter::rgb(128, 0, 160);

    MetafileWriter wmf(size, size, 200);
    const int noPen = wmf.createNullPen();
    const int backgroundBrush = wmf.createBrush(background);
    const int noBrush = wmf.createNullBrush();
    const int thinPen = wmf.createPen(foreground, 3);
    const int thickPen = wmf.createPen(mono ? foreground : accent, 6);
    const int signFont = wmf.createFont(34, true, "Arial");
    const int bodyFont = wmf.createFont(26, false, "Arial");
    const int smallFont = wmf.createFont(22, false, "Arial");

    wmf.select(noPen);
    wmf.select(backgroundBrush);
    wmf.rectangle(0, 0, size + 1, size + 1);
    wmf.select(noBrush);
    wmf.select(thinPen);
    for (int radius : {480, 400, 330, 170})
        wmf.ellipse(centre - radius, centre - radius, centre + radius, centre + radius);

    const double ascendant = chart.houses.ascendant;
    auto point = [&](double longitude, double radius) {
        const double angle = (180.0 + longitude - ascendant) * pi / 180.0;
        return std::pair<int, int>{centre + static_cast<int>(std::lround(radius * std::cos(angle))),
                                   centre - static_cast<int>(std::lround(radius * std::sin(angle)))};
    };
    auto spoke = [&](double longitude, double inner, double outer) {
        const auto [x1, y1] = point(longitude, inner);
        const auto [x2, y2] = point(longitude, outer);
        wmf.line(x1, y1, x2, y2);
    };

    wmf.select(signFont);
    for (int sign = 0; sign < 12; ++sign) {
        spoke(sign * 30.0, 400, 480);
        const auto [x, y] = point(sign * 30.0 + 15.0, 440);
        wmf.setTextColour(mono ? foreground : elementColours[sign % 4]);
        wmf.text(x, y - 17, signTable[static_cast<std::size_t>(sign)].abbreviation);
    }

    wmf.select(smallFont);
    wmf.setTextColour(foreground);
    for (int house = 0; house < 12; ++house) {
        const double cusp = chart.houses.cusps[static_cast<std::size_t>(house)];
        const double next = chart.houses.cusps[static_cast<std::size_t>((house + 1) % 12)];
        const bool angle = house % 3 == 0;
        wmf.select(angle ? thickPen : thinPen);
        spoke(cusp, 170, 400);
        double span = next - cusp;
        while (span < 0)
            span += 360.0;
        const auto [x, y] = point(cusp + span / 2.0, 190);
        wmf.text(x, y - 11, std::to_string(house + 1));
    }

    // Bodies on the ring between the house circle and the signs, spread apart where they crowd:
    // the gap keeps two degree labels ("26Can") at the inner radius from running into each other.
    std::vector<double> longitudes;
    for (const auto &entry : chart.bodies)
        longitudes.push_back(entry.position.longitude);
    constexpr double minimumGap = 14.0;
    const std::vector<double> shown = spreadLabels(longitudes, minimumGap);
    wmf.select(thinPen);
    for (std::size_t i = 0; i < chart.bodies.size(); ++i) {
        const auto &entry = chart.bodies[i];
        spoke(entry.position.longitude, 390, 400);
        const int bodyIndex = static_cast<int>(entry.body);
        wmf.setTextColour(mono ? foreground : elementColours[bodyIndex % 4]);
        wmf.select(bodyFont);
        const auto [x, y] = point(shown[i], 365);
        wmf.text(x, y - 13, std::string(bodyInfo(entry.body).name.substr(0, 3)));
        wmf.select(smallFont);
        wmf.setTextColour(foreground);
        const auto [dx, dy] = point(shown[i], 300);
        wmf.text(dx, dy - 11, zodiacText(entry.position.longitude).substr(0, 5));
    }

    wmf.select(bodyFont);
    wmf.setTextColour(foreground);
    const Moment &m = chart.moment;
    char dateText[64];
    std::snprintf(dateText, sizeof dateText, "%s %d, %d  %d:%02d",
                  std::string(monthNames[m.month - 1]).c_str(), m.day, m.year, m.hour, m.minute);
    wmf.text(centre, centre - 40, dateText);
    wmf.text(centre, centre - 5, m.longitudeText + " " + m.latitudeText);
    wmf.select(smallFont);
    wmf.text(centre, centre + 30,
             std::string(houseSystemTable[static_cast<std::size_t>(chart.houseSystem)].name) +
                 (chart.sidereal ? ", sidereal" : ", tropical"));
    return wmf.bytes();
}

} // namespace orlam
