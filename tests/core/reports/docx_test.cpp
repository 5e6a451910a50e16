// The exported document: the paragraphs and bookmarks the export makes, their XML, the zip
// package, and new files that never replace another.

#include "coretestsupport.h"
#include "docparagraphs.h"

#include "reports/docxwriter.h"
#include "reports/worddocument.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace orlam {
namespace {

const QString Law = QStringLiteral("Do what thou wilt shall be the whole of the Law.");
const QString Love = QStringLiteral("Love is the law, love under will.");

QStringList numberedLines(int n)
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines;
}

// Paragraph by paragraph what a reader finds: the date lines (the first one to three of the
// view) right-aligned at 8 points, every other line of the view left in the view's font at
// its size, so that a report's columns stay in line; the greetings centred, italic, 10
// points, typed only when the view does not hold them; the bookmarks where they belong, and
// the empty paragraph the last paragraph break leaves.
TEST(ExportDocument, ParagraphsForViewsOfEverySize)
{
    const QString quotedLaw =
        QStringLiteral("\"Do what thou wilt shall be the whole of the Law.\" - AL I,40");
    const QString quotedLove = QStringLiteral("\"Love is the law, love under will.\" - AL I, 57");
    const struct {
        const char *name;
        QStringList lines;
        int dateLines;
        int viewGreetings; // index of the view's own opening greeting, -1 for none
    } rows[] = {
        {"date in one line",
         {QStringLiteral("An v12 Sol 24\u00b0 Gemini Monday, June 15, 2026 e.v. 2:30 PM")},
         1,
         -1},
        {"date in two lines",
         {QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6"),
          QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM")},
         2,
         -1},
        {"date in three lines with its greetings",
         {QStringLiteral("An v12"), QStringLiteral("Sol 24\u00b0 Gemini"), QStringLiteral("Monday"), Law,
          Love},
         3,
         3},
        {"date with quoted greetings",
         {QStringLiteral("An v12"), QStringLiteral("Monday"), quotedLaw, quotedLove},
         2,
         2},
        {"a verse", {QStringLiteral("Every man and every woman is a star.")}, 2, -1},
        {"a 43-line report", numberedLines(43), 2, -1},
        {"an empty view", {}, 2, -1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray xml = docxDocumentXml(exportDocument(row.lines, row.dateLines));
        QString error;
        const QList<test::ReadParagraph> read = test::readDocumentXml(xml, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        const int n = int(row.lines.size());
        const bool typed = row.viewGreetings < 0;
        ASSERT_EQ(read.size(), n + (typed ? 3 : 1));
        const int opening = typed ? n : row.viewGreetings;
        for (int i = 0; i < n + (typed ? 2 : 0); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(read[i].text, i < n ? row.lines[i] : i == n ? Law : Love);
            if (i == opening || i == opening + 1) {
                EXPECT_EQ(read[i].alignment, QStringLiteral("center"));
                EXPECT_EQ(read[i].halfPoints, QStringLiteral("20"));
                EXPECT_TRUE(read[i].italic);
            } else {
                EXPECT_EQ(read[i].alignment,
                          i < row.dateLines ? QStringLiteral("right") : QStringLiteral("left"));
                EXPECT_EQ(read[i].halfPoints,
                          i < row.dateLines ? QStringLiteral("16") : QStringLiteral("20"));
                EXPECT_FALSE(read[i].italic);
                EXPECT_EQ(read[i].font, QStringLiteral("Courier New"));
            }
        }
        EXPECT_TRUE(read.last().text.isEmpty());
        // "FirstRealPara" opens where the view's lines begin (before the greeting when there
        // are none); "Bod" at the closing greeting.
        EXPECT_EQ(read[0].bookmarksStarting, QStringList{QStringLiteral("FirstRealPara")});
        EXPECT_EQ(read[opening + 1].bookmarksStarting, QStringList{QStringLiteral("Bod")});
        int ends = 0;
        for (const auto &p : read)
            ends += p.bookmarkEnds;
        EXPECT_EQ(ends, 2);
    }
}

TEST(ExportDocument, BookmarkRangesFollowThePaste)
{
    const WordDocument doc = exportDocument({QStringLiteral("first"), QStringLiteral("second")}, 2);
    const WordDocument::Bookmark *first = doc.bookmark(QStringLiteral("FirstRealPara"));
    const WordDocument::Bookmark *bod = doc.bookmark(QStringLiteral("Bod"));
    ASSERT_TRUE(first && bod);
    EXPECT_EQ(first->start, (WordDocument::Position{0, 0}));
    EXPECT_EQ(first->end, (WordDocument::Position{1, 6}));
    EXPECT_EQ(bod->start, (WordDocument::Position{3, 0}));
    EXPECT_EQ(bod->end, bod->start);
    EXPECT_EQ(doc.insertionPoint(), (WordDocument::Position{4, 0}));
}

TEST(WordDocumentModel, TypingAndBookmarksInsideAParagraph)
{
    WordDocument doc;
    doc.typeText(QStringLiteral("abc"));
    doc.addBookmark(QStringLiteral("mid"));
    doc.typeText(QStringLiteral("def"));
    doc.typeParagraph();
    doc.typeText(QStringLiteral("ghi"));
    EXPECT_EQ(doc.bookmark(QStringLiteral("mid"))->start, (WordDocument::Position{0, 3}));
    // Lines inserted at a bookmark inside a paragraph split it: "abc" stays a paragraph.
    const QList<int> numbers = doc.insertParagraphsAtBookmark(QStringLiteral("mid"), {QStringLiteral("X")},
                                                              QStringLiteral("Courier New"), 8);
    EXPECT_EQ(numbers, QList<int>{2});
    QStringList texts;
    for (const auto &p : doc.paragraphs())
        texts << p.text;
    EXPECT_EQ(texts, (QStringList{QStringLiteral("abc"), QStringLiteral("X"), QStringLiteral("def"),
                                  QStringLiteral("ghi")}));
    EXPECT_EQ(doc.insertionPoint(), (WordDocument::Position{3, 3}));
    EXPECT_FALSE(doc.setAlignment(5, WordDocument::Alignment::Right));
    EXPECT_FALSE(doc.setAlignment(0, WordDocument::Alignment::Right));
    EXPECT_TRUE(
        doc.insertParagraphsAtBookmark(QStringLiteral("none"), {QStringLiteral("X")}, {}, 8).isEmpty());
}

TEST(DocxXml, AwkwardCharactersStayWellFormed)
{
    const QStringList lines{QStringLiteral("a\tb  <c> & \"d\""), QStringLiteral("bell\x07 and \u0001 gone"),
                            QStringLiteral("\u2605 \U0001F600 \u00e6on 24\u00b0"), QStringLiteral("  ")};
    QString error;
    const QList<test::ReadParagraph> read =
        test::readDocumentXml(docxDocumentXml(exportDocument(lines, 1)), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_GE(read.size(), 4);
    EXPECT_EQ(read[0].text, QStringLiteral("a\tb  <c> & \"d\""));
    EXPECT_EQ(read[1].text, QStringLiteral("bell and  gone"));
    EXPECT_EQ(read[2].text, QStringLiteral("\u2605 \U0001F600 \u00e6on 24\u00b0"));
    EXPECT_EQ(read[3].text, QStringLiteral("  "));
}

QMap<QString, QByteArray> unzip(const QByteArray &bytes, QStringList *order)
{
    QMap<QString, QByteArray> entries;
    QBuffer buffer;
    buffer.setData(bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdUnzip))
        return entries;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        order->append(zip.getCurrentFileName());
        entries.insert(zip.getCurrentFileName(), file.readAll());
    }
    return entries;
}

TEST(DocxPackage, HoldsEveryPartAndReadsBack)
{
    const WordDocument doc = exportDocument({QStringLiteral("An v12"), QStringLiteral("Monday")}, 2);
    const QDateTime created(QDate(2026, 6, 15), QTime(19, 30, 5), Qt::UTC);
    const QByteArray bytes = docxBytes(doc, created);
    ASSERT_TRUE(bytes.startsWith("PK\x03\x04"));
    QStringList order;
    const QMap<QString, QByteArray> parts = unzip(bytes, &order);
    EXPECT_EQ(order, (QStringList{QStringLiteral("[Content_Types].xml"), QStringLiteral("_rels/.rels"),
                                  QStringLiteral("word/document.xml"), QStringLiteral("word/styles.xml"),
                                  QStringLiteral("word/_rels/document.xml.rels"),
                                  QStringLiteral("docProps/core.xml")}));
    EXPECT_EQ(parts.value(QStringLiteral("word/document.xml")), docxDocumentXml(doc));
    EXPECT_TRUE(
        parts.value(QStringLiteral("[Content_Types].xml")).contains("wordprocessingml.document.main+xml"));
    EXPECT_TRUE(parts.value(QStringLiteral("_rels/.rels")).contains("Target=\"word/document.xml\""));
    EXPECT_TRUE(parts.value(QStringLiteral("docProps/core.xml")).contains("2026-06-15T19:30:05Z"));
    // The same document at the same moment gives the same bytes.
    EXPECT_EQ(docxBytes(doc, created), bytes);
}

// Unzipped by the system's unzip program, as a user would: every part an ordinary file that
// its owner may read and write and everyone may read.
TEST(DocxPackage, UnzipsToReadableFiles)
{
    const QString unzipProgram = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    ASSERT_FALSE(unzipProgram.isEmpty()) << "unzip is not installed; scripts/deps installs it";
    QTemporaryDir dir;
    const QString docx = QDir(dir.path()).filePath(QStringLiteral("out.docx"));
    {
        QFile f(docx);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(docxBytes(exportDocument({QStringLiteral("An v12")}, 1), QDateTime::currentDateTimeUtc()));
    }
    const QString into = QDir(dir.path()).filePath(QStringLiteral("parts"));
    QProcess unzip;
    unzip.start(unzipProgram, {QStringLiteral("-q"), docx, QStringLiteral("-d"), into});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    ASSERT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardError().toStdString();
    const QFile::Permissions ordinary = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                        QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
    int parts = 0;
    QDirIterator it(into, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo part(it.next());
        SCOPED_TRACE(part.filePath().toStdString());
        EXPECT_EQ(part.permissions(), ordinary);
        ++parts;
    }
    EXPECT_EQ(parts, 6);
}

TEST(NewDocumentFile, NamedByTheMomentNeverReplacingAFile)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("Documents"));
    const QDateTime moment(QDate(2026, 6, 15), QTime(14, 30, 5));
    const WordDocument doc = exportDocument({QStringLiteral("An v12")}, 1);

    QString first;
    ASSERT_TRUE(saveNewDocument(doc, folder, moment, &first)); // the folder is made
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("Orlam 2026-06-15 14-30-05.docx"));

    // Someone's file under the next name stays untouched.
    const QString theirs = QDir(folder).filePath(QStringLiteral("Orlam 2026-06-15 14-30-05 (2).docx"));
    {
        QFile f(theirs);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("theirs");
    }
    QString third;
    ASSERT_TRUE(saveNewDocument(doc, folder, moment, &third));
    EXPECT_EQ(QFileInfo(third).fileName(), QStringLiteral("Orlam 2026-06-15 14-30-05 (3).docx"));
    EXPECT_EQ(test::readBytes(theirs), QByteArray("theirs"));
    EXPECT_EQ(test::readBytes(first), docxBytes(doc, moment));

    // A file where the folder should be: a message naming it, nothing written.
    const QString blocked = QDir(dir.path()).filePath(QStringLiteral("blocked"));
    {
        QFile f(blocked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QString none;
    const Status status = saveNewDocument(doc, blocked, moment, &none);
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.message.contains(blocked)) << status.message.toStdString();
    EXPECT_TRUE(none.isEmpty());
}

} // namespace
} // namespace orlam
