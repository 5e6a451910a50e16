#pragma once

// The layout of a rise/set report line, shared by the engine that writes it, the program that
// reads it and the tests. Plain C++, no Qt. Columns are counted from 0 here; the same fields
// counted from 1 are 1-6 (weekday tag), 7-16 (date), 18-24 (time), 25-32 (body), 40-47 (event
// word).
//
//   "(Sun) 3/14/2027  7:04am     Sun       rises"
//   "(Sun) 3/14/2027  7:04am     Sun       rises    07:04:27"   (with the seconds switch)

#include <array>

namespace orlam::riseset {

constexpr int TagColumn = 0; // "(Sun) "
constexpr int TagWidth = 6;
constexpr int DateColumn = 6; // "M/D/YYYY" or "D-M-YYYY", numbers below 10 blank-padded
constexpr int DateWidth = 10;
constexpr int TimeColumn = 17; // " 7:04am": 12-hour clock, the minute rounded
constexpr int TimeWidth = 7;
constexpr int BodyColumn = 24; // the body's name, right-aligned to the end of the field
constexpr int BodyWidth = 8;
constexpr int WordColumn = 39; // "rises", "zeniths", "sets", "nadirs"
constexpr int WordWidth = 8;
// With the seconds switch: the event's time to the second on the job's 24-hour clock,
// "07:04:27", after one blank. It may belong to the day before the date of the line when the
// minute rounds across midnight.
constexpr int SecondsColumn = WordColumn + WordWidth + 1;
constexpr int SecondsWidth = 8;

// A Sun line has " Sun" first at this column, a Moon line " Moon" (the names right-aligned).
constexpr int SunColumn = BodyColumn + BodyWidth - 4;
constexpr int MoonColumn = BodyColumn + BodyWidth - 5;

// The event words, in the order of the engine's events.
constexpr std::array<const char *, 4> EventWords{"rises", "zeniths", "sets", "nadirs"};

// The engine's own switches beyond the standard rise/set job: "/Zn N" makes the report cover N
// consecutive days from the job's date (1..MaxSpanDays), "/Zs" adds the seconds field.
constexpr const char *SpanSwitch = "/Zn";
constexpr const char *SecondsSwitch = "/Zs";
constexpr int MaxSpanDays = 400;

} // namespace orlam::riseset
