// The astrological data view: which sections appear, with which separators and titles.

#include "coretestsupport.h"

#include "reports/viewer.h"

#include <QDir>
#include <QFile>

namespace orlam {
namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Each report holds two lines naming itself, with a different line end each time.
const QList<std::pair<QString, QByteArray>> Reports{
    {QStringLiteral("chart.txt"), "chart 1\r\nchart 2\r\n"},
    {QStringLiteral("wheel.txt"), "wheel 1\nwheel 2\n"},
    {QStringLiteral("riseset.txt"), "riseset 1\rriseset 2\r"},
    {QStringLiteral("risesetn.txt"), "risesetn 1\r\nrisesetn 2"},
    {QStringLiteral("planets.txt"), "planets 1\r\nplanets 2\r\n"},
    {QStringLiteral("aspects.txt"), "aspects 1\r\naspects 2\r\n"},
    {QStringLiteral("calasp.txt"), "calasp 1\r\ncalasp 2\r\n"},
};

struct ViewerRow {
    const char *name;
    QStringList present;
    QStringList expected;
};

TEST(Viewer, SectionsSeparatorsAndTitles)
{
    const QString sep = QStringLiteral(" ");
    const ViewerRow rows[] = {
        {"nothing", {}, {}},
        {"only the chart",
         {QStringLiteral("chart.txt")},
         {QStringLiteral("chart 1"), QStringLiteral("chart 2")}},
        {"only the wheel",
         {QStringLiteral("wheel.txt")},
         {sep, QStringLiteral("wheel 1"), QStringLiteral("wheel 2")}},
        {"chart and the rise and set reports",
         {QStringLiteral("chart.txt"), QStringLiteral("riseset.txt"), QStringLiteral("risesetn.txt")},
         {QStringLiteral("chart 1"), QStringLiteral("chart 2"), sep, QStringLiteral("Rise and Set Times"),
          QStringLiteral("riseset 1"), QStringLiteral("riseset 2"), sep,
          QStringLiteral("Rise and Set Times (next day)"), QStringLiteral("risesetn 1"),
          QStringLiteral("risesetn 2")}},
        {"all seven",
         {QStringLiteral("calasp.txt"), QStringLiteral("aspects.txt"), QStringLiteral("planets.txt"),
          QStringLiteral("risesetn.txt"), QStringLiteral("riseset.txt"), QStringLiteral("wheel.txt"),
          QStringLiteral("chart.txt")},
         {QStringLiteral("chart 1"),
          QStringLiteral("chart 2"),
          sep,
          QStringLiteral("wheel 1"),
          QStringLiteral("wheel 2"),
          sep,
          QStringLiteral("Rise and Set Times"),
          QStringLiteral("riseset 1"),
          QStringLiteral("riseset 2"),
          sep,
          QStringLiteral("Rise and Set Times (next day)"),
          QStringLiteral("risesetn 1"),
          QStringLiteral("risesetn 2"),
          sep,
          QStringLiteral("Planetary Positions"),
          QStringLiteral("planets 1"),
          QStringLiteral("planets 2"),
          sep,
          QStringLiteral("Aspect Charts"),
          QStringLiteral("aspects 1"),
          QStringLiteral("aspects 2"),
          sep,
          QStringLiteral("Transit Calendar"),
          QStringLiteral("calasp 1"),
          QStringLiteral("calasp 2")}},
    };
    for (const ViewerRow &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        for (const auto &[name, bytes] : Reports) {
            if (row.present.contains(name))
                writeFile(QDir(dir.path()).filePath(name), bytes);
        }
        QStringList lines{QStringLiteral("earlier view")};
        const Status status = assembleViewerLines(dir.path(), &lines);
        ASSERT_TRUE(status) << status.message.toStdString();
        EXPECT_EQ(lines, row.expected);
    }
}

TEST(Viewer, EmptyReportKeepsItsSeparatorAndTitle)
{
    QTemporaryDir dir;
    writeFile(QDir(dir.path()).filePath(QStringLiteral("chart.txt")), "chart\r\n");
    writeFile(QDir(dir.path()).filePath(QStringLiteral("aspects.txt")), "");
    QStringList lines;
    ASSERT_TRUE(assembleViewerLines(dir.path(), &lines));
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("chart"), QStringLiteral(" "), QStringLiteral("Aspect Charts")}));
}

TEST(Viewer, ReportBytesAreWesternAndKeptAsTheyAre)
{
    QTemporaryDir dir;
    writeFile(QDir(dir.path()).filePath(QStringLiteral("chart.txt")),
              "Sun : 24Gem12\t\xB0  \r\n\r\n  trailing  \r\n");
    QStringList lines;
    ASSERT_TRUE(assembleViewerLines(dir.path(), &lines));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Sun : 24Gem12\t\u00b0  "), QString(),
                                  QStringLiteral("  trailing  ")}));
}

TEST(Viewer, UnreadableReportNamesItAndLeavesTheLines)
{
    QTemporaryDir dir;
    writeFile(QDir(dir.path()).filePath(QStringLiteral("chart.txt")), "chart\r\n");
    // A folder in a report's place exists but cannot be read, even by the superuser.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("riseset.txt")));
    QStringList lines{QStringLiteral("earlier view")};
    const Status status = assembleViewerLines(dir.path(), &lines);
    EXPECT_FALSE(status);
    EXPECT_EQ(status.message, QStringLiteral("Cannot open file riseset.txt"));
    EXPECT_EQ(lines, QStringList{QStringLiteral("earlier view")});
}

} // namespace
} // namespace orlam
