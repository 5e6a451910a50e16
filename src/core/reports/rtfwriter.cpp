#include "reports/rtfwriter.h"

#include "common/westerntext.h"

namespace orlam {

namespace {

void appendEscaped(QByteArray &out, const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u < 0x20 || u == 0x7F) {
            continue; // a control character has no place in a line of text
        } else if (u < 0x80) {
            out += char(u);
        } else if (isWesternRepresentable(QString(c)) && u != 0x81 && u != 0x8D && u != 0x8F && u != 0x90 &&
                   u != 0x9D) {
            // The five C1 codes the code page leaves undefined would not come back as themselves.
            out += "\\'";
            out += QByteArray::number(static_cast<unsigned char>(toWestern(QString(c)).at(0)), 16)
                       .rightJustified(2, '0');
        } else {
            // Surrogate pairs are written as their two units, as RTF readers expect.
            out += "\\u";
            out += QByteArray::number(static_cast<qint16>(u));
            out += '?';
        }
    }
}

} // namespace

QByteArray rtfFromLines(const QStringList &lines, const QString &fontFamily, int halfPoints)
{
    QByteArray out;
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033";
    out += "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 ";
    appendEscaped(out, fontFamily);
    out += ";}}\r\n";
    out += "{\\colortbl ;\\red0\\green0\\blue0;}\r\n";
    out += "\\viewkind4\\uc1\\pard\\cf1\\f0\\fs";
    out += QByteArray::number(halfPoints);
    out += ' ';
    for (qsizetype i = 0; i < lines.size(); ++i) {
        appendEscaped(out, lines.at(i));
        // A paragraph mark after the last line would add an empty paragraph to the reader.
        if (i + 1 < lines.size())
            out += "\\par\r\n";
    }
    out += "\r\n}\r\n";
    return out;
}

} // namespace orlam
