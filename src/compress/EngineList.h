#pragma once
// The engines found in an engine folder, each as it describes itself: for the command line's
// engine listing and the installed-engines window.
#include <QList>
#include <QString>

#include "compress/common/EngineInfo.h"

// The three engines in a fixed order: the RAR packer, the unrar library, the 7z library.
QList<TEngineInfo> ListEngines(const QString& engineFolder);
