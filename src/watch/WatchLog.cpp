#include "watch/WatchLog.h"

Q_LOGGING_CATEGORY(lcWatch, "harrowmint.watch")
