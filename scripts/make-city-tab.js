// Writes the city list in Orlam's fixed columns from city-timezones' cityMap.json:
//   characters  1-25  place name of at most 24 characters, filled up with blanks ("Zürich, Switzerland")
//              26-32  latitude, degrees, N or S, two-digit minutes ("47N23"), filled up with blanks
//              33-35  three blanks
//              36-42  longitude, degrees, E or W, two-digit minutes ("8E33"), filled up with blanks
//              43     a blank
//              44-    the place's time zone as the time-zone database names it ("Europe/Zurich")
// Places of at least MIN_POPULATION, sorted by name, in the Western code page (Windows-1252)
// with CR LF after every line. Names the code page cannot hold take their plain-letter spelling.
'use strict';
const fs = require('fs');

const [, , mapFile, minPopulationText, zoneLinksFile] = process.argv;
const minPopulation = Number(minPopulationText || 100000);
const places = JSON.parse(fs.readFileSync(mapFile, 'utf8'));

// Zones the time-zone database keeps only as links to another ("Asia/Chongqing") are written as
// the zone they link to, read from the database's tzdata.zi ("L Asia/Shanghai Asia/Chongqing").
const zoneLinks = new Map();
if (zoneLinksFile && fs.existsSync(zoneLinksFile)) {
    for (const line of fs.readFileSync(zoneLinksFile, 'utf8').split('\n')) {
        const [kind, target, link] = line.split(' ');
        if (kind === 'L') zoneLinks.set(link, target);
    }
}
const canonicalZone = (zone) => zoneLinks.get(zone) || zone;

const NameWidth = 25;
const CoordinateWidth = 7;

// The code page's characters 0x80-0x9F; 0x00-0x7F and 0xA0-0xFF are the same as in Unicode.
const High = '\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d\u008f' +
             '\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\u009d\u017e\u0178';
function westernByte(ch) {
    const c = ch.codePointAt(0);
    if (c < 0x80 || (c >= 0xa0 && c <= 0xff)) return c;
    const i = High.indexOf(ch);
    return i >= 0 ? 0x80 + i : -1;
}
const isWestern = (text) => [...text].every((ch) => westernByte(ch) >= 0);

function coordinate(value, positive, negative) {
    let minutes = Math.round(Math.abs(value) * 60);
    const degrees = Math.floor(minutes / 60);
    minutes -= degrees * 60;
    return `${degrees}${value < 0 ? negative : positive}${String(minutes).padStart(2, '0')}`;
}

function placeName(place) {
    const city = (isWestern(place.city) ? place.city : place.city_ascii).trim();
    const candidates = place.iso2 === 'US' && place.state_ansi
        ? [`${city}, ${place.state_ansi}, USA`, `${city}, ${place.state_ansi}`]
        : [`${city}, ${place.country}`, `${city}, ${place.iso3}`];
    // A blank always parts the name from the latitude, so that the list reads well.
    return candidates.find((name) => [...name].length < NameWidth) || [...city].slice(0, NameWidth - 1).join('');
}

const lines = places
    .filter((p) => p.pop >= minPopulation)
    .map((p) => ({
        name: placeName(p),
        latitude: coordinate(p.lat, 'N', 'S'),
        longitude: coordinate(p.lng, 'E', 'W'),
        zone: canonicalZone(p.timezone || ''),
    }))
    .sort((a, b) => a.name.localeCompare(b.name, 'en') || a.latitude.localeCompare(b.latitude))
    .map((p) => (p.name.padEnd(NameWidth) + p.latitude.padEnd(CoordinateWidth) + '   ' +
                  p.longitude.padEnd(CoordinateWidth) + ' ' + p.zone).trimEnd());

const bytes = [];
for (const line of lines) {
    for (const ch of line) bytes.push(westernByte(ch));
    bytes.push(13, 10);
}
process.stdout.write(Buffer.from(bytes));
