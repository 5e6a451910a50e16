#pragma once

namespace orlam {

// Every address the program opens in the user's browser, in one place.
namespace WebLinks {
constexpr auto MakerCaption = "&www.orlam.org";
constexpr auto MakerHome = "https://www.orlam.org/";
constexpr auto OrlamHome = "https://www.orlam.org/orlam/";
constexpr auto NavalObservatory = "https://aa.usno.navy.mil/data";
constexpr auto NavalObservatoryHint = " Astronomical Applications Data Services";
constexpr auto Oto = "https://oto.org/";
constexpr auto Astrolog = "https://www.astrolog.org/astrolog.htm";
// The options dialog's button for finding one's longitude and latitude.
constexpr auto CoordinatesLookup = "https://www.latlong.net/";
} // namespace WebLinks

constexpr auto HelpPageName = "orlam.html";

} // namespace orlam
