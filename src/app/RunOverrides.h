#pragma once
// What one run changes in the settings without ever saving them: the command line's options and
// the window's decompression-password box.
#include <QString>
#include <optional>

#include "settings/Settings.h"

struct TRunOverrides {
  std::optional<int> format;  // TOutputFormat
  std::optional<QString> outputFolder;
  // Of the output archives; an empty one switches the output password off.
  std::optional<QString> password;
  std::optional<QString> unpackPassword;  // for extracting the sources
  std::optional<bool> pluginFormats;      // extract the formats that have a plug-in
  std::optional<QString> passwordsFile;   // the password list, in place of Passwords.dat
  std::optional<bool> keepTime;           // outputs get their sources' modification time
  std::optional<int> nestedDepth;         // levels of archives inside archives opened
  std::optional<int> testOutput;          // TTestOutput
  std::optional<int> jobs;                // items worked on at once; 0: one per processor core
};

// The settings with every override that is given in place of the stored value.
TSettings ApplyRunOverrides(TSettings settings, const TRunOverrides& overrides);
