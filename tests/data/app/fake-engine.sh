#!/bin/sh
# Stands in for the ephemeris engine in the window tests: whatever the job, it leaves the same
# chart listing (Sun 24 Gemini, Moon 5 Leo) in the working directory.
printf 'Body  Locat. Ret. Lati. Rul.      House  Rul. Veloc.\r\n' > chart.txt
printf 'Sun : 24Gem12   + 0:00 (-) [10th house] [-] +0.955\r\n' >> chart.txt
printf 'Moon:  5Leo33   - 4:59 (-) [11th house] [-] +13.09\r\n' >> chart.txt
exit 0
