# Lays out Engine/ beside the built programs: links to the system's engines where installed,
# plus the plug-in files shipped in the repository's Engine/ folder. A missing engine simply
# has no link, and the program then behaves as it does for a missing engine file.
# Installed, the plug-in files go to the shared folder and the engine folder links to them and to
# the system's engines, which the package depends on.
set(HM_ENGINE_DIR ${CMAKE_BINARY_DIR}/bin/Engine)
set(HM_SYSTEM_RAR /usr/bin/rar CACHE FILEPATH "command-line RAR packer")
set(HM_SYSTEM_UNRAR_LIB /usr/lib/x86_64-linux-gnu/libunrar.so.5 CACHE FILEPATH "RAR extraction library")
set(HM_SYSTEM_7Z_LIB /usr/lib/p7zip/7z.so CACHE FILEPATH "7-Zip library")
set(HM_SYSTEM_BSDTAR /usr/bin/bsdtar CACHE FILEPATH "program of the tar plug-ins")
set(HM_SYSTEM_7ZZ /usr/bin/7zz CACHE FILEPATH "program of the iso and cab plug-ins")
set(hm_engine_variables
    -DRAR=${HM_SYSTEM_RAR} -DUNRAR_LIB=${HM_SYSTEM_UNRAR_LIB} -DSEVENZIP_LIB=${HM_SYSTEM_7Z_LIB}
    -DBSDTAR=${HM_SYSTEM_BSDTAR} -DSEVENZIP_PROGRAM=${HM_SYSTEM_7ZZ})

add_custom_target(hm_engine_links ALL
  COMMAND ${CMAKE_COMMAND} -DENGINE_DIR=${HM_ENGINE_DIR} ${hm_engine_variables}
          -DPLUGIN_DIR=${PROJECT_SOURCE_DIR}/Engine
          -P ${PROJECT_SOURCE_DIR}/cmake/LinkEngines.cmake
  COMMENT "Linking engines into ${HM_ENGINE_DIR}")

file(GLOB hm_plugin_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/Engine/*.pk)
install(FILES ${hm_plugin_files} DESTINATION ${HM_INSTALL_SHAREDIR}/Engine)
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  message(STATUS \"Linking engines into \${root}/${HM_INSTALL_ENGINEDIR}\")
  execute_process(
    COMMAND \"${CMAKE_COMMAND}\" \"-DENGINE_DIR=\${root}/${HM_INSTALL_ENGINEDIR}\" ${hm_engine_variables}
            \"-DINSTALLED_DIR=\${CMAKE_INSTALL_PREFIX}/${HM_INSTALL_ENGINEDIR}\" \"-DPREFIX=\${CMAKE_INSTALL_PREFIX}\"
            -DLINK_MISSING=ON \"-DPLUGIN_DIR=\${root}/${HM_INSTALL_SHAREDIR}/Engine\" -DPLUGIN_LINK=ON
            -P \"${PROJECT_SOURCE_DIR}/cmake/LinkEngines.cmake\"
    COMMAND_ERROR_IS_FATAL ANY)")
