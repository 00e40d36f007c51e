# The Debian package (`cpack -G DEB` in the build folder, or the `package` target): the installed
# layout under /usr. The libraries the programs link come from dpkg-shlibdeps; the engines are
# loaded or started at run time, so their packages are named here. rar and libunrar5 live in
# non-free and are only recommended: without them RAR outputs and RAR extraction are missing,
# which the program reports as it does for any missing engine.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME harrowmint)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch archive repacker for RAR, ZIP and 7z")
set(CPACK_PACKAGE_DESCRIPTION
    "Harrowmint extracts archives (RAR, ZIP, 7z, self-extracting), folders and files\n\
in batches, cleans them by the user's rules, adds the user's must-have files and\n\
packs them again as RAR, ZIP or 7z, with password, comment and lock, under a\n\
templated name. It comes as a desktop program (harrowmint) and a command line\n\
(harrowmint-cli), which can also watch an upload folder as a systemd service\n\
(harrowmint-watch@.service).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Harrowmint developers <harrowmint@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# 7z.so (p7zip-full) and the plug-in programs bsdtar (libarchive-tools) and 7zz (7zip); the SVG
# icon engine, which Qt loads as a plug-in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "p7zip-full, libarchive-tools, 7zip, libqt6svg6")
# The window's texts are Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "rar, libunrar5, fonts-noto-cjk")
# The watch service's user is made at installation (service/debian/postinst).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/service/debian/postinst
                                       ${PROJECT_SOURCE_DIR}/service/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
