// The exported document and the saved view opened by a real word processor: LibreOffice
// converts them headless, with a profile of the test's own, into flat OpenDocument text, and
// the test reads back what the word processor understood. LibreOffice is a dependency of the
// tests (scripts/deps); without it the test fails.

#include "coretestsupport.h"

#include "common/westerntext.h"
#include "reports/docxwriter.h"
#include "reports/rtfwriter.h"
#include "reports/savedview.h"
#include "reports/worddocument.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

namespace orlam {
namespace {

struct Props {
    QString align, size, style, font;
    void mergeFrom(const Props &other)
    {
        for (auto [mine, theirs] : {std::pair{&align, &other.align},
                                    {&size, &other.size},
                                    {&style, &other.style},
                                    {&font, &other.font}})
            if (!theirs->isEmpty())
                *mine = *theirs;
    }
};

struct OfficeParagraph {
    QString text;
    Props props; // the paragraph's, with its spans' character properties over them
    QStringList bookmarks;
};

// The paragraphs of a flat OpenDocument text file, with the properties of their styles.
QList<OfficeParagraph> readFlatOdt(const QByteArray &xml, QString *error)
{
    QHash<QString, Props> styles;
    QList<OfficeParagraph> paragraphs;
    QXmlStreamReader r(xml);
    QString styleName;
    bool inBody = false;
    OfficeParagraph *current = nullptr;
    int depth = 0; // depth inside the current paragraph
    while (!r.atEnd()) {
        r.readNext();
        const QStringView name = r.qualifiedName();
        if (r.isStartElement()) {
            const auto attr = [&r](const char *a) {
                return r.attributes().value(QLatin1String(a)).toString();
            };
            if (name == QLatin1String("office:body")) {
                inBody = true;
            } else if (!inBody && name == QLatin1String("style:style")) {
                styleName = attr("style:name");
                styles[styleName].mergeFrom(styles.value(attr("style:parent-style-name")));
            } else if (!inBody && name == QLatin1String("style:paragraph-properties")) {
                styles[styleName].mergeFrom({attr("fo:text-align"), {}, {}, {}});
            } else if (!inBody && name == QLatin1String("style:text-properties")) {
                styles[styleName].mergeFrom(
                    {{}, attr("fo:font-size"), attr("fo:font-style"), attr("style:font-name")});
            } else if (inBody && depth == 0 &&
                       (name == QLatin1String("text:p") || name == QLatin1String("text:h"))) {
                paragraphs.append(OfficeParagraph{});
                current = &paragraphs.last();
                current->props = styles.value(attr("text:style-name"));
                depth = 1;
                continue;
            } else if (current && depth > 0) {
                ++depth;
                if (name == QLatin1String("text:span"))
                    current->props.mergeFrom(styles.value(attr("text:style-name")));
                else if (name == QLatin1String("text:s"))
                    current->text += QString(qMax(1, attr("text:c").toInt()), QLatin1Char(' '));
                else if (name == QLatin1String("text:tab"))
                    current->text += QLatin1Char('\t');
                else if (name == QLatin1String("text:bookmark") ||
                         name == QLatin1String("text:bookmark-start"))
                    current->bookmarks << attr("text:name");
            }
        } else if (r.isEndElement() && current && depth > 0) {
            if (--depth == 0)
                current = nullptr;
        } else if (r.isCharacters() && current && depth > 0) {
            current->text += r.text();
        }
    }
    *error = r.hasError() ? r.errorString() : QString();
    return paragraphs;
}

// Converts `input` to flat OpenDocument text with the word processor; the converted bytes.
QByteArray convertWithOffice(const QString &workDir, const QString &input, const QString &inFilter = {})
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    EXPECT_FALSE(office.isEmpty()) << "LibreOffice (soffice) is not installed; scripts/deps installs it";
    if (office.isEmpty())
        return {};
    const QString profile = QUrl::fromLocalFile(QDir(workDir).filePath(QStringLiteral("profile"))).toString();
    const QString outDir = QDir(workDir).filePath(QStringLiteral("converted"));
    QStringList args{QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                     QStringLiteral("--norestore")};
    if (!inFilter.isEmpty())
        args << QStringLiteral("--infilter=") + inFilter;
    args << QStringLiteral("--convert-to") << QStringLiteral("fodt") << QStringLiteral("--outdir") << outDir
         << input;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(office, args);
    // The first start with a new profile takes a few seconds; a minute is plenty.
    EXPECT_TRUE(process.waitForFinished(120000)) << "LibreOffice did not finish";
    EXPECT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
    QFile converted(QDir(outDir).filePath(QFileInfo(input).completeBaseName() + QStringLiteral(".fodt")));
    EXPECT_TRUE(converted.open(QIODevice::ReadOnly)) << process.readAll().toStdString();
    return converted.readAll();
}

// A date in two lines above a report: the date lines right-aligned at 8 points, the report's
// lines left in the fixed-pitch font at the view's 10 points, so its columns stay in line; the
// greetings typed below in italic. Then a view that holds its own greetings: they are not typed
// a second time.
TEST(WordProcessor, ReadsTheExportedDocument)
{
    QTemporaryDir work;
    const QStringList view{QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6"),
                           QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM"),
                           QStringLiteral(" 6:00 AM Sun"), QStringLiteral("10:00 AM Saturn"),
                           QStringLiteral("  Body\tLocat.")};
    QString path;
    ASSERT_TRUE(saveNewDocument(exportDocument(view, 2), work.path(),
                                QDateTime(QDate(2026, 6, 15), QTime(14, 30)), &path));
    QString error;
    const QList<OfficeParagraph> read = readFlatOdt(convertWithOffice(work.path(), path), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(read.size(), 8);

    const QString left; // the word processor's default: no alignment of its own
    const struct {
        QString text, align, size, style, font;
        QStringList bookmarks;
    } expected[] = {
        {view[0],
         QStringLiteral("end"),
         QStringLiteral("8pt"),
         {},
         QStringLiteral("Courier New"),
         {QStringLiteral("FirstRealPara")}},
        {view[1], QStringLiteral("end"), QStringLiteral("8pt"), {}, QStringLiteral("Courier New"), {}},
        {view[2], left, QStringLiteral("10pt"), {}, QStringLiteral("Courier New"), {}},
        {view[3], left, QStringLiteral("10pt"), {}, QStringLiteral("Courier New"), {}},
        {view[4], left, QStringLiteral("10pt"), {}, QStringLiteral("Courier New"), {}},
        {QStringLiteral("Do what thou wilt shall be the whole of the Law."),
         QStringLiteral("center"),
         QStringLiteral("10pt"),
         QStringLiteral("italic"),
         {},
         {}},
        {QStringLiteral("Love is the law, love under will."),
         QStringLiteral("center"),
         QStringLiteral("10pt"),
         QStringLiteral("italic"),
         {},
         {QStringLiteral("Bod")}},
        {QString(), {}, {}, {}, {}, {}},
    };
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].text, expected[i].text);
        EXPECT_EQ(read[i].bookmarks, expected[i].bookmarks);
        if (expected[i].text.isEmpty())
            continue;
        const QString align = read[i].props.align;
        if (expected[i].align.isEmpty())
            EXPECT_TRUE(align.isEmpty() || align == QLatin1String("start") || align == QLatin1String("left"))
                << align.toStdString();
        else
            EXPECT_TRUE(align == expected[i].align ||
                        (expected[i].align == QLatin1String("end") && align == QLatin1String("right")))
                << align.toStdString();
        EXPECT_EQ(read[i].props.size, expected[i].size);
        EXPECT_EQ(read[i].props.style, expected[i].style);
        if (!expected[i].font.isEmpty()) {
            EXPECT_EQ(read[i].props.font, expected[i].font);
        }
    }

    // The view with its greetings: five paragraphs and the empty last one, the greetings once.
    const QStringList greeted{view[0], view[1],
                              QStringLiteral("Do what thou wilt shall be the whole of the Law."),
                              QStringLiteral("Love is the law, love under will.")};
    ASSERT_TRUE(saveNewDocument(exportDocument(greeted, 2), work.path(),
                                QDateTime(QDate(2026, 6, 15), QTime(14, 31)), &path));
    const QList<OfficeParagraph> once = readFlatOdt(convertWithOffice(work.path(), path), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    QStringList texts;
    for (const OfficeParagraph &p : once)
        texts << p.text;
    EXPECT_EQ(texts, greeted + QStringList{QString()});
    ASSERT_EQ(once.size(), 5);
    EXPECT_EQ(once[2].props.align, QStringLiteral("center"));
    EXPECT_EQ(once[2].props.style, QStringLiteral("italic"));
    EXPECT_EQ(once[3].bookmarks, QStringList{QStringLiteral("Bod")});
}

// Saved as "orlamdata.rtf" and as a text file: the word processor finds the view's lines, each
// a paragraph, in the fixed-pitch font for the rich text.
TEST(WordProcessor, OpensTheSavedViewAsTheSameLines)
{
    QTemporaryDir work;
    const QStringList view{QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6"),
                           QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM"),
                           QString(),
                           QStringLiteral("  Body\tLocat. {braces} back\\slash \u20ac5 \u2018quoted\u2019"),
                           QStringLiteral("Star \u2605, fullwidth \uff01, face \U0001F600"),
                           QStringLiteral("1st digit after a word")};
    const QString rtf = QDir(work.path()).filePath(QStringLiteral("orlamdata.rtf"));
    ASSERT_TRUE(writeFileAtomically(rtf, savedViewBytes(view, SavedType::RichText, "UTF-8")));
    QString error;
    const QList<OfficeParagraph> read = readFlatOdt(convertWithOffice(work.path(), rtf), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    QStringList texts;
    for (const OfficeParagraph &p : read)
        texts << p.text;
    EXPECT_EQ(texts, view);
    for (const OfficeParagraph &p : read)
        EXPECT_EQ(p.props.font, QStringLiteral("Courier New")) << p.text.toStdString();

    const QString txt = QDir(work.path()).filePath(QStringLiteral("orlamdata.txt"));
    ASSERT_TRUE(writeFileAtomically(txt, savedViewBytes(view, SavedType::PlainText, "UTF-8")));
    const QList<OfficeParagraph> plain =
        readFlatOdt(convertWithOffice(work.path(), txt, QStringLiteral("Text (encoded):UTF8,LF,,,")), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    texts.clear();
    for (const OfficeParagraph &p : plain)
        texts << p.text;
    EXPECT_EQ(texts, view);
}

} // namespace
} // namespace orlam
