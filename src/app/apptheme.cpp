#include "apptheme.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QEvent>
#include <QTextCharFormat>
#include <QTimer>
#include <cmath>
#include <functional>

namespace orlam {

namespace {

double channel(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

// Calls `apply` again whenever the watched widget's palette, style or font changes: a desktop
// may switch between light and dark while the program runs. Once the widget has taken the
// change in, that is: a filter sees the event before the widget drops its cached size hint.
class Follower : public QObject {
public:
    Follower(QWidget *watched, std::function<void()> apply) : QObject(watched), mApply(std::move(apply))
    {
        watched->installEventFilter(this);
        mApply();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::FontChange:
            if (!mPending) {
                mPending = true;
                QTimer::singleShot(0, this, [this] {
                    mApply();
                    mPending = false; // applying may itself send one of these events
                });
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> mApply;
    bool mPending = false;
};

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &wanted, const QColor &background, double minimum)
{
    const bool darkBackground = luminance(background) < 0.18;
    QColor colour = wanted.toHsl();
    float hue = 0, saturation = 0, lightness = 0, alpha = 1;
    colour.getHslF(&hue, &saturation, &lightness, &alpha);
    constexpr float Step = 0.01f;
    while (contrastRatio(colour, background) < minimum) {
        lightness += darkBackground ? Step : -Step;
        if (lightness < 0 || lightness > 1)
            break;
        colour.setHslF(hue, saturation, lightness, alpha);
    }
    return colour.toRgb();
}

void followPalette(QCalendarWidget *calendar)
{
    new Follower(calendar, [calendar] {
        // The calendar's own default: Saturday and Sunday in red.
        const QColor base = calendar->palette().color(QPalette::Active, QPalette::Base);
        const QColor weekend = readableOn(Qt::red, base);
        for (const Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday}) {
            QTextCharFormat format = calendar->weekdayTextFormat(day);
            format.setForeground(weekend);
            calendar->setWeekdayTextFormat(day, format);
        }
    });
}

void fitPicker(QDateTimeEdit *picker, int width)
{
    new Follower(picker,
                 [picker, width] { picker->setFixedWidth(std::max(width, picker->sizeHint().width())); });
}

} // namespace orlam
