#include "accessiblenames.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QMenuBar>
#include <QScrollBar>
#include <QSizeGrip>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>

namespace orlam {

void nameCalendarControls(QCalendarWidget *calendar)
{
    // The calendar's parts by the object names Qt gives them.
    const struct {
        const char *objectName;
        const char *name;
        const char *description;
    } parts[] = {
        {"qt_calendar_prevmonth", QT_TRANSLATE_NOOP("Accessibility", "Previous month"),
         QT_TRANSLATE_NOOP("Accessibility", "Show the month before")},
        {"qt_calendar_nextmonth", QT_TRANSLATE_NOOP("Accessibility", "Next month"),
         QT_TRANSLATE_NOOP("Accessibility", "Show the month after")},
        {"qt_calendar_monthbutton", QT_TRANSLATE_NOOP("Accessibility", "Month"),
         QT_TRANSLATE_NOOP("Accessibility", "Choose the month to show")},
        {"qt_calendar_yearbutton", QT_TRANSLATE_NOOP("Accessibility", "Year"),
         QT_TRANSLATE_NOOP("Accessibility", "Change the year shown")},
        {"qt_calendar_yearedit", QT_TRANSLATE_NOOP("Accessibility", "Year"),
         QT_TRANSLATE_NOOP("Accessibility", "The year to show")},
        {"qt_calendar_calendarview", QT_TRANSLATE_NOOP("Accessibility", "Days of the month"),
         QT_TRANSLATE_NOOP("Accessibility", "Choose a day")},
    };
    for (const auto &part : parts) {
        if (auto *widget = calendar->findChild<QWidget *>(QLatin1String(part.objectName))) {
            widget->setAccessibleName(QCoreApplication::translate("Accessibility", part.name));
            widget->setAccessibleDescription(QCoreApplication::translate("Accessibility", part.description));
        }
    }
}

namespace {

template <typename T> void nameAll(QWidget *root, const char *name, const char *description = nullptr)
{
    for (T *part : root->findChildren<T *>()) {
        if (!part->accessibleName().isEmpty())
            continue;
        part->setAccessibleName(QCoreApplication::translate("Accessibility", name));
        if (description)
            part->setAccessibleDescription(QCoreApplication::translate("Accessibility", description));
    }
}

} // namespace

void nameStandardParts(QWidget *root)
{
    for (QCalendarWidget *calendar : root->findChildren<QCalendarWidget *>())
        nameCalendarControls(calendar);
    for (QScrollBar *bar : root->findChildren<QScrollBar *>()) {
        if (bar->accessibleName().isEmpty())
            bar->setAccessibleName(
                bar->orientation() == Qt::Vertical
                    ? QCoreApplication::translate("Accessibility", "Vertical scroll bar")
                    : QCoreApplication::translate("Accessibility", "Horizontal scroll bar"));
    }
    nameAll<QSplitterHandle>(
        root, QT_TRANSLATE_NOOP("Accessibility", "Divider"),
        QT_TRANSLATE_NOOP("Accessibility", "Drag to share the room between the two parts"));
    nameAll<QSizeGrip>(root, QT_TRANSLATE_NOOP("Accessibility", "Size grip"),
                       QT_TRANSLATE_NOOP("Accessibility", "Drag to resize the window"));
    nameAll<QMenuBar>(root, QT_TRANSLATE_NOOP("Accessibility", "Menu bar"));
    nameAll<QStatusBar>(root, QT_TRANSLATE_NOOP("Accessibility", "Status bar"));
    for (QToolButton *more : root->findChildren<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"))) {
        if (more->accessibleName().isEmpty())
            more->setAccessibleName(QCoreApplication::translate("Accessibility", "More tools"));
    }
}

} // namespace orlam
