#include "jobfile.h"

#include "shared/risesetformat.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace orlam {

namespace {

// Thrown inside the parser only; becomes the one-line message of the result.
struct ParseError {
    std::string text;
};

[[noreturn]] void fail(std::string text)
{
    throw ParseError{std::move(text)};
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char toLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLower(a[i]) != toLower(b[i]))
            return false;
    }
    return true;
}

// Quotes a token for a message, shortened so that a junk line cannot flood the terminal.
std::string quoted(std::string_view token)
{
    constexpr std::size_t maxShown = 40;
    std::string text = "\"";
    for (std::size_t i = 0; i < token.size() && i < maxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        text += (c < 0x20 || c >= 0x7f) ? '?' : static_cast<char>(c);
    }
    if (token.size() > maxShown)
        text += "...";
    return text + "\"";
}

std::vector<std::string_view> splitTokens(std::string_view line)
{
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isSpace(line[i]))
            ++i;
        if (i > start)
            tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

// Reads an unsigned decimal number of 1..maxDigits digits that fills the whole text.
bool readUnsigned(std::string_view text, int maxDigits, int *value)
{
    if (text.empty() || static_cast<int>(text.size()) > maxDigits)
        return false;
    int result = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

int readInteger(std::string_view text, std::string_view what, int low, int high)
{
    int value = 0;
    if (!readUnsigned(text, 6, &value))
        fail(std::string(what) + " " + quoted(text) + " is not a number");
    if (value < low || value > high)
        fail(std::string(what) + " " + std::to_string(value) + " is out of range (" + std::to_string(low) +
             " to " + std::to_string(high) + ")");
    return value;
}

// "H:MM", "H:MM:SS", each optionally followed by "AM" or "PM". A marker with a 24-hour reading
// must agree with it ("14:30PM", "0:05AM"); with hours 1 to 12 it is read on the 12-hour clock.
void readTime(std::string_view text, Moment *moment)
{
    std::string_view body = text;
    char marker = 0;
    if (body.size() >= 2) {
        const std::string_view tail = body.substr(body.size() - 2);
        if (equalsIgnoringCase(tail, "AM"))
            marker = 'A';
        else if (equalsIgnoringCase(tail, "PM"))
            marker = 'P';
        if (marker)
            body.remove_suffix(2);
    }
    const std::size_t colon = body.find(':');
    if (colon == std::string_view::npos)
        fail("time " + quoted(text) + " is not of the form H:MM with AM or PM");
    std::string_view minutePart = body.substr(colon + 1);
    std::string_view secondPart;
    if (const std::size_t colon2 = minutePart.find(':'); colon2 != std::string_view::npos) {
        secondPart = minutePart.substr(colon2 + 1);
        minutePart = minutePart.substr(0, colon2);
    }
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!readUnsigned(body.substr(0, colon), 2, &hour) || !readUnsigned(minutePart, 2, &minute) ||
        (!secondPart.empty() && !readUnsigned(secondPart, 2, &second)) ||
        (secondPart.empty() && body.size() > colon + 1 + minutePart.size()))
        fail("time " + quoted(text) + " is not of the form H:MM with AM or PM");
    if (hour > 23 || minute > 59 || second > 59)
        fail("time " + quoted(text) + " is out of range");
    if (marker == 'A') {
        if (hour >= 13)
            fail("time " + quoted(text) + ": hour " + std::to_string(hour) + " is not in the morning");
        if (hour == 12)
            hour = 0;
    } else if (marker == 'P') {
        if (hour == 0)
            fail("time " + quoted(text) + ": hour 0 is not in the afternoon");
        if (hour < 12)
            hour += 12;
    }
    moment->hour = hour;
    moment->minute = minute;
    moment->second = second;
}

// Hours west of Greenwich: "6", "-5.5", "-5:30", "+3".
double readZone(std::string_view text)
{
    std::string_view rest = text;
    double sign = 1.0;
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) {
        sign = rest[0] == '-' ? -1.0 : 1.0;
        rest.remove_prefix(1);
    }
    double value = 0.0;
    const std::size_t colon = rest.find(':');
    const std::size_t dot = rest.find('.');
    int whole = 0;
    if (colon != std::string_view::npos) {
        int minutes = 0;
        if (!readUnsigned(rest.substr(0, colon), 2, &whole) ||
            !readUnsigned(rest.substr(colon + 1), 2, &minutes) || rest.size() - colon - 1 != 2 ||
            minutes > 59)
            fail("zone " + quoted(text) + " is not hours west like 6, -5.5 or -5:30");
        value = whole + minutes / 60.0;
    } else if (dot != std::string_view::npos) {
        int fraction = 0;
        const std::string_view digits = rest.substr(dot + 1);
        if (!readUnsigned(rest.substr(0, dot), 2, &whole) || !readUnsigned(digits, 4, &fraction))
            fail("zone " + quoted(text) + " is not hours west like 6, -5.5 or -5:30");
        value = whole + fraction / std::pow(10.0, static_cast<double>(digits.size()));
    } else {
        if (!readUnsigned(rest, 2, &whole))
            fail("zone " + quoted(text) + " is not hours west like 6, -5.5 or -5:30");
        value = whole;
    }
    if (value > 24.0)
        fail("zone " + quoted(text) + " is out of range (-24 to 24 hours)");
    return sign * value;
}

// "93W21", "151E12", "45N05", "33S52", optionally with seconds ("93W21:30").
double readAngle(std::string_view text, std::string_view what, char positive, char negative, int maxDegrees)
{
    const std::string message = std::string(what) + " " + quoted(text) + " is not of the form " +
                                (maxDegrees == 180 ? "93W21 or 151E12" : "45N05 or 33S52");
    std::size_t letter = 0;
    while (letter < text.size() && isDigit(text[letter]))
        ++letter;
    if (letter == text.size())
        fail(message);
    const char hemisphere = static_cast<char>(toLower(text[letter]));
    double sign = 0.0;
    if (hemisphere == toLower(positive))
        sign = 1.0;
    else if (hemisphere == toLower(negative))
        sign = -1.0;
    else
        fail(message);
    std::string_view minutePart = text.substr(letter + 1);
    std::string_view secondPart;
    if (const std::size_t colon = minutePart.find(':'); colon != std::string_view::npos) {
        secondPart = minutePart.substr(colon + 1);
        minutePart = minutePart.substr(0, colon);
        if (secondPart.empty())
            fail(message);
    }
    int degrees = 0;
    int minutes = 0;
    int seconds = 0;
    if (!readUnsigned(text.substr(0, letter), 3, &degrees) || !readUnsigned(minutePart, 2, &minutes) ||
        (!secondPart.empty() && !readUnsigned(secondPart, 2, &seconds)))
        fail(message);
    if (minutes > 59 || seconds > 59)
        fail(message);
    const double value = degrees + minutes / 60.0 + seconds / 3600.0;
    if (value > maxDegrees)
        fail(std::string(what) + " " + quoted(text) + " is out of range (0 to " + std::to_string(maxDegrees) +
             " degrees)");
    return sign * value;
}

Moment readMoment(const std::vector<std::string_view> &args)
{
    if (args.size() != 8)
        fail("needs 8 values: month day year time ST|DT zone longitude latitude (" +
             std::to_string(args.size()) + " given)");
    Moment moment;
    moment.month = readInteger(args[0], "month", 1, 12);
    moment.day = readInteger(args[1], "day", 1, 31);
    moment.year = readInteger(args[2], "year", firstYear, lastYear);
    if (moment.day > daysInMonth(moment.year, moment.month))
        fail("day " + std::to_string(moment.day) + " does not exist in " +
             std::string(monthNames[moment.month - 1]) + " " + std::to_string(moment.year));
    readTime(args[3], &moment);
    if (equalsIgnoringCase(args[4], "ST"))
        moment.daylight = false;
    else if (equalsIgnoringCase(args[4], "DT"))
        moment.daylight = true;
    else
        fail(quoted(args[4]) + " is neither ST nor DT");
    moment.zoneHoursWest = readZone(args[5]);
    moment.longitudeEast = -readAngle(args[6], "longitude", 'W', 'E', 180);
    moment.latitudeNorth = readAngle(args[7], "latitude", 'N', 'S', 90);
    moment.zoneText = std::string(args[5]);
    moment.longitudeText = std::string(args[6]);
    moment.latitudeText = std::string(args[7]);
    return moment;
}

// A body by its name or the name's first three or more letters ("sun", "moo", "Chir").
Body readBody(std::string_view text)
{
    if (text.size() >= 3) {
        for (const BodyInfo &info : bodyTable) {
            if (text.size() <= info.name.size() && equalsIgnoringCase(text, info.name.substr(0, text.size())))
                return info.body;
        }
    }
    fail("unknown body " + quoted(text));
}

int readAspectLimit(std::string_view text)
{
    int number = 0;
    if (readUnsigned(text, 2, &number)) {
        if (number < 1 || number > aspectCount)
            fail("aspect count " + std::to_string(number) + " is out of range (1 to " +
                 std::to_string(aspectCount) + ")");
        return number;
    }
    if (text.size() >= 3) {
        for (int i = 0; i < aspectCount; ++i) {
            const std::string_view name = aspectTable[static_cast<std::size_t>(i)].name;
            if (text.size() <= name.size() && equalsIgnoringCase(text, name.substr(0, text.size())))
                return i + 1;
        }
    }
    fail("unknown aspect " + quoted(text));
}

std::string readFileName(std::string_view text)
{
    if (!isPlainFileName(text))
        fail("file name " + quoted(text) +
             " is refused: reports are written only as plain names in the "
             "current directory");
    return std::string(text);
}

void expectArgs(const std::vector<std::string_view> &args, std::size_t count, std::string_view usage)
{
    if (args.size() < count)
        fail("missing value: expected " + std::string(usage));
    if (args.size() > count)
        fail("unexpected value " + quoted(args[count]));
}

// The report a switch selects; switches of two different reports cannot share a job.
enum class Group { None, Wheel, Aspects, RiseSet, MonthCalendar, YearCalendar };

} // namespace

int daysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return days[month - 1] + ((month == 2 && leap) ? 1 : 0);
}

bool isPlainFileName(std::string_view name)
{
    // The report is first written as "." + name + ".XXXXXX", which must fit the system's limit of
    // 255 bytes for a name; a longer name would pass here and fail only when written.
    constexpr std::size_t maxNameLength = 240;
    if (name.empty() || name.size() > maxNameLength || name == "." || name == ".." || name[0] == '-')
        return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7f)
            return false;
    }
    return name.find("..") == std::string_view::npos;
}

ReportKind JobSpec::kind() const
{
    if (riseSet)
        return ReportKind::RiseSet;
    if (monthCalendar)
        return ReportKind::MonthCalendar;
    if (yearCalendar)
        return ReportKind::YearCalendar;
    if (aspectList || aspectGrid || influence || horizon)
        return ReportKind::Aspects;
    if (wheelRows > 0 || metafile)
        return ReportKind::Wheel;
    return ReportKind::Chart;
}

JobParseResult parseJobFile(std::string_view text, std::string_view fileName)
{
    JobParseResult result;
    const std::string file(fileName);
    if (text.size() > maxJobFileBytes) {
        result.message =
            file + ": not a job file: larger than " + std::to_string(maxJobFileBytes / 1024) + " KiB";
        return result;
    }
    if (text.empty() || text[0] != '@') {
        result.message = file + ":1: not a job file: the first line must begin with \"@\"";
        return result;
    }

    JobSpec &job = result.job;
    Group group = Group::None;
    int lineNumber = 0;
    std::string switchName;
    std::size_t pos = 0;
    try {
        while (pos < text.size()) {
            ++lineNumber;
            switchName.clear();
            std::size_t end = pos;
            while (end < text.size() && text[end] != '\r' && text[end] != '\n')
                ++end;
            std::string_view line = text.substr(pos, end - pos);
            pos = end;
            if (pos < text.size())
                pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

            if (line.size() > maxJobLineLength)
                fail("line is longer than " + std::to_string(maxJobLineLength) + " characters");
            if (lineNumber == 1)
                continue; // the header line carries no switch
            if (const std::size_t semicolon = line.find(';'); semicolon != std::string_view::npos)
                line = line.substr(0, semicolon);
            for (char c : line) {
                const unsigned char u = static_cast<unsigned char>(c);
                if ((u < 0x20 && c != '\t') || u == 0x7f)
                    fail("control character (code " + std::to_string(u) + ") in a switch line");
            }
            std::vector<std::string_view> tokens = splitTokens(line);
            if (tokens.empty())
                continue;
            const std::string_view word = tokens.front();
            if (word[0] != '/' && word[0] != '-')
                fail(quoted(word) + " is not a switch (a switch begins with \"/\" or \"-\")");
            switchName = std::string(word);
            const std::string_view name = word.substr(1);
            const std::vector<std::string_view> args(tokens.begin() + 1, tokens.end());

            Group wanted = Group::None;
            if (name == "qb") {
                job.moment = readMoment(args);
            } else if (name == "os") {
                expectArgs(args, 1, "a report file name");
                job.reportName = readFileName(args[0]);
            } else if (name == "R") {
                if (args.empty())
                    fail("missing value: expected one or more body names");
                for (std::string_view arg : args)
                    job.restricted.set(static_cast<std::size_t>(readBody(arg)));
            } else if (name == "R0") {
                job.restricted.set();
                for (std::string_view arg : args)
                    job.restricted.reset(static_cast<std::size_t>(readBody(arg)));
            } else if (name == "A") {
                expectArgs(args, 1, "an aspect name or count");
                job.aspectLimit = readAspectLimit(args[0]);
            } else if (name == "c") {
                expectArgs(args, 1, "a house system number 0 to 13");
                job.houseSystem =
                    readInteger(args[0], "house system", 0, static_cast<int>(houseSystemTable.size()) - 1);
            } else if (name == "s") {
                expectArgs(args, 0, "");
                job.sidereal = true;
            } else if (name == "Yd") {
                expectArgs(args, 0, "");
                job.dayFirstDates = true;
            } else if (name == "Zd") {
                expectArgs(args, 0, "");
                job.riseSet = true;
                wanted = Group::RiseSet;
            } else if (name == "Zn") {
                expectArgs(args, 1, "the number of days, 1 to " + std::to_string(riseset::MaxSpanDays));
                job.riseSetDays = readInteger(args[0], "number of days", 1, riseset::MaxSpanDays);
                wanted = Group::RiseSet;
            } else if (name == "Zs") {
                expectArgs(args, 0, "");
                job.riseSetSeconds = true;
                wanted = Group::RiseSet;
            } else if (name == "XM0") {
                expectArgs(args, 0, "");
                job.metafile = true;
                wanted = Group::Wheel;
            } else if (name == "Xr") {
                expectArgs(args, 0, "");
                job.pictureWhiteBackground = true;
            } else if (name == "Xm") {
                expectArgs(args, 0, "");
                job.pictureMonochrome = true;
            } else if (name == "Xo") {
                expectArgs(args, 1, "a picture file name");
                job.pictureName = readFileName(args[0]);
            } else if (name == "w") {
                expectArgs(args, 1, "the number of rows per house, 1 to 20");
                job.wheelRows = readInteger(args[0], "rows per house", 1, 20);
                wanted = Group::Wheel;
            } else if (name == "a0") {
                expectArgs(args, 0, "");
                job.aspectList = true;
                wanted = Group::Aspects;
            } else if (name == "g0") {
                expectArgs(args, 0, "");
                job.aspectGrid = true;
                wanted = Group::Aspects;
            } else if (name == "j0") {
                expectArgs(args, 0, "");
                job.influence = true;
                wanted = Group::Aspects;
            } else if (name == "Z") {
                expectArgs(args, 0, "");
                job.horizon = true;
                wanted = Group::Aspects;
            } else if (name == "dm") {
                expectArgs(args, 0, "");
                job.monthCalendar = true;
                wanted = Group::MonthCalendar;
            } else if (name == "dy") {
                expectArgs(args, 0, "");
                job.yearCalendar = true;
                wanted = Group::YearCalendar;
            } else {
                fail("unknown switch");
            }
            if (wanted != Group::None) {
                if (group != Group::None && group != wanted)
                    fail("asks for a different report than an earlier switch of this job");
                group = wanted;
            }
        }

        switchName.clear();
        lineNumber = 0; // what follows concerns the whole file
        if (!job.moment)
            fail("no /qb switch gives the chart's moment and place");
        if (job.metafile && job.pictureName.empty())
            fail("/XM0 needs /Xo with the picture's file name");
        if (!job.pictureName.empty() && !job.metafile)
            fail("/Xo needs /XM0 (the picture is a Windows metafile)");
        if (!job.pictureName.empty() && job.pictureName == job.reportName)
            fail("/os and /Xo name the same file");
        if ((job.riseSetDays != 1 || job.riseSetSeconds) && !job.riseSet)
            fail("/Zn and /Zs need /Zd (they shape the rise and set report)");
        if (job.wheelRows == 0 && job.metafile)
            job.wheelRows = 7;
    } catch (const ParseError &error) {
        const std::string where = lineNumber > 0 ? ":" + std::to_string(lineNumber) : ": end of file";
        result.message = file + where + ": " +
                         (switchName.empty() ? std::string() : quoted(switchName) + ": ") + error.text;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace orlam
