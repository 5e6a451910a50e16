#pragma once

#include <QString>

class QWidget;

namespace orlam {

// True when the program runs without a display (Qt's offscreen or minimal platform): messages
// then go to standard error, since there is nobody to close a message box.
bool isHeadless();

// The program's message box: title "Orlam", the text, an OK button; on standard error (one line
// per message line, prefixed "orlam: ") when headless. Returns when the user has closed it.
void showUserMessage(QWidget *parent, const QString &text);

// A yes/no question in the program's message box; true for yes. Headless, the text goes to
// standard error and the answer is yes, since nobody is there to say otherwise.
bool askUser(QWidget *parent, const QString &text);

} // namespace orlam
