# Compresses INPUT into OUTPUT as Debian installs documentation: best compression, and no name or
# time stamp inside (-n), so the same text gives the same bytes.
execute_process(COMMAND gzip -9nc ${INPUT} OUTPUT_FILE ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
