#pragma once

#include "settings/localefacts.h"

#include <QDate>
#include <QLocale>
#include <QTimeZone>
#include <array>
#include <cstdint>

namespace orlam::fuzz {

// The date orders and separators a user's locale can give: month first with "/", day first
// with "/" and with ".", year first. Built once; a fuzz run makes millions of calls.
inline const LocaleFacts &localeFor(std::uint8_t selector)
{
    static const std::array<LocaleFacts, 4> locales{
        LocaleFacts::make(QLocale(QStringLiteral("en_US")), QTimeZone("America/Chicago"), QDate(2026, 6, 15)),
        LocaleFacts::make(QLocale(QStringLiteral("en_GB")), QTimeZone("Europe/London"), QDate(2026, 6, 15)),
        LocaleFacts::make(QLocale(QStringLiteral("de_DE")), QTimeZone("Europe/Berlin"), QDate(2026, 6, 15)),
        LocaleFacts::make(QLocale(QStringLiteral("ja_JP")), QTimeZone("Asia/Tokyo"), QDate(2026, 6, 15)),
    };
    return locales[selector % locales.size()];
}

} // namespace orlam::fuzz
