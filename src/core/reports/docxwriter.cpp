#include "reports/docxwriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>
#include <algorithm>
#include <functional>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace orlam {

namespace {

constexpr auto WordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr auto RelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr auto DefaultFont = "Times New Roman";
constexpr int DefaultHalfPoints = 24;
constexpr int TwipsPerPoint = 20;

// XML 1.0 has no place for most control characters or for a lone surrogate.
QString xmlSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            safe += c;
            safe += text.at(++i);
        } else if (c.isSurrogate() || (c.unicode() < 0x20 && c != QLatin1Char('\t')) ||
                   c.unicode() == 0xFFFE || c.unicode() == 0xFFFF) {
            continue;
        } else {
            safe += c;
        }
    }
    return safe;
}

const char *alignmentValue(WordDocument::Alignment a)
{
    switch (a) {
    case WordDocument::Alignment::Centre:
        return "center";
    case WordDocument::Alignment::Right:
        return "right";
    case WordDocument::Alignment::Left:
        break;
    }
    return "left";
}

void writeRunProperties(QXmlStreamWriter &xml, const WordDocument::Paragraph &p)
{
    if (p.fontFamily.isEmpty() && !p.italic && p.pointSize <= 0)
        return;
    xml.writeStartElement(QStringLiteral("w:rPr"));
    if (!p.fontFamily.isEmpty()) {
        xml.writeEmptyElement(QStringLiteral("w:rFonts"));
        for (const char *attr : {"w:ascii", "w:hAnsi", "w:cs", "w:eastAsia"})
            xml.writeAttribute(QLatin1String(attr), p.fontFamily);
    }
    if (p.italic) {
        xml.writeEmptyElement(QStringLiteral("w:i"));
        xml.writeEmptyElement(QStringLiteral("w:iCs"));
    }
    if (p.pointSize > 0) {
        const QString halfPoints = QString::number(qRound(p.pointSize * 2));
        xml.writeEmptyElement(QStringLiteral("w:sz"));
        xml.writeAttribute(QStringLiteral("w:val"), halfPoints);
        xml.writeEmptyElement(QStringLiteral("w:szCs"));
        xml.writeAttribute(QStringLiteral("w:val"), halfPoints);
    }
    xml.writeEndElement();
}

void writeRun(QXmlStreamWriter &xml, const WordDocument::Paragraph &p, const QString &text)
{
    if (text.isEmpty())
        return;
    xml.writeStartElement(QStringLiteral("w:r"));
    writeRunProperties(xml, p);
    // A tab is an element of its own; the text around it keeps its spaces.
    const QStringList pieces = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            xml.writeEmptyElement(QStringLiteral("w:tab"));
        if (pieces.at(i).isEmpty())
            continue;
        xml.writeStartElement(QStringLiteral("w:t"));
        xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        xml.writeCharacters(pieces.at(i));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

struct BookmarkMark {
    int offset;
    bool start;
    int id;
    QString name;
};

void writeParagraph(QXmlStreamWriter &xml, const WordDocument &doc, int index)
{
    const WordDocument::Paragraph &p = doc.paragraphs().at(index);
    xml.writeStartElement(QStringLiteral("w:p"));
    xml.writeStartElement(QStringLiteral("w:pPr"));
    xml.writeEmptyElement(QStringLiteral("w:jc"));
    xml.writeAttribute(QStringLiteral("w:val"), QLatin1String(alignmentValue(p.alignment)));
    // The paragraph mark carries the format too, so that an empty paragraph has its height.
    writeRunProperties(xml, p);
    xml.writeEndElement();

    QList<BookmarkMark> marks;
    const QList<WordDocument::Bookmark> &bookmarks = doc.bookmarks();
    for (int id = 0; id < int(bookmarks.size()); ++id) {
        const WordDocument::Bookmark &b = bookmarks.at(id);
        if (b.start.paragraph == index)
            marks.append({b.start.offset, true, id, b.name});
        if (b.end.paragraph == index)
            marks.append({b.end.offset, false, id, b.name});
    }
    // At one offset, ends close before starts open; a bookmark at a point opens then closes.
    std::stable_sort(marks.begin(), marks.end(), [](const BookmarkMark &a, const BookmarkMark &b) {
        if (a.offset != b.offset)
            return a.offset < b.offset;
        if (a.id == b.id)
            return a.start && !b.start;
        return !a.start && b.start;
    });

    const QString text = xmlSafe(p.text);
    int done = 0;
    for (const BookmarkMark &mark : marks) {
        const int at = std::clamp(mark.offset, done, int(text.size()));
        writeRun(xml, p, text.mid(done, at - done));
        done = at;
        if (mark.start) {
            xml.writeEmptyElement(QStringLiteral("w:bookmarkStart"));
            xml.writeAttribute(QStringLiteral("w:id"), QString::number(mark.id));
            xml.writeAttribute(QStringLiteral("w:name"), mark.name);
        } else {
            xml.writeEmptyElement(QStringLiteral("w:bookmarkEnd"));
            xml.writeAttribute(QStringLiteral("w:id"), QString::number(mark.id));
        }
    }
    writeRun(xml, p, text.mid(done));
    xml.writeEndElement();
}

QByteArray xmlPart(const std::function<void(QXmlStreamWriter &)> &body)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    body(xml);
    xml.writeEndDocument();
    return bytes;
}

QByteArray contentTypesXml()
{
    return xmlPart([](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("Types"));
        xml.writeDefaultNamespace(
            QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"));
        const auto byExtension = [&xml](const char *ext, const char *type) {
            xml.writeEmptyElement(QStringLiteral("Default"));
            xml.writeAttribute(QStringLiteral("Extension"), QLatin1String(ext));
            xml.writeAttribute(QStringLiteral("ContentType"), QLatin1String(type));
        };
        const auto byPart = [&xml](const char *part, const char *type) {
            xml.writeEmptyElement(QStringLiteral("Override"));
            xml.writeAttribute(QStringLiteral("PartName"), QLatin1String(part));
            xml.writeAttribute(QStringLiteral("ContentType"), QLatin1String(type));
        };
        byExtension("rels", "application/vnd.openxmlformats-package.relationships+xml");
        byExtension("xml", "application/xml");
        byPart("/word/document.xml",
               "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
        byPart("/word/styles.xml",
               "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml");
        byPart("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml");
        xml.writeEndElement();
    });
}

QByteArray relationshipsXml(const QList<std::pair<const char *, const char *>> &targets)
{
    return xmlPart([&targets](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("Relationships"));
        xml.writeDefaultNamespace(QLatin1String(RelNs));
        int id = 1;
        for (const auto &[type, target] : targets) {
            xml.writeEmptyElement(QStringLiteral("Relationship"));
            xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(id++));
            xml.writeAttribute(QStringLiteral("Type"), QLatin1String(type));
            xml.writeAttribute(QStringLiteral("Target"), QLatin1String(target));
        }
        xml.writeEndElement();
    });
}

QByteArray stylesXml()
{
    return xmlPart([](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("w:styles"));
        xml.writeNamespace(QLatin1String(WordNs), QStringLiteral("w"));
        xml.writeStartElement(QStringLiteral("w:docDefaults"));
        xml.writeStartElement(QStringLiteral("w:rPrDefault"));
        xml.writeStartElement(QStringLiteral("w:rPr"));
        xml.writeEmptyElement(QStringLiteral("w:rFonts"));
        for (const char *attr : {"w:ascii", "w:hAnsi", "w:cs", "w:eastAsia"})
            xml.writeAttribute(QLatin1String(attr), QLatin1String(DefaultFont));
        xml.writeEmptyElement(QStringLiteral("w:sz"));
        xml.writeAttribute(QStringLiteral("w:val"), QString::number(DefaultHalfPoints));
        xml.writeEmptyElement(QStringLiteral("w:szCs"));
        xml.writeAttribute(QStringLiteral("w:val"), QString::number(DefaultHalfPoints));
        xml.writeEmptyElement(QStringLiteral("w:lang"));
        xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("en-US"));
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("w:pPrDefault"));
        xml.writeStartElement(QStringLiteral("w:pPr"));
        xml.writeEmptyElement(QStringLiteral("w:spacing"));
        xml.writeAttribute(QStringLiteral("w:before"), QStringLiteral("0"));
        xml.writeAttribute(QStringLiteral("w:after"), QStringLiteral("0"));
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeStartElement(QStringLiteral("w:style"));
        xml.writeAttribute(QStringLiteral("w:type"), QStringLiteral("paragraph"));
        xml.writeAttribute(QStringLiteral("w:default"), QStringLiteral("1"));
        xml.writeAttribute(QStringLiteral("w:styleId"), QStringLiteral("Normal"));
        xml.writeEmptyElement(QStringLiteral("w:name"));
        xml.writeAttribute(QStringLiteral("w:val"), QStringLiteral("Normal"));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray corePropertiesXml(const QDateTime &created)
{
    return xmlPart([&created](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("cp:coreProperties"));
        xml.writeNamespace(
            QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties"),
            QStringLiteral("cp"));
        xml.writeNamespace(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("dc"));
        xml.writeNamespace(QStringLiteral("http://purl.org/dc/terms/"), QStringLiteral("dcterms"));
        xml.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"),
                           QStringLiteral("xsi"));
        xml.writeTextElement(QStringLiteral("dc:creator"), QStringLiteral("Orlam"));
        xml.writeStartElement(QStringLiteral("dcterms:created"));
        xml.writeAttribute(QStringLiteral("xsi:type"), QStringLiteral("dcterms:W3CDTF"));
        xml.writeCharacters(created.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

} // namespace

QByteArray docxDocumentXml(const WordDocument &document)
{
    return xmlPart([&document](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("w:document"));
        xml.writeNamespace(QLatin1String(WordNs), QStringLiteral("w"));
        xml.writeStartElement(QStringLiteral("w:body"));
        for (int i = 0; i < int(document.paragraphs().size()); ++i)
            writeParagraph(xml, document, i);
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray docxBytes(const WordDocument &document, const QDateTime &created)
{
    const QList<std::pair<QString, QByteArray>> parts{
        {QStringLiteral("[Content_Types].xml"), contentTypesXml()},
        {QStringLiteral("_rels/.rels"),
         relationshipsXml(
             {{"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument",
               "word/document.xml"},
              {"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
               "docProps/core.xml"}})},
        {QStringLiteral("word/document.xml"), docxDocumentXml(document)},
        {QStringLiteral("word/styles.xml"), stylesXml()},
        {QStringLiteral("word/_rels/document.xml.rels"),
         relationshipsXml(
             {{"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles", "styles.xml"}})},
        {QStringLiteral("docProps/core.xml"), corePropertiesXml(created)},
    };

    QBuffer buffer;
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate))
        return {};
    for (const auto &[name, bytes] : parts) {
        QuaZipNewInfo info(name);
        info.dateTime = created.toLocalTime();
        // Ordinary file permissions (0644): without them an unzipped part cannot be read.
        info.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        QuaZipFile entry(&zip);
        if (!entry.open(QIODevice::WriteOnly, info) || entry.write(bytes) != bytes.size()) {
            zip.close();
            return {};
        }
        entry.close();
        if (entry.getZipError() != 0) {
            zip.close();
            return {};
        }
    }
    zip.close();
    if (zip.getZipError() != 0)
        return {};
    return buffer.data();
}

QString newDocumentName(const QString &folder, const QDateTime &localTime)
{
    const QDir dir(folder);
    const QString stem = QStringLiteral("Orlam ") + localTime.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString name = stem + QStringLiteral(".docx");
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = stem + QStringLiteral(" (%1).docx").arg(n);
    return name;
}

Status saveNewDocument(const WordDocument &document, const QString &folder, const QDateTime &localTime,
                       QString *path)
{
    if (!QDir().mkpath(folder))
        return Status::failure(
            QCoreApplication::translate("Messages", "Cannot create folder %1").arg(folder));
    const QByteArray bytes = docxBytes(document, localTime);
    if (bytes.isEmpty())
        return Status::failure(QCoreApplication::translate("Messages", "Cannot make the document"));
    // NewOnly refuses a name that another program took after newDocumentName looked; the next
    // name is tried then, so an existing file is never replaced.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString target = QDir(folder).filePath(newDocumentName(folder, localTime));
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(target))
                continue;
            return Status::failure(
                QCoreApplication::translate("Messages", "Cannot create file %1").arg(target));
        }
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            file.close();
            file.remove();
            return Status::failure(
                QCoreApplication::translate("Messages", "Cannot create file %1").arg(target));
        }
        file.close();
        *path = target;
        return Status::success();
    }
    return Status::failure(QCoreApplication::translate("Messages", "Cannot create file in %1").arg(folder));
}

} // namespace orlam
