#pragma once

#include <QList>

class QButtonGroup;
class QWidget;

namespace orlam {

// The widgets of `container` that Tab stops at, in the order its layouts show them: a grid row
// by row and left to right, a box layout in its order, the contents of a group box where the
// box stands.
QList<QWidget *> layoutOrder(QWidget *container);

// Tab and Shift+Tab go through `container` in layoutOrder, starting after `container` itself
// in the window's focus chain.
void orderTabsByLayout(QWidget *container);

// Tab into an exclusive group of radio buttons stops at the checked one only (all of them while
// none is checked); the arrow keys move within the group. Follows the group's changes.
void tabToCheckedRadio(QButtonGroup *group);

} // namespace orlam
