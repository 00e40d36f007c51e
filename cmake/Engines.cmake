# Lays out Engine/ beside the built programs: links to the system's engines where installed,
# plus the plug-in files shipped in the repository's Engine/ folder. A missing engine simply
# has no link, and the program then behaves as it does for a missing engine file.
set(HM_ENGINE_DIR ${CMAKE_BINARY_DIR}/bin/Engine)
set(HM_SYSTEM_RAR /usr/bin/rar CACHE FILEPATH "command-line RAR packer")
set(HM_SYSTEM_UNRAR_LIB /usr/lib/x86_64-linux-gnu/libunrar.so.5 CACHE FILEPATH "RAR extraction library")
set(HM_SYSTEM_7Z_LIB /usr/lib/p7zip/7z.so CACHE FILEPATH "7-Zip library")
set(HM_SYSTEM_BSDTAR /usr/bin/bsdtar CACHE FILEPATH "program of the tar plug-ins")
set(HM_SYSTEM_7ZZ /usr/bin/7zz CACHE FILEPATH "program of the iso and cab plug-ins")

add_custom_target(hm_engine_links ALL
  COMMAND ${CMAKE_COMMAND}
          -DENGINE_DIR=${HM_ENGINE_DIR}
          -DRAR=${HM_SYSTEM_RAR}
          -DUNRAR_LIB=${HM_SYSTEM_UNRAR_LIB}
          -DSEVENZIP_LIB=${HM_SYSTEM_7Z_LIB}
          -DBSDTAR=${HM_SYSTEM_BSDTAR}
          -DSEVENZIP_PROGRAM=${HM_SYSTEM_7ZZ}
          -DTEMPLATE_DIR=${PROJECT_SOURCE_DIR}/Engine
          -P ${PROJECT_SOURCE_DIR}/cmake/LinkEngines.cmake
  COMMENT "Linking engines into ${HM_ENGINE_DIR}")
