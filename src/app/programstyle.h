#pragma once

#include <QProxyStyle>

namespace orlam {

// The desktop's style, with the program's own arrows for the month calendar's previous and next
// month buttons. The calendar asks for those two arrows as it is made; taken from the desktop's
// icon theme they would cost the start a full read of the theme's index before the window shows.
// The toolbar's and the menu bar's extension buttons keep Qt's own images, read without loading
// every image-format plugin as the window is built.
class ProgramStyle : public QProxyStyle {
public:
    ProgramStyle();
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

} // namespace orlam
