// Writes riseset-edges.csv: every rise, set, upper transit ("zeniths") and lower transit
// ("nadirs") of the Sun and the Moon on chosen local days, from the independent
// astronomy-engine package (upper limb, standard refraction, the Moon topocentric, transits of
// the centre). The days are picked where a report is easiest to get wrong: an event just after
// or just before local midnight, a day without a moonrise or a moonset, polar day and night,
// zones with half and quarter hours, and daylight time.
// Run once with: npm install astronomy-engine && node make-riseset-edges.mjs > riseset-edges.csv
import * as Astronomy from 'astronomy-engine';

const places = [
    // name, latitude, longitude (east), zone as the job writes it, hours west of the zone,
    // daylight time
    ['StJohns', 47.5615, -52.7126, '3:30', 3.5, true],
    ['Adelaide', -34.9285, 138.6007, '-9.5', -9.5, true],
    ['Kathmandu', 27.7172, 85.324, '-5:45', -5.75, false],
    ['Honolulu', 21.3069, -157.8583, '10', 10, false],
    ['Tromso', 69.6492, 18.9553, '-1', -1, false],
    ['Longyearbyen', 78.2232, 15.6267, '-1', -1, false],
];
const bodies = [Astronomy.Body.Sun, Astronomy.Body.Moon];
const day = 86400000;

function localText(date, clockWest, y, m, d) {
    const minutes = Math.floor((date.getTime() - clockWest * 3600000 - Date.UTC(y, m - 1, d)) / 60000 + 0.5);
    const h = Math.floor(minutes / 60);
    return `${h % 12 === 0 ? 12 : h % 12}:${String(minutes % 60).padStart(2, '0')}${h < 12 ? 'am' : 'pm'}`;
}

// Events of one body on the local day that begins at `start` (half a minute before midnight:
// the day holds the events whose rounded minute falls on it), as {word: [Date, ...]}.
function eventsOfDay(body, observer, start) {
    const end = new Date(start.getTime() + day);
    const found = { rises: [], sets: [], zeniths: [], nadirs: [] };
    for (const [direction, word] of [[+1, 'rises'], [-1, 'sets']]) {
        let t = start;
        for (;;) {
            const event = Astronomy.SearchRiseSet(body, observer, direction, t, (end - t) / day);
            if (!event || event.date >= end)
                break;
            found[word].push(event.date);
            t = new Date(event.date.getTime() + 60000);
        }
    }
    for (const [hourAngle, word] of [[0, 'zeniths'], [12, 'nadirs']]) {
        let t = start;
        for (;;) {
            const event = Astronomy.SearchHourAngle(body, observer, hourAngle, t);
            if (event.time.date >= end)
                break;
            found[word].push(event.time.date);
            t = new Date(event.time.date.getTime() + 3600000);
        }
    }
    return found;
}

const rows = ['# place,latitude,longitude_east,zone,ST|DT,year,month,day,body,event,local_times_or_none'];
for (const [name, lat, lon, zone, west, daylight] of places) {
    const observer = new Astronomy.Observer(lat, lon, 0);
    const clockWest = west - (daylight ? 1 : 0);
    const picked = new Map(); // 'y-m-d' -> reason
    const counts = {};
    const want = (reason, limit) => (counts[reason] ?? 0) < limit;
    for (let n = 0; n < 365; ++n) {
        const date = new Date(Date.UTC(2026, 0, 1) + n * day);
        const [y, m, d] = [date.getUTCFullYear(), date.getUTCMonth() + 1, date.getUTCDate()];
        const start = new Date(Date.UTC(y, m - 1, d) + clockWest * 3600000 - 30000);
        const moon = eventsOfDay(Astronomy.Body.Moon, observer, start);
        const sun = eventsOfDay(Astronomy.Body.Sun, observer, start);
        const reasons = [];
        for (const list of [...Object.values(moon), ...Object.values(sun)]) {
            for (const t of list) {
                // Seconds after the day's first instant; keep clear of the rounding boundary.
                const s = (t - start) / 1000;
                if (s > 90 && s < 600)
                    reasons.push('justAfterMidnight');
                if (s > day / 1000 - 600 && s < day / 1000 - 60)
                    reasons.push('justBeforeMidnight');
            }
        }
        if (moon.rises.length === 0)
            reasons.push('noMoonrise');
        if (moon.sets.length === 0)
            reasons.push('noMoonset');
        if (sun.rises.length === 0 && sun.sets.length === 0) {
            const equ = Astronomy.Equator(Astronomy.Body.Sun, start, observer, true, true);
            const up = Astronomy.Horizon(start, observer, equ.ra, equ.dec, 'normal').altitude > 0;
            reasons.push(up ? 'polarDay' : 'polarNight');
        }
        else if (sun.rises.length === 0 || sun.sets.length === 0)
            reasons.push('sunOnlyRisesOrSets');
        for (const reason of reasons) {
            if (want(reason, 2) && !picked.has(`${y}-${m}-${d}`)) {
                picked.set(`${y}-${m}-${d}`, reason);
                counts[reason] = (counts[reason] ?? 0) + 1;
            }
        }
    }
    for (const key of picked.keys()) {
        const [y, m, d] = key.split('-').map(Number);
        const start = new Date(Date.UTC(y, m - 1, d) + clockWest * 3600000 - 30000);
        for (const body of bodies) {
            const found = eventsOfDay(body, observer, start);
            for (const word of ['rises', 'zeniths', 'sets', 'nadirs']) {
                const times = found[word].map((t) => localText(t, clockWest, y, m, d));
                rows.push([name, lat, lon, zone, daylight ? 'DT' : 'ST', y, m, d, body, word,
                           times.length ? times.join(' ') : 'none'].join(','));
            }
        }
    }
}
console.log(rows.join('\n'));
