#pragma once
// Log lines of the batch core: the causes behind a status text.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcJob)
