# Writes the manual pages of both programs (plain and compressed as Debian installs them) and the
# bash completion of harrowmint-cli, as the programs print them. Variables: CLI and WINDOW, the
# programs; OUTPUT_DIR.
file(MAKE_DIRECTORY ${OUTPUT_DIR})
execute_process(COMMAND ${CLI} --print-completion OUTPUT_FILE ${OUTPUT_DIR}/harrowmint-cli.bash
                COMMAND_ERROR_IS_FATAL ANY)
foreach(pair "harrowmint-cli=${CLI}" "harrowmint=${WINDOW}")
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 name)
  list(GET parts 1 program)
  execute_process(COMMAND ${program} --print-man OUTPUT_FILE ${OUTPUT_DIR}/${name}.1 COMMAND_ERROR_IS_FATAL ANY)
  set(INPUT ${OUTPUT_DIR}/${name}.1)
  set(OUTPUT ${OUTPUT_DIR}/${name}.1.gz)
  include(${CMAKE_CURRENT_LIST_DIR}/Gzip.cmake)
endforeach()
