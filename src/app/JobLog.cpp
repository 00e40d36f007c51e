#include "app/JobLog.h"

Q_LOGGING_CATEGORY(lcJob, "harrowmint.job")
