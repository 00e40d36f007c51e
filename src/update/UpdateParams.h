#pragma once
// What a check is given and what it hands to the update window.
#include <QByteArray>
#include <QString>

// The parameters of one check.
struct reUpdate {
  QString Verison;            // the running version's text
  bool rebootUpdate = false;  // forced mode: the window checks and downloads by itself
  QString UpdateUrl;          // description addresses, one per line, "<SoftId>" not yet replaced
  QString SoftId;
  int UpdateFrom = 0;  // passed along; nothing acts on it
  QString SaveDir;     // download folder, "<app>" for the program folder
};

// A found update, as the window shows it and acts on it.
struct TUpdateOffer {
  QString newVersion;  // "major.minor.release.build"
  QString updateDate;
  QString des;  // change log
  QString fileUrl;
  QString fileSha256;  // lower-case hex as given (a malformed one never matches); empty: none
  int SupportUpdate = 1;
  QString NoUpdateUrl;
  QString RunPram;
  QString UpdateDataFormat = QStringLiteral("zip");
  bool ForceUpdateSoft = false;    // the description forces this update on the running version
  bool RebootForceUpdate = false;  // a declined forced update is repeated at the next start
  QByteArray xml;                  // the whole description, for the hand-over file
};

// haveUpdate of a check.
inline constexpr int kCheckFailed = -1;  // no description could be loaded
inline constexpr int kNoUpdate = 0;
inline constexpr int kUpdateFound = 1;

struct TCheckResult {
  int haveUpdate = kCheckFailed;
  TUpdateOffer offer;  // filled when haveUpdate is kUpdateFound
};
