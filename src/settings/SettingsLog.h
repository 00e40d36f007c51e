#pragma once
// Log lines of the settings and their windows: why a setting or a rule could not be stored.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSettings)
