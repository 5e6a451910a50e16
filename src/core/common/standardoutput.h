#pragma once

#include "common/status.h"

#include <QStringList>

namespace orlam {

// Prints each line followed by a line feed on standard output, in the locale's encoding, and
// makes sure it got there: a full disk, a closed pipe's error or any other write error comes
// back as a failure saying so ("Cannot write to standard output: No space left on device").
Status printLines(const QStringList &lines);
// The same for text taken as it stands.
Status printText(const QString &text);

} // namespace orlam
