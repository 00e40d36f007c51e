# Builds the Debian package of the build in BUILD_DIR into OUTPUT_DIR, replacing an earlier one.
file(REMOVE_RECURSE ${OUTPUT_DIR})
execute_process(COMMAND ${CPACK} -G DEB -B ${OUTPUT_DIR} WORKING_DIRECTORY ${BUILD_DIR} COMMAND_ERROR_IS_FATAL ANY)
file(GLOB packages ${OUTPUT_DIR}/harrowmint_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${OUTPUT_DIR}, found: ${packages}")
endif()
