# The Debian package: `cpack -G DEB` in a build folder. For the Debian layout
# (libraries in lib/<triplet>) configure that folder with
# -DCMAKE_INSTALL_PREFIX=/usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stubsetup)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_CONTACT
    "Seed 6ca4b130 maintainers <maintainers@users.noreply.c-seed-6ca4b130.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test installer for the Corvane update manager")
set(CPACK_PACKAGE_DESCRIPTION "\
stubsetup stands in for a real installer so that the hand-off between the
Corvane update manager (ORL) and its installers can be exercised: driven by
its command line, it pretends to install a component, may create one file
below the application's install directory, and stores a chosen return code
and message in the installer report. The package also holds the installer
interface library libInstallerLib with its C header and pkg-config file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SVG plug-ins
# draw the program's icon, the Wayland platform plug-ins show the dialogs on
# a Wayland desktop, xdg-open shows env.txt.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

include(CPack)
