#pragma once

#include "guiplatform.h"

#include <QRect>
#include <QString>

class QWidget;

namespace orlam {

// The program's message box: title "Orlam", the text, an OK button; on standard error (one line
// per message line, prefixed "orlam: ") when headless. Returns when the user has closed it.
void showUserMessage(QWidget *parent, const QString &text);

// A yes/no question in the program's message box; true for yes. Headless, the text goes to
// standard error and the answer is yes, since nobody is there to say otherwise.
bool askUser(QWidget *parent, const QString &text);

// An information box with its own title (a notice where no tray balloon can be shown).
void showNotice(QWidget *parent, const QString &title, const QString &text);

// Every box above is centred over the window that asked: the modal dialog open at the time
// (the one the user is working in), else `parent` when it is on screen, else the screen's
// middle. The window the box appears over, null for the screen.
QWidget *messageOwner(QWidget *parent);

// The place of a box of `size` centred over `owner`, moved as little as needed to lie wholly
// inside `screen` (the available area of the owner's screen).
QRect placeOver(const QRect &owner, QSize size, const QRect &screen);

} // namespace orlam
