#pragma once
// The settings record and the settings file Setting.ini (section "Setting", plus one section per
// computer for the first-run flags).
#include <QString>

#include "settings/PathVars.h"
#include "util/ExtractLimits.h"
#include "util/ProgramPaths.h"

// Output formats (`CompressExt`).
enum TOutputFormat : int { ofRAR = 0, ofZIP = 1, of7z = 2 };
// When an output's data is tested before it counts (`TestOutput`).
enum TTestOutput : int {
  toDirectoryOnly = 0,   // its directory is checked against the files packed, nothing more
  toAlways = 1,          // every entry's data is read back and checked as well
  toWhenReplacing = 2,   // so, when the output is to take its source's place
};
// Levels of archives inside archives opened (`NestedDepth`); 0: none.
inline constexpr int kMaxNestedDepth = 3;
// Naming modes (`nameType`).
enum TNameType : int { ntByDate = 0, ntBySourceName = 1 };

// The most items a run works on at once by the settings (the command line may ask for more).
inline constexpr int kMaxJobs = 64;

struct TSettings {
  QString OutputFolder;                               // "OutputPath"; default program folder + "OutputPath"
  QString fileNameFormat = QStringLiteral("<name>");  // "FileName"
  int nameType = ntBySourceName;                      // "nameType", 0..1
  int CompressExt = ofRAR;                            // "CompressExt", 0..2
  bool DelCompressVer = false;                        // "DelVer"
  bool LockRAR = true;                                // "LockRAR"
  bool DeleteAds = true;                              // "DeleteAds"
  bool DelRarFileName = true;                         // "DelRarFileName"
  bool MustToFolder = false;                          // "MustToFolder"
  bool SetCompressPwd = false;                        // "SetCompressPwd"
  QString CompressPwd;                                // "CompressPwd", Base64
  QString UnCompressPwd;                              // "UnCompressPwd", Base64
  bool NoCompressEXE = false;                         // "NoCompressEXE"
  bool RARToFrom = false;                             // "RARToFrom"
  bool InfoTip = true;                                // "InfoTip"
  bool CopyFolder = true;                             // "CopyFolder"
  // "PluginFormats": a file no built-in format claims is extracted by the plug-in of its own
  // extension when there is one, instead of being packed as it is.
  bool PluginFormats = false;
  bool KeepTime = false;  // "KeepTime": an output gets its source's modification time
  // "NestedDepth", 0..kMaxNestedDepth: the archives found in an extracted archive are extracted
  // in their place, down to this many levels.
  int NestedDepth = 0;
  // "TestOutput", a TTestOutput; not edited anywhere, as the extraction limits below.
  int TestOutput = toWhenReplacing;
  // "Jobs": items worked on at once, 0 for one per processor core; 0..kMaxJobs, else 0.
  int Jobs = 0;

  // Never stored: the password list a run was given in place of the data folder's Passwords.dat
  // (empty: that one).
  QString PasswordsFile;

  // Not edited anywhere; "am" / "pm" (Base64) may be added to the file by hand.
  TAmPmTexts ampm;
  // Not edited anywhere either: "MaxUnpackMB" (all one extraction may write) and "MinFreeMB" (left
  // free on the work folder's disk), in MiB, 0 for none; absent or malformed gives the default.
  TExtractLimits extractLimits;
  // Not edited anywhere either: "MaxPasswordSeconds", how long an item may spend trying passwords
  // on one archive (whose headers may ask seconds of key derivation a try), 0 for no bound;
  // absent or malformed gives the default.
  static constexpr int kDefaultMaxPasswordSeconds = 30;
  int MaxPasswordSeconds = kDefaultMaxPasswordSeconds;

  friend bool operator==(const TSettings&, const TSettings&) = default;
};

// Reads every key of section "Setting"; missing, unreadable or out-of-range values give the
// defaults above. Never fails: a missing or damaged file gives the defaults.
TSettings LoadSettings(const TProgramPaths& paths);

// Writes section "Setting" with the keys the settings dialog stores, in its order and value
// forms ("am" and "pm" are never written). The file is kept readable by its owner only, since it
// holds both passwords. False when the file cannot be written.
bool SaveSettings(const TProgramPaths& paths, const TSettings& settings);

// The first-run flags of this computer: key in section "M" + MachineKey() + "13".
QString GetMachineValue(const TProgramPaths& paths, const QString& key);
bool SetMachineValue(const TProgramPaths& paths, const QString& key, const QString& value);
