#pragma once
// Log lines of the watched folder: arrivals taken, items taken back, journal and move failures.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWatch)
