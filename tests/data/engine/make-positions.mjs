// Writes positions.csv: apparent geocentric ecliptic longitudes of date of the Sun and the
// Moon from the independent astronomy-engine package, for moments spread over 1800 to 2399.
// Times are Terrestrial Time so that the two programs' different Delta T models do not enter.
// Run once with: npm install astronomy-engine && node make-positions.mjs > positions.csv
import * as Astronomy from 'astronomy-engine';

const rows = ['# tt_julian_day,sun_longitude,moon_longitude (degrees, true ecliptic and equinox of date)'];
let seed = 20190320;
const next = () => {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed / 2147483648;
};
for (let year = 1800; year < 2400; year += 10) {
    const start = Date.UTC(year, 0, 1) / 86400000 - 10957.5; // days since J2000 noon
    const tt = start + Math.floor(next() * 3650) + Math.round(next() * 96) / 96;
    const time = Astronomy.AstroTime.FromTerrestrialTime(tt);
    const sun = Astronomy.SunPosition(time).elon;
    const moon = Astronomy.EclipticGeoMoon(time).lon;
    rows.push(`${(tt + 2451545.0).toFixed(6)},${sun.toFixed(7)},${moon.toFixed(7)}`);
}
console.log(rows.join('\n'));
