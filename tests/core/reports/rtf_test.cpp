// The rich-text writer against a golden file, byte for byte.

#include "coretestsupport.h"

#include "reports/rtfwriter.h"

namespace orlam {
namespace {

TEST(RtfWriter, GoldenView)
{
    const QStringList lines{
        QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6"),
        QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM"),
        QString(),
        QStringLiteral("  Body\tLocat. {braces} back\\slash \u20ac5 \u2018quoted\u2019"),
        QStringLiteral("Star \u2605, fullwidth \uff01, face \U0001F600, bell \x07 gone"),
        QStringLiteral("1st digit after a word"),
    };
    const QByteArray expected = test::readBytes(QStringLiteral(ORLAM_TEST_DATA "/reports/view.rtf"));
    ASSERT_FALSE(expected.isEmpty());
    const QByteArray rtf = rtfFromLines(lines);
    EXPECT_EQ(rtf, expected) << test::showBytes(rtf);
    for (const char c : rtf)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

TEST(RtfWriter, EmptyViewIsStillADocument)
{
    const QByteArray rtf = rtfFromLines({});
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.endsWith("}\r\n"));
    EXPECT_FALSE(rtf.contains("\\par\r\n"));
}

} // namespace
} // namespace orlam
