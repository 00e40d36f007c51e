#include "cli/CliSettings.h"

#include "app/RunOverrides.h"

TSettings CliRunSettings(const TProgramPaths& paths, const TCliOptions& options) {
  return ApplyRunOverrides(LoadSettings(paths),
                           {.format = options.format,
                            .outputFolder = options.output,
                            .password = options.password,
                            .unpackPassword = options.unpackPassword,
                            .pluginFormats = options.pluginFormats ? std::optional(true) : std::nullopt,
                            .passwordsFile = options.passwordsFile,
                            .keepTime = options.keepTime ? std::optional(true) : std::nullopt,
                            .nestedDepth = options.nestedDepth,
                            .testOutput = options.testOutput ? std::optional(int(toAlways)) : std::nullopt,
                            .jobs = options.jobs});
}
