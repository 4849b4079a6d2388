# Debian package: `make package`, or `cpack -G DEB` in the build directory.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamberlo)
set(CPACK_PACKAGE_VENDOR "Tamberlo developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Flash-card vocabulary drill for English words with Japanese meanings")
set(CPACK_PACKAGE_DESCRIPTION
    "Tamberlo drills English words and their Japanese meanings with flash cards.
It keeps word lists as plain text dictionary files (.tmb, Shift_JIS),
lets the user create them, add words to them and run a timed drill.
The command tamberlo-dict imports word lists (CSV, tab-separated text,
card program exports; UTF-8, UTF-16 or Shift_JIS; Anki packages and
KWordQuiz or Parley KVTML files) into dictionaries,
checks a dictionary as the drill reads it and exports it as UTF-8.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tamberlo developers <developers@tamberlo.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Native on a Wayland desktop with Qt's Wayland plugin; through Xwayland without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# Japanese meanings and dictionary names are typed through an input method's Qt 6 front end
# (ibus brings its own with Qt).
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fcitx5-frontend-qt6 | ibus")

# Each package once. dpkg-shlibdeps names the shared libraries: Qt's version tag gives
# libqt6core6 (>= 6.4.0) for a build against Qt 6.4, and Qt's ABI dependency holds Gui and
# Widgets to that release. Without it the Qt minimum is named here. Always named by hand: the
# fonts the window designs name and Qt's Japanese texts (qtbase_ja).
set(TAMBERLO_DEBIAN_DEPENDS fonts-ipafont-gothic fonts-liberation qt6-translations-l10n)
find_program(TAMBERLO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TAMBERLO_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    list(PREPEND TAMBERLO_DEBIAN_DEPENDS
        "libqt6widgets6 (>= 6.4)" "libqt6gui6 (>= 6.4)" "libqt6core6 (>= 6.4)")
endif()
list(JOIN TAMBERLO_DEBIAN_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
