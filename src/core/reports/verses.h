#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTime>
#include <cstdint>

namespace orlam {

constexpr auto VerseFileName = "verses.txt";
constexpr auto BookOfTheLawTitle = "The Book of the Law";
constexpr auto ThelemicDateTitle = "Thelemic Date";

// The verse generator: a 32-bit linear congruential generator, reseeded by every command.
constexpr std::uint32_t VerseMultiplier = 134775813u;

// The seed for a command started at `utcTimeOfDay`: milliseconds since midnight UTC,
// ((hour * 60 + minute) * 60 + second) * 1000 + millisecond.
std::uint32_t verseSeed(QTime utcTimeOfDay);

// Advances `seed` one step (seed * 134775813 + 1, modulo 2^32) and draws an index 0..n-1: the
// upper 32 bits of the 64-bit product seed * n. `n` must be at least 1.
int drawVerseIndex(std::uint32_t &seed, int n);

// What PickVerse found. `found` is false for a missing file or one without lines; a file that
// exists but cannot be read gives a failed status ("Cannot open file verses.txt").
struct VersePick {
    Status status;
    bool found = false;
    QString verse;
};

// PickVerse: one line of the verse file at `path`, drawn with a generator seeded with `seed`.
// Every line is a candidate, an empty one included. The file is read as UTF-8 when it is valid
// UTF-8, else as the Western code page; line ends are CR LF, LF or CR.
VersePick PickVerse(const QString &path, std::uint32_t seed);

// The text of the "Date" balloon from the lines the view shows: with two lines or more the
// second (the common-era line) and, on a line of its own, the first; else the whole text.
QString dateBalloonText(const QString &viewText);

// Tray balloons hold a title of at most 63 characters and a text of at most 255. A longer one
// is cut to fit and ends with "…", so that it reads as cut; a character is never split.
constexpr int BalloonTitleLength = 63;
constexpr int BalloonTextLength = 255;
QString balloonTitle(const QString &title);
QString balloonText(const QString &text);

// The two greeting lines as the clipboard gets them: CR LF between, none after the second.
QString lawClipboardText();

} // namespace orlam
