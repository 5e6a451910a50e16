#pragma once

#include <QColor>

class QCalendarWidget;
class QDateTimeEdit;

namespace orlam {

// The contrast ratio of two colours as the web's accessibility guidelines measure it: 1 (the
// same luminance) to 21 (black on white). 4.5 is enough for ordinary text.
double contrastRatio(const QColor &a, const QColor &b);

// `wanted` with its hue and saturation kept, made lighter on a dark background or darker on a
// light one until it has `minimum` contrast on `background` (or as far as it goes).
QColor readableOn(const QColor &wanted, const QColor &background, double minimum = 4.5);

// The month calendar in the colours of its palette, light or dark: weekend days in a red that
// stays readable on the calendar's background. Follows later changes of palette and style.
void followPalette(QCalendarWidget *calendar);

// A date or time picker at least `width` pixels wide, and never narrower than its text and its
// buttons need in the present style, font and scale. Follows later changes of style and font.
void fitPicker(QDateTimeEdit *picker, int width);

} // namespace orlam
