// File > Save: the form follows the name and the chosen filter, and plain text follows the
// locale's character set without losing a character.

#include "reports/rtfwriter.h"
#include "reports/savedview.h"

#include <gtest/gtest.h>

namespace orlam {
namespace {

TEST(SavedView, TheNameOrElseTheFilterDecidesTheForm)
{
    const struct {
        const char *typed;
        SavedType filter;
        const char *name;
        SavedType type;
    } rows[] = {
        {"orlamdata.rtf", SavedType::PlainText, "orlamdata.rtf", SavedType::RichText},
        {"orlamdata.txt", SavedType::RichText, "orlamdata.txt", SavedType::PlainText},
        {"Notes.RTF", SavedType::PlainText, "Notes.RTF", SavedType::RichText},
        {"mydate", SavedType::RichText, "mydate.rtf", SavedType::RichText},
        {"mydate", SavedType::PlainText, "mydate.txt", SavedType::PlainText},
        {"dir.v2/mydate", SavedType::PlainText, "dir.v2/mydate.txt", SavedType::PlainText},
        {"report.log", SavedType::RichText, "report.log", SavedType::RichText},
        {"report.log", SavedType::PlainText, "report.log", SavedType::PlainText},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        const QString name = withSavedTypeSuffix(QString::fromLatin1(row.typed), row.filter);
        EXPECT_EQ(name, QString::fromLatin1(row.name));
        EXPECT_EQ(savedTypeForName(name, row.filter), row.type);
    }
    EXPECT_EQ(savedTypeOfFilter(QLatin1String(RichTextFilter)), SavedType::RichText);
    EXPECT_EQ(savedTypeOfFilter(QLatin1String(PlainTextFilter)), SavedType::PlainText);
}

TEST(SavedView, PlainTextInTheLocalesCharacterSet)
{
    const QStringList western{QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6"),
                              QStringLiteral("  Body  Locat.")};
    const QStringList star{QStringLiteral("Star \u2605 and 24\u00b0")};
    const struct {
        const char *name;
        QStringList lines;
        const char *codeset;
        QByteArray bytes;
    } rows[] = {
        {"UTF-8 locale", western, "UTF-8",
         "An v12 Sol 24\xc2\xb0 Gemini, Luna 5\xc2\xb0 Leo Dies Lun\xc3\xa6\n  Body  Locat.\n"},
        {"Latin-1 locale", western, "ISO-8859-1",
         "An v12 Sol 24\xb0 Gemini, Luna 5\xb0 Leo Dies Lun\xe6\n  Body  Locat.\n"},
        {"Latin-9 locale", western, "ISO-8859-15",
         "An v12 Sol 24\xb0 Gemini, Luna 5\xb0 Leo Dies Lun\xe6\n  Body  Locat.\n"},
        // The C locale's ASCII would turn the degree sign into a question mark.
        {"C locale", western, "ANSI_X3.4-1968",
         "An v12 Sol 24\xc2\xb0 Gemini, Luna 5\xc2\xb0 Leo Dies Lun\xc3\xa6\n  Body  Locat.\n"},
        // A character the locale's set lacks: the whole file in UTF-8 rather than a "?".
        {"a star under Latin-1", star, "ISO-8859-1", "Star \xe2\x98\x85 and 24\xc2\xb0\n"},
        {"an unknown set", star, "NO-SUCH-SET", "Star \xe2\x98\x85 and 24\xc2\xb0\n"},
        {"an empty view", {}, "UTF-8", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(savedViewBytes(row.lines, SavedType::PlainText, row.codeset), row.bytes);
    }
    EXPECT_EQ(savedViewBytes(western, SavedType::RichText, "UTF-8"), rtfFromLines(western));
}

} // namespace
} // namespace orlam
