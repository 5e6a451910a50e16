#pragma once

#include "common/status.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace orlam {

// A Windows-style INI file edited in place: keys are written as they stand ("House System=0"),
// a write replaces the key's value or appends the key to its section (creating the file and the
// section when missing), and every other line - other sections, unknown keys, comments, their
// order - survives. The file is opened afresh for each read or write pass; no handle is kept.
// Section and key names compare case-insensitively, as the Windows profile functions do.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString &path() const { return mPath; }

    // Raw value of a key, or false when the file, the section or the key is missing.
    // A present key with nothing after "=" gives true and an empty value. Values are cut to
    // 2047 characters.
    bool value(const QString &section, const QString &key, QString *out) const;

    // Integer reading: decimal, or hexadecimal after "0x"/"0X"; anything else gives `def`.
    int readInteger(const QString &section, const QString &key, int def) const;
    // Booleans are integers (default 1 or 0); true when non-zero.
    bool readBool(const QString &section, const QString &key, bool def) const;
    // Text as stored, or `def` only when the key is missing.
    QString readText(const QString &section, const QString &key, const QString &def) const;

    // Writes several keys in one pass, in order. On failure nothing of the file changes and the
    // result says "Unable to write to %s" with the file's path.
    Status write(const QString &section, const std::vector<std::pair<QString, QString>> &values);
    Status write(const QString &section, const QString &key, const QString &value);

private:
    QString mPath;
};

// Parses an integer by the settings rules; false when the text is not one.
bool parseSettingsInteger(const QString &text, int *out);

} // namespace orlam
