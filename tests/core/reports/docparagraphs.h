#pragma once

// Reads the paragraphs of a word-processing main part (word/document.xml) back: text, alignment,
// size, slant, font and the bookmarks that start in each. Shared by the writer's tests.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

namespace orlam::test {

struct ReadParagraph {
    QString text;
    QString alignment;
    QString halfPoints; // of the last run (or the paragraph mark when there is no run)
    bool italic = false;
    QString font;
    QStringList bookmarksStarting;
    int bookmarkEnds = 0;
};

inline QList<ReadParagraph> readDocumentXml(const QByteArray &xml, QString *error = nullptr)
{
    QList<ReadParagraph> paragraphs;
    QXmlStreamReader reader(xml);
    ReadParagraph *current = nullptr;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QStringView name = reader.qualifiedName();
        const QString val = reader.attributes().value(QStringLiteral("w:val")).toString();
        if (name == QLatin1String("w:p")) {
            paragraphs.append(ReadParagraph{});
            current = &paragraphs.last();
        } else if (!current) {
            continue;
        } else if (name == QLatin1String("w:jc")) {
            current->alignment = val;
        } else if (name == QLatin1String("w:sz")) {
            current->halfPoints = val;
        } else if (name == QLatin1String("w:i")) {
            current->italic = true;
        } else if (name == QLatin1String("w:rFonts")) {
            current->font = reader.attributes().value(QStringLiteral("w:ascii")).toString();
        } else if (name == QLatin1String("w:t")) {
            current->text += reader.readElementText();
        } else if (name == QLatin1String("w:tab")) {
            current->text += QLatin1Char('\t');
        } else if (name == QLatin1String("w:bookmarkStart")) {
            current->bookmarksStarting << reader.attributes().value(QStringLiteral("w:name")).toString();
        } else if (name == QLatin1String("w:bookmarkEnd")) {
            ++current->bookmarkEnds;
        }
    }
    if (error)
        *error = reader.hasError() ? reader.errorString() : QString();
    return paragraphs;
}

} // namespace orlam::test
