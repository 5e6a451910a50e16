#!/bin/sh
# Stands in for the ephemeris engine in the report tests: a chart job leaves the usual chart, a
# calendar job a calendar naming its period, unless FAKE_CALENDAR_FAIL is set: then a calendar
# job writes nothing and ends with an error.
if grep -q '^/os calasp.txt' input.txt; then
    [ -n "${FAKE_CALENDAR_FAIL:-}" ] && exit 1
    if grep -q '^/dy' input.txt; then
        printf 'Calendar for the year\r\nyear line 2\r\nyear line 3\r\n' > calasp.txt
    else
        printf 'Calendar for the month\r\nmonth line 2\r\n' > calasp.txt
    fi
    exit 0
fi
printf 'Body  Locat. Ret. Lati. Rul.      House  Rul. Veloc.\r\n' > chart.txt
printf 'Sun : 24Gem12   + 0:00 (-) [10th house] [-] +0.955\r\n' >> chart.txt
printf 'Moon:  5Leo33   - 4:59 (-) [11th house] [-] +13.09\r\n' >> chart.txt
exit 0
