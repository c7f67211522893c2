# The Debian packages: `cpack -G DEB` in a build folder. For the Debian layout
# (libraries in lib/<triplet>) configure that folder with
# -DCMAKE_INSTALL_PREFIX=/usr. Each install component becomes one package:
#   program      stubsetup             the program, its user-interface module,
#                                      desktop entry, icon and manual page
#   library      libinstallerlib<N>    the installer interface library, named
#                                      after its SONAME
#   development  libinstallerlib-dev   its headers, link and pkg-config file
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stubsetup)
set(CPACK_PACKAGE_VENDOR Corvane)
# The copyright holder of LICENSE; lintian wants an address, and the
# reserved .example domain is one that can never reach a stranger.
set(CPACK_PACKAGE_CONTACT "Corvane <packages@corvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 2)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Control files get the modes Debian wants, whatever the source files have.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The program links the library's code in, but installing it brings the
# shared library for the installers tested with it; the development files
# fit only the library of their own build. Both need exactly that version.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_PROGRAM_DEPENDS library)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS library)

set(STUBSETUP_DEB_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(STUBSETUP_DEB_DIR ${PROJECT_BINARY_DIR}/deb)
get_target_property(INSTALLERLIB_SOVERSION InstallerLib SOVERSION)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME stubsetup)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION devel)
# Loaded at run time, so dpkg-shlibdeps cannot see them: liblnk reads
# shortcut files, the SVG plug-ins draw the SVG icons of icon themes in the
# file dialog, the Wayland platform plug-ins show the dialogs on a Wayland
# desktop, xdg-open shows env.txt.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "liblnk1, libqt6svg6, qt6-wayland")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "test installer for the Corvane update manager
stubsetup stands in for a real installer so that the hand-off between the
Corvane update manager (ORL) and its installers can be exercised: driven by
its command line, it pretends to install a component, may create one file
below the application's install directory, and stores a chosen return code
and message in the installer report. Run without -quiet, it shows a progress
dialog in which a tester picks the outcome by hand.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libinstallerlib${INSTALLERLIB_SOVERSION})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "installer interface of the Corvane update manager
libInstallerLib lets an installer take part in the hand-off with the Corvane
update manager (ORL): it tells the installer the application's install
directory and stores the installer's return code and message in the
installer report that the update manager reads afterwards.

This package holds the shared library.")
# The library's shlibs file tells dpkg-shlibdeps which package a program
# linked against it needs (written here: CPack's would also list the
# user-interface module, which has no SONAME); its triggers file has dpkg
# run ldconfig.
# Programs need at least the first package whose library exports every
# symbol of today's header: GetInstallerLibVersion came with 1.0-2.
set(INSTALLERLIB_SHLIBS_MINIMUM 1.0-2)
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/shlibs.in ${STUBSETUP_DEB_DIR}/shlibs @ONLY)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA
    ${STUBSETUP_DEB_DIR}/shlibs ${CMAKE_CURRENT_LIST_DIR}/deb/triggers)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb/DropLdconfigScripts.cmake)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libinstallerlib-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "installer interface of the Corvane update manager - development files
libInstallerLib lets an installer take part in the hand-off with the Corvane
update manager (ORL): it tells the installer the application's install
directory and stores the installer's return code and message in the
installer report that the update manager reads afterwards.

This package holds what building an installer against the library needs:
the C header, the link for the linker and the pkg-config file.")

# Every package carries its copyright file, from LICENSE, and the Debian
# changelog in its documentation folder. Only the packages need them, so
# a plain `cmake --install` leaves them out (EXCLUDE_FROM_ALL).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+)")
  message(FATAL_ERROR "${PROJECT_SOURCE_DIR}/LICENSE: no line 'Copyright (c) <year> <holder>' "
    "followed by an empty line and the licence text")
endif()
set(STUBSETUP_COPYRIGHT ${CMAKE_MATCH_1})
# In the copyright file the text is indented by one space, an empty line is " .".
string(STRIP "${CMAKE_MATCH_2}" license_text)
string(REPLACE "\n" "\n " license_text " ${license_text}")
string(REPLACE "\n \n" "\n .\n" STUBSETUP_LICENSE_TEXT "${license_text}")
# The changelog's date is the configure time, or SOURCE_DATE_EPOCH when set.
string(TIMESTAMP STUBSETUP_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/copyright.in ${STUBSETUP_DEB_DIR}/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/changelog.in ${STUBSETUP_DEB_DIR}/changelog.Debian @ONLY)
stubsetup_add_gzip(deb-changelog ${STUBSETUP_DEB_DIR}/changelog.Debian)
foreach(component IN ITEMS PROGRAM LIBRARY DEVELOPMENT)
  string(TOLOWER ${component} component_name)
  set(package ${CPACK_DEBIAN_${component}_PACKAGE_NAME})
  install(FILES ${STUBSETUP_DEB_DIR}/copyright ${STUBSETUP_DEB_DIR}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
    COMPONENT ${component_name}
    EXCLUDE_FROM_ALL
  )
  # lintian wants a first Debian revision to close the bug that announced
  # the package to Debian; these packages are not for Debian's archive.
  file(CONFIGURE OUTPUT ${STUBSETUP_DEB_DIR}/${package}.lintian-overrides CONTENT
    "# Not uploaded to Debian, so no bug announces the package.\n${package}: initial-upload-closes-no-bugs\n")
  install(FILES ${STUBSETUP_DEB_DIR}/${package}.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    RENAME ${package}
    COMPONENT ${component_name}
    EXCLUDE_FROM_ALL
  )
endforeach()

include(CPack)
