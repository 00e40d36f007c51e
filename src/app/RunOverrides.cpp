#include "app/RunOverrides.h"

TSettings ApplyRunOverrides(TSettings settings, const TRunOverrides& overrides) {
  if (overrides.format) settings.CompressExt = *overrides.format;
  if (overrides.outputFolder) settings.OutputFolder = *overrides.outputFolder;
  if (overrides.password) {
    settings.SetCompressPwd = !overrides.password->isEmpty();
    settings.CompressPwd = *overrides.password;
  }
  if (overrides.unpackPassword) settings.UnCompressPwd = *overrides.unpackPassword;
  if (overrides.pluginFormats) settings.PluginFormats = *overrides.pluginFormats;
  if (overrides.passwordsFile) settings.PasswordsFile = *overrides.passwordsFile;
  if (overrides.keepTime) settings.KeepTime = *overrides.keepTime;
  if (overrides.nestedDepth) settings.NestedDepth = *overrides.nestedDepth;
  if (overrides.testOutput) settings.TestOutput = *overrides.testOutput;
  if (overrides.jobs) settings.Jobs = *overrides.jobs;
  return settings;
}
