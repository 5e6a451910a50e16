// Writes risesets.csv: rise and set times of the Sun and the Moon from the independent
// astronomy-engine package (upper limb, standard refraction, the Moon topocentric), local clock
// time rounded to the minute, for a spread of places and days.
// Run once with: npm install astronomy-engine && node make-risesets.mjs > risesets.csv
import * as Astronomy from 'astronomy-engine';

const places = [
    // name, latitude, longitude (east), hours west of Greenwich of the local clock
    ['Minneapolis', 45.0833, -93.35, 6],
    ['StAugustine', 29.0, -81.0, 4],
    ['Sydney', -33.8667, 151.2, -10],
    ['Delhi', 28.6, 77.2167, -5.5],
    ['Tromso', 69.65, 18.95, -1],
    ['Quito', -0.22, -78.5, 5],
];
const days = [[2019, 3, 20], [2024, 6, 21], [2025, 12, 21], [2026, 9, 1], [2030, 1, 15]];
const rows = ['# place,latitude,longitude_east,clock_hours_west,year,month,day,body,event,local_time_or_none'];
for (const [name, lat, lon, west] of places) {
    const observer = new Astronomy.Observer(lat, lon, 0);
    for (const [y, m, d] of days) {
        const midnightUt = new Date(Date.UTC(y, m - 1, d) + west * 3600000);
        for (const body of [Astronomy.Body.Sun, Astronomy.Body.Moon]) {
            for (const [direction, word] of [[+1, 'rises'], [-1, 'sets']]) {
                // Search from half a minute before midnight: the engine's day holds the events
                // whose rounded minute falls on that day.
                const start = new Date(midnightUt.getTime() - 30000);
                const found = Astronomy.SearchRiseSet(body, observer, direction, start, 1.0);
                let text = 'none';
                if (found) {
                    const local = new Date(found.date.getTime() - west * 3600000);
                    const minutes = Math.floor((local.getTime() - Date.UTC(y, m - 1, d)) / 60000 + 0.5);
                    if (minutes < 1440) {
                        const h = Math.floor(minutes / 60);
                        text = `${h % 12 === 0 ? 12 : h % 12}:${String(minutes % 60).padStart(2, '0')}${h < 12 ? 'am' : 'pm'}`;
                    }
                }
                rows.push([name, lat, lon, west, y, m, d, body, word, text].join(','));
            }
        }
    }
}
console.log(rows.join('\n'));
