# Copies the seed data folder (SysDb/Data: rule lists, comment, must-have files) beside the built
# programs. At a start with no data folder, the programs seed Data/ from it.
set(HM_SEED_DATA_DIR ${CMAKE_BINARY_DIR}/bin/SysDb/Data)
file(GLOB_RECURSE hm_seed_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/SysDb/Data/*)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/seed-data.stamp
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/SysDb/Data ${HM_SEED_DATA_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/seed-data.stamp
  DEPENDS ${hm_seed_files}
  COMMENT "Copying the seed data folder to ${HM_SEED_DATA_DIR}")
add_custom_target(hm_seed_data ALL DEPENDS ${CMAKE_BINARY_DIR}/seed-data.stamp)
# Installed, the seed is shared by every user; each user's data folder is seeded from it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/SysDb/Data DESTINATION ${HM_INSTALL_SHAREDIR}/SysDb)
