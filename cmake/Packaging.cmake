# SPDX-License-Identifier: GPL-3.0-or-later
# Debian package of the program, the rig simulator, the desktop entry, the icon, the man pages,
# the AppStream metadata, the copyright file and the changelog (cmake/Documents.cmake).
#   cpack -G DEB        (from the build folder; `make package` does it)
# dpkg-shlibdeps (package dpkg-dev) works out the runtime dependencies from the installed binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VENDOR "Veltrane developers")
set(CPACK_PACKAGE_CONTACT "Veltrane developers <veltrane@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion for JT65 amateur-radio stations")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The main window's captions are Japanese; without a Japanese font they show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipaexfont-gothic | fonts-noto-cjk")
# The long description below the summary line; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Veltrane sits beside a JT65 decoder and does the station chores: it drives the
transceiver over a serial or network CAT link (Yaesu and Kenwood text CAT, ICOM
CI-V, the FT-897 binary commands, a Hamlib rigctld daemon), shows the dial
frequency, puts the rig on a band's JT65 frequency, draws a waterfall of the
receiver audio and retunes the rig to a clicked signal or to the offset of a
copied decode line.

The package also holds veltrane-rigsim, a rig simulator on a pseudo-terminal
or a TCP port.")

include(CPack)
