# The Debian package (make package): CPack's DEB generator over what `cmake --install` puts under
# /usr. Its version is the executable's (cmake/ProgramVersion.cmake); the shared libraries it needs
# are found by dpkg-shlibdeps from the binaries, not listed here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorlane-calculator)
set(CPACK_PACKAGE_VERSION ${QUORLANE_VERSION})
set(CPACK_PACKAGE_VENDOR Quorlane)
set(CPACK_PACKAGE_CONTACT ${QUORLANE_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "adding-machine calculator with exact decimals and a paper tape")
# The long description, in lines of at most 80 characters as Debian's tools show it.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quorlane Calculator is a desktop adding machine for sums at a desk. It computes"
    "in an exact 18-digit decimal type and records every entry and total on a"
    "history tape that can be saved, printed and copied. It has a memory register,"
    "a window that scales in proportion, colour schemes, a tray icon and a start"
    "at logon."
    ""
    "quorcalc-cli runs the decimal type and the calculator engine without a window,"
    "for scripts.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORLANE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no linker dependency shows them: the SVG icon engine draws the icon and the
# window's pictures. The Wayland platform is wanted on a Wayland desktop (XWayland serves without).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
