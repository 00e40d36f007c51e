# Writes the manual page (plain and compressed as Debian installs them) and the bash completion
# of harrowmint-cli, as the program prints them. Variables: CLI, the program; OUTPUT_DIR.
file(MAKE_DIRECTORY ${OUTPUT_DIR})
execute_process(COMMAND ${CLI} --print-man OUTPUT_FILE ${OUTPUT_DIR}/harrowmint-cli.1 COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CLI} --print-completion OUTPUT_FILE ${OUTPUT_DIR}/harrowmint-cli.bash
                COMMAND_ERROR_IS_FATAL ANY)
# -n: no name or time stamp inside, so the same page gives the same bytes.
execute_process(COMMAND gzip -9nc ${OUTPUT_DIR}/harrowmint-cli.1 OUTPUT_FILE ${OUTPUT_DIR}/harrowmint-cli.1.gz
                COMMAND_ERROR_IS_FATAL ANY)
