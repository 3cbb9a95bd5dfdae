# A Debian package of what `cmake --install` lays out, under /usr. Its
# dependencies come from the shared libraries the program and its speech
# library link, and from what they load at run time, which no link shows.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonavia)
set(CPACK_PACKAGE_VENDOR "Sonavia")
set(CPACK_PACKAGE_CONTACT "Sonavia maintainers <maintainers@sonavia.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "talking web browser with single-switch scanning")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sonavia shows web pages and reads them aloud, sentence by sentence, in\n\
Catalan or Castilian, announcing images and links. Its scanning mode lets\n\
a single switch drive the whole program. The user interface is in Catalan.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://sonavia.invalid/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The picture plugin, the voices, the
# dialogs' Catalan and a sound server are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, espeak-ng-data, qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
