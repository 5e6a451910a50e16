// libFuzzer entry for the settings file: any file reads without harm, and a value written into
// it reads back as written while every other key of the section keeps its value.
#include "settings/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

const QString Section = QStringLiteral("orlam");
const QString Key = QStringLiteral("Longitude");

// What a write must give back on reading: no edge blanks, no enclosing quotes, and only
// characters of the Western code page (the file's own encoding).
bool readsBackExactly(const QString &value)
{
    if (value.size() > 2047 || value != value.trimmed())
        return false;
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        return false;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u < 32 || (u >= 0x80 && u <= 0xA0) || u > 0xFF)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("Orlam.ini"));
    if (size < 1)
        return 0;
    // The first byte gives the length of the value to write; the rest is the file.
    const std::size_t valueLength = std::min<std::size_t>(data[0] % 32, size - 1);
    const QString value =
        QString::fromLatin1(reinterpret_cast<const char *>(data) + 1, qsizetype(valueLength));
    const QByteArray content(reinterpret_cast<const char *>(data) + 1 + valueLength,
                             qsizetype(size - 1 - valueLength));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            std::abort();
    }

    orlam::IniFile ini(path);
    const orlam::IniSection before = ini.readSection(Section);
    int number = 0;
    (void)orlam::parseSettingsInteger(before.readText(QStringLiteral("Time"), QString()), &number);
    (void)ini.readInteger(Section, QStringLiteral("House System"), 0);

    const orlam::Status written = ini.write(Section, Key, value);
    if (!written.ok)
        return 0;
    const orlam::IniSection after = ini.readSection(Section);
    if (readsBackExactly(value) && after.readText(Key, QStringLiteral("<missing>")) != value)
        std::abort();
    for (const char *other : {"Latitude", "Time Zone", "Time", "House System", "ForceExe"}) {
        const QString name = QLatin1String(other);
        if (before.readText(name, QStringLiteral("<missing>")) !=
            after.readText(name, QStringLiteral("<missing>")))
            std::abort();
    }
    return 0;
}
