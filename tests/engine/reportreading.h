#pragma once

// The rules by which the program's readers take the engine's reports apart, written again here
// so that the tests check the reports the way they will be read.

#include "shared/risesetformat.h"

#include <string>
#include <vector>

namespace orlam::test {

inline std::vector<std::string> splitReportLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// Columns counted from 1, as the readers count them; a short line gives a short piece.
inline std::string columns(const std::string &line, std::size_t first, std::size_t last)
{
    if (line.size() < first)
        return std::string();
    return line.substr(first - 1, last - first + 1);
}

// Rise/set lines: a Sun line has its first " Sun" at column 29, a Moon line its first " Moon"
// at column 28 (see shared/risesetformat.h); the event words are looked for anywhere.
inline bool isSunLine(const std::string &line)
{
    return line.find(" Sun") == static_cast<std::size_t>(riseset::SunColumn);
}

inline bool isMoonLine(const std::string &line)
{
    return line.find(" Moon") == static_cast<std::size_t>(riseset::MoonColumn);
}

inline bool hasWord(const std::string &line, const std::string &word)
{
    return line.find(word) != std::string::npos;
}

// The time of columns 18-24 without its padding: " 7:28am" -> "7:28am".
inline std::string eventTime(const std::string &line)
{
    std::string time = columns(line, riseset::TimeColumn + 1, riseset::TimeColumn + riseset::TimeWidth);
    while (!time.empty() && time.front() == ' ')
        time.erase(time.begin());
    return time;
}

} // namespace orlam::test
