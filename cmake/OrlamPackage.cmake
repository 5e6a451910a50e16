# The Debian package, made by CPack from the install rules: `cpack` in a build tree, or
# scripts/package for a release build with the distribution's hardening flags. The file is
# orlam_VERSION_ARCH.deb; its Depends come from the shared libraries that the programs link
# (dpkg-shlibdeps), plus the ephemeris files that the engine reads.
# Installing and packing take what the build made and build nothing themselves, so that the
# package test can pack the tree it runs in while other tests use it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orlam)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orlam developers")
set(CPACK_PACKAGE_CONTACT "The Orlam developers <orlam@orlam.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop calendar that shows a moment as a Thelemic date")
# The long description: CPack indents its lines and writes the empty line as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orlam shows the present moment, or any moment chosen in its window, as a
Thelemic date: the year of the era, the places of the Sun and the Moon and
the Latin name of the day, over the common date and time.

It tabulates the rising, setting and culminations of the Sun and the Moon,
lists the planetary hours and raises alarms at them, makes transit calendars
and iCalendar files, and converts batch files of moments. Its ephemeris
engine, orlam-ephem, computes on the Swiss Ephemeris.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orlam.example.org/")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "swe-basic-data")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories the package makes are 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
