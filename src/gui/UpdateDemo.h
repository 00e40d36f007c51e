#pragma once
// The update window in each of its states with demonstration content, for screenshots and
// reviews: no network is used and nothing is started.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class TfrmUpdate;

enum class TUpdateDemoMode { Normal, Forced, Error, Downloading };

// "normal", "forced", "error", "downloading".
QStringList UpdateDemoModeNames();
std::optional<TUpdateDemoMode> UpdateDemoModeNamed(const QString& name);

// The window, laid out and in the mode's page; show() it to look at it.
std::unique_ptr<TfrmUpdate> NewUpdateDemo(TUpdateDemoMode mode,
                                          const QString& programFolder = QStringLiteral("/opt/harrowmint/"));
