#include "taboutbox.h"

#include "appfonts.h"
#include "appicons.h"
#include "common/clocktime.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace orlam {

namespace {

QFont arial(int pixels, bool bold = false)
{
    QFont font = windowFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

TAboutBox::TAboutBox(QWidget *owner, const LocaleFacts &locale)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), mLocale(locale)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About Orlam"));
    // One line taller than the classic 227 x 135, for the credit of the shipped city list.
    setFixedSize(227, 149);

    // The box wears the colours of an active window caption. Qt has no caption colour role; the
    // selection colours are what desktop themes pair the same way.
    QPalette colours = palette();
    const QColor background = colours.color(QPalette::Active, QPalette::Highlight);
    const QColor text = colours.color(QPalette::Active, QPalette::HighlightedText);
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::WindowText, text);
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(arial(13));

    auto *outer = new QGridLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    outer->addWidget(panel);

    auto *title = new QLabel(QStringLiteral("Orlam"), panel);
    title->setObjectName(QStringLiteral("ProductName"));
    title->setFont(arial(16, true));
    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(programIcon().pixmap(32, 32));
    icon->setFixedSize(32, 32);
    mVersion = new QLabel(panel);
    mVersion->setObjectName(QStringLiteral("Version"));
    mVersion->setFont(arial(13));
    mVersion->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The widest dates (two-digit month, day and hour) are a few pixels wider than the box:
    // the time then moves to a third line rather than being cut off.
    mVersion->setWordWrap(true);
    // The shipped city list comes from the npm package city-timezones, under the MIT licence.
    auto *authors = new QLabel(tr("Written by the Orlam authors\nCity list: city-timezones (MIT)"), panel);
    authors->setObjectName(QStringLiteral("Copyright"));
    authors->setFont(arial(11));

    auto *grid = new QGridLayout(panel);
    // Narrow inner margins: the box is small and the version line needs nearly all its width.
    grid->setContentsMargins(3, 3, 2, 3);
    grid->setVerticalSpacing(2);
    grid->addWidget(title, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(icon, 0, 1, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(mVersion, 1, 0, 1, 2);
    grid->addWidget(authors, 2, 0, 1, 2, Qt::AlignLeft | Qt::AlignBottom);
    grid->setRowStretch(1, 1);

    // Clicks on the labels and the icon fall through to the box, which closes on any click.
    for (QWidget *child :
         {static_cast<QWidget *>(panel), static_cast<QWidget *>(title), static_cast<QWidget *>(icon),
          static_cast<QWidget *>(mVersion), static_cast<QWidget *>(authors)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString TAboutBox::versionText(const LocaleFacts &locale, const QDateTime &compiled)
{
    return tr("Version %1").arg(VersionText) + QStringLiteral("\r\n") +
           tr("Compiled: %1").arg(locale.formatPattern(QStringLiteral("ddddd tt"), compiled));
}

QDateTime TAboutBox::executableTime()
{
    return clockFromLocal(QFileInfo(QCoreApplication::applicationFilePath()).lastModified());
}

void TAboutBox::FormShow()
{
    mVersion->setText(versionText(mLocale, executableTime()));
}

void TAboutBox::BitBtn1Click()
{
    accept();
}

void TAboutBox::showEvent(QShowEvent *event)
{
    FormShow();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    // The box has no button to take the keys a dialog's OK and Cancel would.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            BitBtn1Click();
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void TAboutBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        BitBtn1Click();
    else
        QDialog::mouseReleaseEvent(event);
}

} // namespace orlam
