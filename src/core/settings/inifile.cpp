#include "settings/inifile.h"

#include "common/westerntext.h"
#include "settings/settingsjournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace orlam {

namespace {

constexpr int MaxTextLength = 2047;

constexpr auto WriteFailure = QT_TRANSLATE_NOOP("Messages", "Unable to write to %1");

QString folded(const QString &name)
{
    return name.toCaseFolded();
}

// A section header's name, or a null string when the line is not a header.
QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    const QString name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return name.isNull() ? QStringLiteral("") : name;
}

// Splits "key=value" at the first "="; false for a line that is not a key (no "=", or no key).
bool splitKeyLine(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    if (key->isEmpty())
        return false;
    QString v = line.mid(eq + 1).trimmed();
    // The Windows profile functions drop one pair of enclosing quotes; a hand-edited file that
    // quotes a text must read the same here.
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    *value = v.left(MaxTextLength);
    return true;
}

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// A value that would break the file's line structure (and so add keys of its own) is refused.
bool safeForLine(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0)
            return false;
    }
    return true;
}

// A byte order mark that an editor put before the first line is no part of that line; it is
// handed back in `mark` so that a rewrite keeps it.
QByteArray withoutByteOrderMark(QByteArray bytes, QByteArray *mark = nullptr)
{
    static const QByteArray Utf8Mark("\xEF\xBB\xBF");
    if (bytes.startsWith(Utf8Mark)) {
        bytes.remove(0, Utf8Mark.size());
        if (mark)
            *mark = Utf8Mark;
    }
    return bytes;
}

bool writable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// The file's bytes as a reader takes them: those of a write cut off by a crash, when one was.
QByteArray fileContent(const QString &path, QFile &file)
{
    return SettingsJournal::effectiveContent(path, file.readAll());
}

} // namespace

bool parseSettingsInteger(const QString &text, int *out)
{
    if (text.size() > 2 && (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
        QStringView digits = QStringView(text).mid(2);
        for (const QChar c : digits) {
            if (!isHexDigit(c))
                return false;
        }
        // Leading zeros add nothing; what is left may hold up to 32 bits, taken as a signed
        // 32-bit value (0xFFFFFFFF is -1).
        while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
            digits = digits.mid(1);
        if (digits.size() > 8)
            return false;
        bool ok = false;
        const uint v = digits.toUInt(&ok, 16);
        if (!ok)
            return false;
        *out = static_cast<int>(v);
        return true;
    }
    if (text.isEmpty())
        return false;
    qsizetype i = 0;
    if (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-'))
        i = 1;
    if (i == text.size())
        return false;
    for (qsizetype k = i; k < text.size(); ++k) {
        if (text.at(k) < QLatin1Char('0') || text.at(k) > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok)
        return false;
    *out = v;
    return true;
}

bool IniSection::value(const QString &key, QString *out) const
{
    const auto it = mValues.constFind(folded(key));
    if (it == mValues.constEnd())
        return false;
    *out = it.value();
    return true;
}

int IniSection::readInteger(const QString &key, int def) const
{
    QString text;
    int v = def;
    if (value(key, &text) && parseSettingsInteger(text, &v))
        return v;
    return def;
}

bool IniSection::readBool(const QString &key, bool def) const
{
    return readInteger(key, def ? 1 : 0) != 0;
}

QString IniSection::readText(const QString &key, const QString &def) const
{
    QString text;
    return value(key, &text) ? text : def;
}

IniFile::IniFile(QString path) : mPath(std::move(path)) {}

IniSection IniFile::readSection(const QString &section) const
{
    IniSection result;
    QFile file(mPath);
    // Only a regular file is read: a pipe would block, a device such as /dev/zero never ends.
    if (!QFileInfo(mPath).isFile() || !file.open(QIODevice::ReadOnly))
        return result;
    const QString wanted = folded(section);
    bool inSection = false;
    for (const QByteArray &raw : splitByteLines(withoutByteOrderMark(fileContent(mPath, file)))) {
        const QString line = fromWestern(raw);
        const QString name = sectionName(line);
        if (!name.isNull()) {
            // Only the first section of that name counts, as with the Windows profile functions.
            if (inSection)
                break;
            inSection = folded(name) == wanted;
            continue;
        }
        if (!inSection)
            continue;
        QString key, value;
        if (splitKeyLine(line, &key, &value) && !result.mValues.contains(folded(key)))
            result.mValues.insert(folded(key), value);
    }
    return result;
}

bool IniFile::value(const QString &section, const QString &key, QString *out) const
{
    return readSection(section).value(key, out);
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    return readSection(section).readInteger(key, def);
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readSection(section).readBool(key, def);
}

QString IniFile::readText(const QString &section, const QString &key, const QString &def) const
{
    return readSection(section).readText(key, def);
}

Status IniFile::write(const QString &section, const QString &key, const QString &value)
{
    return write(section, {{key, value}});
}

Status IniFile::write(const QString &section, const std::vector<std::pair<QString, QString>> &values)
{
    for (const auto &[key, value] : values) {
        if (!safeForLine(key) || !safeForLine(value) || key.contains(QLatin1Char('=')) ||
            key.trimmed().isEmpty())
            return Status::failure(
                QCoreApplication::translate("Messages",
                                            "Unable to write to %1: the value of \"%2\" holds a line break")
                    .arg(mPath, key));
    }

    QList<QByteArray> lines;
    QByteArray mark;
    QByteArray previous;
    QFile existing(mPath);
    const QFileInfo info(mPath);
    if (info.exists() && !info.isFile())
        return Status::failure(QCoreApplication::translate("Messages", WriteFailure).arg(mPath));
    if (existing.exists()) {
        // Rewriting a file that cannot be read would drop everything else in it.
        if (!existing.open(QIODevice::ReadOnly))
            return Status::failure(QCoreApplication::translate("Messages", WriteFailure).arg(mPath));
        previous = fileContent(mPath, existing);
        lines = splitByteLines(withoutByteOrderMark(previous, &mark));
        existing.close();
    }

    const QString wanted = folded(section);
    qsizetype begin = -1; // index of the section's header line
    qsizetype end = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(fromWestern(lines.at(i)));
        if (name.isNull())
            continue;
        if (begin >= 0) {
            end = i;
            break;
        }
        if (folded(name) == wanted)
            begin = i;
    }
    if (begin < 0) {
        lines.append(toWestern(QLatin1Char('[') + section + QLatin1Char(']')));
        begin = lines.size() - 1;
        end = lines.size();
    }

    // The section's keys are looked up once, so that a long pass over a long section stays
    // linear. Appended keys go in before trailing blank lines only, which moves no key line.
    QHash<QString, qsizetype> keyLines;
    for (qsizetype i = begin + 1; i < end; ++i) {
        QString k, v;
        if (splitKeyLine(fromWestern(lines.at(i)), &k, &v) && !keyLines.contains(folded(k)))
            keyLines.insert(folded(k), i);
    }

    for (const auto &[key, value] : values) {
        const QByteArray newLine = toWestern(key.trimmed() + QLatin1Char('=') + value);
        const QString wantedKey = folded(key.trimmed());
        if (const auto it = keyLines.constFind(wantedKey); it != keyLines.constEnd()) {
            lines[it.value()] = newLine;
            continue;
        }
        // Appended after the section's last non-blank line, so that a blank line separating it
        // from the next section stays where it is.
        qsizetype at = end;
        while (at > begin + 1 && lines.at(at - 1).trimmed().isEmpty())
            --at;
        lines.insert(at, newLine);
        keyLines.insert(wantedKey, at);
        ++end;
    }

    QByteArray bytes = mark;
    for (const QByteArray &line : lines) {
        bytes += line;
        bytes += "\r\n";
    }

    const QString dir = QFileInfo(mPath).absolutePath();
    if (!QDir(dir).exists() && !QDir().mkpath(dir))
        return Status::failure(QCoreApplication::translate("Messages", WriteFailure).arg(mPath));
    // A file the user may write in a folder the user may not (a settings file set up for a
    // portable copy in a shared folder) is rewritten in place, as there is nowhere to put the
    // new copy beside it; through the journal, so that a crash cannot leave it cut off.
    if (info.isFile() && !writable(dir) && writable(mPath))
        return SettingsJournal::writeInPlace(mPath, previous, bytes,
                                             QCoreApplication::translate("Messages", WriteFailure));
    return writeFileAtomically(mPath, bytes, QCoreApplication::translate("Messages", WriteFailure));
}

} // namespace orlam
