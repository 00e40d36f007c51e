# Lays out an engine folder: links named as the programs expect to the system's engines, and the
# shipped plug-in files. Variables:
#   ENGINE_DIR                             the folder to lay out
#   RAR UNRAR_LIB SEVENZIP_LIB BSDTAR SEVENZIP_PROGRAM   where the system's engines are
#   LINK_MISSING   link an engine that is not installed here too (a package's dependencies
#                  bring it); otherwise a missing engine simply has no link
#   INSTALLED_DIR  where ENGINE_DIR lies once installed (without DESTDIR), and PREFIX the
#                  installation prefix: an engine below the prefix is linked by a relative path
#                  (Debian policy: links within one top-level folder are relative)
#   PLUGIN_DIR     the plug-in files (*.pk)
#   PLUGIN_LINK    link them by relative path, so a moved installation keeps them; otherwise copy
file(MAKE_DIRECTORY ${ENGINE_DIR})
foreach(pair "rar=${RAR}" "libunrar.so=${UNRAR_LIB}" "7z.so=${SEVENZIP_LIB}" "bsdtar=${BSDTAR}"
             "7zz=${SEVENZIP_PROGRAM}")
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 name)
  list(GET parts 1 target)
  if(LINK_MISSING OR EXISTS ${target})
    if(INSTALLED_DIR AND target MATCHES "^${PREFIX}/")
      file(RELATIVE_PATH target ${INSTALLED_DIR} ${target})
    endif()
    file(CREATE_LINK ${target} ${ENGINE_DIR}/${name} SYMBOLIC)
  endif()
endforeach()
file(GLOB plugins ${PLUGIN_DIR}/*.pk)
foreach(plugin ${plugins})
  if(PLUGIN_LINK)
    get_filename_component(name ${plugin} NAME)
    file(RELATIVE_PATH target ${ENGINE_DIR} ${plugin})
    file(CREATE_LINK ${target} ${ENGINE_DIR}/${name} SYMBOLIC)
  else()
    file(COPY ${plugin} DESTINATION ${ENGINE_DIR})
  endif()
endforeach()
