#pragma once

#include "common/status.h"

#include <QHash>
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
// The keys of one section as read in one pass over the file, with the same reading rules as
// IniFile's readers. Readers that take many keys at once (the whole settings record) use it so
// that the file is opened and read only once.
class IniSection {
public:
    bool value(const QString &key, QString *out) const;
    int readInteger(const QString &key, int def) const;
    bool readBool(const QString &key, bool def) const;
    QString readText(const QString &key, const QString &def) const;

private:
    friend class IniFile;
    QHash<QString, QString> mValues; // key folded to lower case -> value; first occurrence wins
};

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

    // Every key of a section in one pass; empty when the file or the section is missing.
    IniSection readSection(const QString &section) const;

private:
    QString mPath;
};

// Parses an integer by the settings rules; false when the text is not one.
bool parseSettingsInteger(const QString &text, int *out);

} // namespace orlam
