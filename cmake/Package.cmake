# The Debian package (`cpack -G DEB` in the build folder, or the `package` target): the installed
# layout under /usr. The libraries the programs link come from dpkg-shlibdeps; the engines are
# loaded or started at run time, so their packages are named here. rar and libunrar5 live in
# non-free and are only recommended: without them RAR outputs and RAR extraction are missing,
# which the program reports as it does for any missing engine.
# What Debian asks of every package beside its programs: the copyright in the machine-readable
# format and the changelog, compressed (gzip -n: the same bytes every build) under the name a
# native package gives it.
set(HM_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/harrowmint)
set(hm_changelog ${CMAKE_BINARY_DIR}/install/changelog.gz)
add_custom_command(
  OUTPUT ${hm_changelog}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/packaging/changelog -DOUTPUT=${hm_changelog}
          -P ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake)
add_custom_target(hm_changelog ALL DEPENDS ${hm_changelog})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${hm_changelog} DESTINATION ${HM_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME harrowmint)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch archive repacker for RAR, ZIP and 7z")
# Lines of at most 72 characters: the control file puts a space before each.
set(CPACK_PACKAGE_DESCRIPTION
    "Harrowmint extracts archives (RAR, ZIP, 7z, self-extracting), folders\n\
and files in batches, cleans them by the user's rules, adds the user's\n\
must-have files and packs them again as RAR, ZIP or 7z, with password,\n\
comment and lock, under a templated name. It comes as a desktop program\n\
(harrowmint) and a command line (harrowmint-cli), which can also watch\n\
an upload folder as a systemd service (harrowmint-watch@.service).")
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
# The watch service's user is made at installation (packaging/postinst).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst
                                       ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
