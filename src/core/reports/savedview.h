#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orlam {

// The two forms File > Save writes the view in.
enum class SavedType { RichText, PlainText };

constexpr auto RichTextFilter = "Rich Text (*.rtf)";
constexpr auto PlainTextFilter = "Text files (*.txt)";
constexpr auto SavedViewName = "orlamdata.rtf";

// The type a file name asks for by its extension (".rtf", ".txt", in any letter case); any
// other name, or none, takes `chosen`, the type of the dialog's filter.
SavedType savedTypeForName(const QString &path, SavedType chosen);

// The name with the type's extension added when it has none ("mydate" -> "mydate.rtf"); a
// name with an extension of its own is kept as typed.
QString withSavedTypeSuffix(const QString &path, SavedType type);

// The type of a filter as the dialog shows it; plain text for a filter that is not ours.
SavedType savedTypeOfFilter(const QString &filter);

// The bytes of the view's lines in the given form: Rich Text Format in the view's fixed-pitch
// font, or plain text in the encoding named by `codeset` (the locale's character set, as
// nl_langinfo(CODESET) gives it), each line ended with a line feed. An encoding the program
// cannot write, or plain ASCII (the C locale), gives UTF-8, so that no character is lost.
QByteArray savedViewBytes(const QStringList &lines, SavedType type, const QByteArray &codeset);

// The character set of the locale the program runs under.
QByteArray localeCodeset();

} // namespace orlam
