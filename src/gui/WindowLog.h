#pragma once
// Log lines of the main window: what it could not do on the user's behalf.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWindow)
