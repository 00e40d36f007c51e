# The installed layout (`cmake --install`, the Debian package): programs in <prefix>/bin, the
# read-only data (seed data folder, shipped plug-in files, translations) in
# <prefix>/share/harrowmint, the engine links in <prefix>/lib/harrowmint/Engine. The programs find
# these folders relative to their own, so an installation can be moved (dpkg -x into a scratch
# root) and still work; the writable program folder is the user's (util/ProgramPaths.h).
include(GNUInstallDirs)
set(HM_INSTALL_SHAREDIR ${CMAKE_INSTALL_DATADIR}/harrowmint)
set(HM_INSTALL_ENGINEDIR lib/harrowmint/Engine)

function(hm_relative_to_bindir out dir)
  file(RELATIVE_PATH relative /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${dir})
  set(${out} ${relative} PARENT_SCOPE)
endfunction()
hm_relative_to_bindir(HM_INSTALLED_SHARE_FROM_BIN ${HM_INSTALL_SHAREDIR})
hm_relative_to_bindir(HM_INSTALLED_ENGINE_FROM_BIN ${HM_INSTALL_ENGINEDIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallLayout.h.in ${CMAKE_BINARY_DIR}/generated/InstallLayout.h @ONLY)
